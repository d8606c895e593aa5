#!/usr/bin/env python3
"""The Python package beside pandas.read_csv, on the same tables.

1. kuv.open plus to_frame of every table of every object of a document,
   beside pandas.read_csv of the same tables exported as CSV by
   `kuv export`: as texts (to_frame() beside read_csv(dtype=str)) and typed
   (to_frame(typed=True) beside read_csv's own type inference).
2. kuv.read_frames of many small documents on one thread and on two, as
   texts and typed.

Every run is a fresh child process, contenders alternate, the page cache
is warm; the best time and the highest memory are reported. Memory is the
DataFrames' own figure (memory_usage(deep=True), which counts a text shared
by many cells once per cell), what the process keeps once the frames are
built and the document is closed (resident memory after malloc_trim, less
that before reading), and the process's peak.

    PYTHONPATH=build/release/python /usr/bin/python3 bench/bench_python.py \\
        --document DOC.kuv --kuv-tool build/release/tools/kuv --small A.kuv B.kuv ... [--runs 5]

The CSV files are exported once into --work (default: beside the document).
"""

import argparse
import ctypes
import json
import os
import pathlib
import resource
import subprocess
import sys
import time


def resident_kib():
    with open("/proc/self/statm") as statm:
        return int(statm.read().split()[1]) * os.sysconf("SC_PAGE_SIZE") // 1024


def trimmed_resident_kib():
    import gc

    gc.collect()
    ctypes.CDLL("libc.so.6").malloc_trim(0)
    return resident_kib()


def peak_kib():
    return resource.getrusage(resource.RUSAGE_SELF).ru_maxrss


# ---- Children: one measurement each -----------------------------------------


def frames_memory(frames):
    return int(sum(frame.memory_usage(deep=True).sum() for frame in frames))


def child_kuv(options, typed):
    import kuv

    manifest = json.loads(pathlib.Path(options.manifest).read_text())
    before = trimmed_resident_kib()
    start = time.perf_counter()
    doc = kuv.open(options.document)
    frames = []
    for obj in doc.objects:
        for table in manifest.get(obj.id, []):
            frames.append(obj.to_frame(table, typed=typed))
    seconds = time.perf_counter() - start
    doc.close()
    return seconds, frames, before


def child_csv(options, typed):
    import pandas as pd

    manifest = json.loads(pathlib.Path(options.manifest).read_text())
    files = [pathlib.Path(options.work) / name for tables in manifest.values()
             for name in tables.values()]
    before = trimmed_resident_kib()
    start = time.perf_counter()
    if typed:
        frames = [pd.read_csv(path, index_col="row_id") for path in files]
    else:
        frames = [pd.read_csv(path, index_col="row_id", dtype=str) for path in files]
    return time.perf_counter() - start, frames, before


def child_read_frames(options, threads, typed):
    import kuv

    before = trimmed_resident_kib()
    start = time.perf_counter()
    frames = kuv.read_frames(options.small, threads=threads, typed=typed)
    return time.perf_counter() - start, list(frames.values()), before


def run_child(options):
    import pandas  # noqa: F401 - imported before measuring, as every contender needs it

    mode = options.child
    if mode.startswith("kuv"):
        seconds, frames, before = child_kuv(options, typed=mode == "kuv-typed")
    elif mode.startswith("csv"):
        seconds, frames, before = child_csv(options, typed=mode == "csv-typed")
    else:
        seconds, frames, before = child_read_frames(options, int(mode.split("-")[-1]),
                                                    typed="typed" in mode)
    result = {
        "seconds": seconds,
        "frames": len(frames),
        "rows": int(sum(len(frame) for frame in frames)),
        "frame_bytes": frames_memory(frames),
        "kept_kib": trimmed_resident_kib() - before,
        "peak_kib": peak_kib(),
    }
    print(json.dumps(result))


# ---- The parent: preparing, alternating, reporting --------------------------


def measure(options, mode, extra=()):
    command = [sys.executable, __file__, "--child", mode, "--document", str(options.document),
               "--manifest", str(options.manifest), "--work", str(options.work), *extra]
    if options.small:
        command += ["--small", *map(str, options.small)]
    output = subprocess.run(command, check=True, capture_output=True, text=True).stdout
    return json.loads(output.strip().splitlines()[-1])


def export_tables(options):
    """One CSV per object and table, through `kuv export`, once; the
    document is cut into one file per object first, so that each export
    reads one object rather than the whole document."""
    import kuv

    work = pathlib.Path(options.work)
    manifest_path = work / "manifest.json"
    stamp = f"{options.document.stat().st_size}-{options.document.stat().st_mtime_ns}"
    if manifest_path.exists() and (work / "stamp").exists() and \
            (work / "stamp").read_text() == stamp:
        return manifest_path
    work.mkdir(parents=True, exist_ok=True)
    data = options.document.read_bytes()
    head, _, body = data.partition(b"\n<BusinessObject ")
    prolog = head + b"\n"
    pieces = (b"<BusinessObject " + body).split(b"\n<BusinessObject ")
    manifest = {}
    # The tool registers its bundled template when none is; here, not in the
    # user's own configuration.
    environment = dict(os.environ, XDG_CONFIG_HOME=str(work / "config"))
    with kuv.open(options.document) as doc:
        objects = list(doc.objects)
        assert len(objects) == len(pieces), "one piece per object"
        for index, obj in enumerate(objects):
            piece = pieces[index] if index == 0 else b"<BusinessObject " + pieces[index]
            if not piece.rstrip().endswith(b"</KUV>"):
                piece = piece.rstrip(b"\n") + b"\n</KUV>\n"
            single = work / f"object-{index}.kuv"
            single.write_bytes(prolog + piece)
            tables = {}
            for table in obj.frames():
                name = f"object-{index}-{table}.csv"
                subprocess.run([str(options.kuv_tool), "export", str(single), "--format", "csv",
                                "--table", table, "-o", str(work / name)], check=True,
                               env=environment, stderr=subprocess.DEVNULL)
                tables[table] = name
            single.unlink()
            manifest[obj.id] = tables
    manifest_path.write_text(json.dumps(manifest))
    (work / "stamp").write_text(stamp)
    return manifest_path


