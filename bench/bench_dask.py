#!/usr/bin/env python3
"""kuv.dask on a cluster of worker processes, beside kuv.read_frames.

Many generated documents (400 of about 1 MB by default) are read as typed
frames three ways, each in a fresh child process, alternating:

  frames-1   kuv.read_frames(paths, threads=1, typed=True)
  frames-2   kuv.read_frames(paths, threads=2, typed=True)
  dask       kuv.dask.read_table(paths, TABLE).compute() on a
             distributed.LocalCluster of 2 worker processes (one thread
             each), started before the clock runs; its start is shown apart
  dask-persist  the same, persisted on the workers instead: the cluster's
             reading without shipping every row to the client (compute
             moves all partitions to one worker, joins them there and
             sends the whole table on)

The cluster's overhead per document is (dask - frames-2) / documents. The
target: dask within 1.3x frames-2. Every contender's table must hold the
same rows.

    PYTHONPATH=build/bench-python/python /usr/bin/python3 bench/bench_dask.py \\
        --generator build/bench-python/bench/kuv_generate_document [--count 400] \\
        [--size-mb 1] [--table Sample] [--runs 3] [--work build/bench-data/dask]
"""

import argparse
import json
import os
import pathlib
import subprocess
import sys
import time

MODES = ["frames-1", "frames-2", "dask", "dask-persist"]


def generate(options):
    """The documents, made once per count and size."""
    folder = options.work / f"{options.count}x{options.size_mb}MB"
    folder.mkdir(parents=True, exist_ok=True)
    paths = [folder / f"doc{index:04d}.kuv" for index in range(options.count)]
    for seed, path in enumerate(paths, 1):
        if not path.exists():
            subprocess.run([str(options.generator), "--out", str(path), "--size-mb",
                            str(options.size_mb), "--seed", str(seed)], check=True,
                           stdout=subprocess.DEVNULL)
    return paths


def child(options):
    import kuv

    paths = [line for line in pathlib.Path(options.list).read_text().splitlines() if line]
    result = {}
    if options.child.startswith("dask"):
        import kuv.dask
        from distributed import Client, LocalCluster, wait

        start = time.perf_counter()
        cluster = LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                               dashboard_address=":0", local_directory=str(options.work))
        client = Client(cluster)
        client.wait_for_workers(2)
        result["cluster_start"] = time.perf_counter() - start
        start = time.perf_counter()
        if options.child == "dask":
            frame = kuv.dask.read_table(paths, options.table).compute()
            result["seconds"] = time.perf_counter() - start
        else:
            persisted = kuv.dask.read_table(paths, options.table).persist()
            wait(persisted)
            result["seconds"] = time.perf_counter() - start
            frame = persisted.head(0, npartitions=1)
            result["rows"] = int(persisted.map_partitions(len).compute().sum())
            result["columns"] = len(frame.columns)
        client.close()
        cluster.close()
    else:
        threads = int(options.child.split("-")[1])
        start = time.perf_counter()
        frame = kuv.read_frames(paths, threads=threads, typed=True)[options.table]
        result["seconds"] = time.perf_counter() - start
    result.setdefault("rows", len(frame))
    result.setdefault("columns", len(frame.columns))
    print(json.dumps(result))


def measure(options, mode, listing):
    command = [sys.executable, __file__, "--child", mode, "--list", str(listing), "--table",
               options.table, "--work", str(options.work)]
    run = subprocess.run(command, capture_output=True, text=True, check=True)
    return json.loads(run.stdout.strip().splitlines()[-1])


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--generator", type=pathlib.Path)
    parser.add_argument("--count", type=int, default=400)
    parser.add_argument("--size-mb", type=float, default=1.0)
    parser.add_argument("--table", default="Sample")
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--work", type=pathlib.Path, default=pathlib.Path("build/bench-data/dask"))
    parser.add_argument("--child")
    parser.add_argument("--list")
    options = parser.parse_args()
    if options.child:
        child(options)
        return 0
    if options.generator is None:
        parser.error("--generator names kuv_generate_document")

    import kuv

    paths = generate(options)
    listing = options.work / "documents.txt"
    listing.write_text("\n".join(map(str, paths)) + "\n")
    size = sum(path.stat().st_size for path in paths) / 1e6
    print(f"kuv {kuv.__version__} from {kuv.__file__}; {len(paths)} documents, {size:.0f} MB; "
          f"load average {os.getloadavg()[0]:.2f} on {os.cpu_count()} cores")
    runs = {mode: [] for mode in MODES}
    for _ in range(options.runs):
        for mode in MODES:
            runs[mode].append(measure(options, mode, listing))
    best = {mode: min(run["seconds"] for run in runs[mode]) for mode in MODES}
    rows = {mode: {run["rows"] for run in runs[mode]} for mode in MODES}
    for mode in MODES:
        shown = [round(run["seconds"], 2) for run in runs[mode]]
        print(f"  {mode:<9} {best[mode]:7.2f} s  rows {sorted(rows[mode])}  runs {shown}")
    starts = [round(run["cluster_start"], 2) for mode in MODES if mode.startswith("dask")
              for run in runs[mode]]
    print(f"  cluster start (not timed above): {starts} s")
    ratio = best["dask"] / best["frames-2"]
    overhead = (best["dask"] - best["frames-2"]) / len(paths) * 1000
    print(f"  dask {ratio:.2f}x frames-2 (target 1.3x); overhead {overhead:.2f} ms per document; "
          f"frames-2 {best['frames-1'] / best['frames-2']:.2f}x as fast as frames-1")
    print(f"  dask-persist {best['dask-persist'] / best['frames-2']:.2f}x frames-2: the rest of "
          f"dask's time ships the table to the client")
    same = len(set().union(*rows.values())) == 1
    if not same:
        print("  the contenders' tables differ in rows")
    return 0 if same and ratio <= 1.3 else 1


if __name__ == "__main__":
    sys.exit(main())
