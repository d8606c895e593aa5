#!/usr/bin/python3
"""kuv import's JSON reading: the tool's own pull parser beside nlohmann's
SAX parser and RapidJSON's reader, on the same JSON in the same run.

Runs `kuv import JSON` (the tool as users run it) and, for each reader,
kuv_bench_json_import, which reads the JSON with that reader and builds,
checks and writes the objects as import does, then the same reading alone
(--stage read). Each run is a process of its own, the readers alternate, and
each figure is the best of --runs (wall seconds, and processor seconds,
user and system, over all threads) with the highest peak memory seen.
Every import's document must equal the tool's byte for byte. Prints each
library's import beside the pull parser's, against the bar of 1.2 times in
time and in memory. Import reads on a thread of its own beside the
building, so its wall time hides a slower reader while a core is free for
it; on a loaded machine the processor seconds tell more.

    bench_json_readers.py JSON --tool KUV --bench KUV_BENCH_JSON_IMPORT [--runs 3] [--work DIR]
"""
import argparse
import filecmp
import os
import subprocess
import sys
import tempfile
import time

BAR = 1.2
READERS = ("pull", "nlohmann", "rapidjson")


def run_once(command):
    """Wall seconds, processor seconds and peak resident bytes of one run."""
    start = time.perf_counter()
    child = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    _, status, usage = os.wait4(child.pid, 0)
    seconds = time.perf_counter() - start
    error = child.stderr.read().decode(errors="replace")
    child.stderr.close()
    if os.waitstatus_to_exitcode(status) != 0:
        sys.exit(f"{' '.join(command)} failed: {error.strip()}")
    return seconds, usage.ru_utime + usage.ru_stime, usage.ru_maxrss * 1024


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("json")
    parser.add_argument("--tool", required=True)
    parser.add_argument("--bench", required=True)
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--work", default=None)
    options = parser.parse_args()
    work = options.work or tempfile.mkdtemp(prefix="kuv-bench-json-")
    os.makedirs(work, exist_ok=True)

    commands = {"kuv import": [options.tool, "import", options.json, "-o",
                               os.path.join(work, "tool.kuv")]}
    for reader in READERS:
        commands[f"{reader} import"] = [options.bench, "--reader", reader, options.json,
                                        os.path.join(work, f"{reader}.kuv")]
    for reader in READERS:
        commands[f"{reader} read"] = [options.bench, "--reader", reader, "--stage", "read",
                                      options.json]
    subprocess.run(["cat", options.json], stdout=subprocess.DEVNULL, check=True)  # page cache

    best = {}
    for _ in range(options.runs):
        for name, command in commands.items():
            seconds, cpu, peak = run_once(command)
            print(f"  {name:<18} {seconds:7.2f} s {cpu:7.2f} s cpu {peak / 1e6:7.0f} MB", flush=True)
            old = best.get(name, (seconds, cpu, peak))
            best[name] = (min(seconds, old[0]), min(cpu, old[1]), max(peak, old[2]))
    for reader in READERS:
        if not filecmp.cmp(os.path.join(work, "tool.kuv"), os.path.join(work, f"{reader}.kuv"),
                           shallow=False):
            sys.exit(f"the {reader} import differs from the tool's")

    size = os.path.getsize(options.json)
    print(f"\nJSON {options.json}: {size / 1e6:.0f} MB; best of {options.runs}, highest peak")
    print(f"{'':<18} {'seconds':>8} {'cpu s':>7} {'peak MB':>8} {'x pull':>7} {'x cpu':>6} "
          f"{'x mem':>6}")
    for name, (seconds, cpu, peak) in best.items():
        reader = name.split()[0]
        base = best.get(f"pull {name.split()[1]}") if reader in READERS else None
        ratios = (f"{seconds / base[0]:7.2f} {cpu / base[1]:6.2f} {peak / base[2]:6.2f}"
                  if base else "")
        print(f"{name:<18} {seconds:8.2f} {cpu:7.2f} {peak / 1e6:8.0f} {ratios}")
    pull = best["pull import"]
    verdicts = []
    for reader in READERS[1:]:
        seconds, cpu, peak = best[f"{reader} import"]
        within = seconds <= BAR * pull[0] and cpu <= BAR * pull[1] and peak <= BAR * pull[2]
        verdicts.append(f"{reader}: {'within' if within else 'beyond'} {BAR}x of the pull parser's "
                        f"import ({seconds / pull[0]:.2f}x wall, {cpu / pull[1]:.2f}x processor, "
                        f"{peak / pull[2]:.2f}x memory)")
    print("\n" + "\n".join(verdicts))


if __name__ == "__main__":
    main()