def check_same_tables(options):
    """The texts of kuv's frames and read_csv's are the same, table by table."""
    import kuv
    import pandas as pd

    manifest = json.loads(pathlib.Path(options.manifest).read_text())
    checked = 0
    with kuv.open(options.document) as doc:
        for obj in doc.objects[:40]:
            for table, name in manifest[obj.id].items():
                # The CSV carries the same row keys as the frame: row_id
                # (the frame's index) and, for nested tables, the parent's.
                ours = obj.to_frame(table).astype(str)
                theirs = pd.read_csv(pathlib.Path(options.work) / name, index_col="row_id",
                                     dtype=str, keep_default_na=False)
                assert list(ours.columns) == list(theirs.columns), (obj.id, table)
                assert list(ours.index.astype(str)) == list(theirs.index.astype(str)), (obj.id, table)
                assert (ours.values == theirs.values).all(), (obj.id, table)
                checked += 1
    return checked


def best_of(runs):
    return {
        "seconds": min(run["seconds"] for run in runs),
        "all": [round(run["seconds"], 3) for run in runs],
        "frame_bytes": max(run["frame_bytes"] for run in runs),
        "kept_kib": max(run["kept_kib"] for run in runs),
        "peak_kib": max(run["peak_kib"] for run in runs),
        "rows": runs[0]["rows"],
        "frames": runs[0]["frames"],
    }


def alternate(options, modes):
    results = {mode: [] for mode in modes}
    for _ in range(options.runs):
        for mode in modes:
            results[mode].append(measure(options, mode))
    return {mode: best_of(runs) for mode, runs in results.items()}


def show(label, result):
    mib = 1024 * 1024
    print(f"  {label:<34} {result['seconds']:7.3f} s  frames {result['frame_bytes'] / mib:7.1f} MiB"
          f"  kept {result['kept_kib'] / 1024:7.1f} MiB  peak {result['peak_kib'] / 1024:7.1f} MiB"
          f"  runs {result['all']}")


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--document", type=pathlib.Path, required=True)
    parser.add_argument("--kuv-tool", type=pathlib.Path)
    parser.add_argument("--small", nargs="*", default=[])
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--work", type=pathlib.Path)
    parser.add_argument("--child")
    parser.add_argument("--manifest")
    options = parser.parse_args()
    if options.child:
        run_child(options)
        return 0

    import kuv

    options.work = options.work or options.document.with_suffix(".csv-tables")
    print(f"kuv {kuv.__file__}; load average {os.getloadavg()[0]:.2f}, {os.cpu_count()} cores")
    status = 0
    if options.kuv_tool:
        options.manifest = export_tables(options)
        print(f"checked {check_same_tables(options)} tables: the same texts as read_csv reads")
        results = alternate(options, ["kuv-text", "csv-text", "kuv-typed", "csv-typed"])
        first = results["kuv-text"]
        print(f"{options.document.name}: {first['frames']} tables of objects, {first['rows']} rows")
        for mode in results:
            show(mode, results[mode])
        for kind in ("text", "typed"):
            ours, theirs = results[f"kuv-{kind}"], results[f"csv-{kind}"]
            faster = theirs["seconds"] / ours["seconds"]
            print(f"  {kind}: kuv {faster:.2f}x read_csv's speed; frames "
                  f"{ours['frame_bytes'] / theirs['frame_bytes']:.2f}x, kept memory "
                  f"{ours['kept_kib'] / max(theirs['kept_kib'], 1):.2f}x read_csv's")
            if faster < 1:
                status = 1
    else:
        options.manifest = ""
    if options.small:
        results = alternate(options, ["read-frames-1", "read-frames-2", "read-frames-typed-1",
                                      "read-frames-typed-2"])
        print(f"read_frames of {len(options.small)} documents: "
              f"{results['read-frames-1']['rows']} rows")
        for kind in ("", "typed-"):
            one, two = results[f"read-frames-{kind}1"], results[f"read-frames-{kind}2"]
            show(f"{kind or 'text-'}1 thread", one)
            show(f"{kind or 'text-'}2 threads", two)
            speedup = one["seconds"] / two["seconds"]
            print(f"  {kind or 'text-'}2 threads: {speedup:.2f}x as fast as 1 (target 1.7x)")
            if speedup < 1.7:
                status = 1
    return status


if __name__ == "__main__":
    sys.exit(main())
