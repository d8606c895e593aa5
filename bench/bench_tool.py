#!/usr/bin/python3
"""The kuv tool beside the library on one large document.

Runs each command of the tool on DOCUMENT in a process of its own, best of
--runs, and puts its time beside the library's own pass over the same
document (kuv_bench_library_pass: open, walk every value, save, also a
process of its own) and its peak memory beside the file's size. Exits 1
when a command takes more than 2 times the library's pass or holds more
than 2.5 times the file.

    bench_tool.py --tool KUV --library-pass PASS DOCUMENT [--runs 3] [--work DIR]
"""
import argparse
import os
import subprocess
import sys
import tempfile
import time

TIME_TARGET = 2.0
MEMORY_TARGET = 2.5


def run_once(command, stdout):
    """Wall seconds and peak resident bytes of one run of command."""
    start = time.perf_counter()
    child = subprocess.Popen(command, stdout=stdout, stderr=subprocess.PIPE)
    _, status, usage = os.wait4(child.pid, 0)
    seconds = time.perf_counter() - start
    error = child.stderr.read().decode(errors="replace")
    child.stderr.close()
    code = os.waitstatus_to_exitcode(status)
    return seconds, usage.ru_maxrss * 1024, code, error


def best_of(runs, command, accepted=(0,), stdout=subprocess.DEVNULL):
    best = None
    for _ in range(runs):
        seconds, peak, code, error = run_once(command, stdout)
        if code not in accepted:
            sys.exit(f"{' '.join(command)} exited {code}: {error.strip()}")
        if best is None or seconds < best[0]:
            best = (seconds, peak)
    return best


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("document")
    parser.add_argument("--tool", required=True)
    parser.add_argument("--library-pass", required=True)
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--work", default=None)
    options = parser.parse_args()

    size = os.path.getsize(options.document)
    work = options.work or tempfile.mkdtemp(prefix="kuv-bench-tool-")
    os.makedirs(work, exist_ok=True)
    saved = os.path.join(work, "library-saved.kuv")
    json_path = os.path.join(work, "document.json")
    imported = os.path.join(work, "imported.kuv")
    tool, document = options.tool, options.document

    library_seconds, library_peak = best_of(
        options.runs, [options.library_pass, document, saved])
    print(f"document {document}: {size / 1e6:.1f} MB")
    print(f"library pass (open, walk, save): {library_seconds:.2f} s, "
          f"{library_peak / 1e6:.0f} MB ({library_peak / size:.2f}x the file)")
    print(f"{'command':<34} {'seconds':>8} {'x library':>10} {'peak MB':>8} {'x file':>7}")

    # The strict check reports what a generated document does not declare
    # (exit 1); that is its work, not a failure.
    commands = [
        ("check", [tool, "check", document], (0,)),
        ("check --strict", [tool, "check", "--strict", document], (0, 1)),
        ("show", [tool, "show", document], (0,)),
        ("export --format json", [tool, "export", document, "--format", "json", "-o", json_path],
         (0,)),
        # The JSON is about three times the document: the same export to
        # /dev/null shows what the disk adds.
        ("  the same to /dev/null", [tool, "export", document, "--format", "json", "-o", os.devnull],
         (0,)),
        ("import (format version 2)", [tool, "import", json_path, "-o", imported], (0,)),
    ]
    missed = []
    for name, command, accepted in commands:
        seconds, peak = best_of(options.runs, command, accepted)
        time_ratio = seconds / library_seconds
        memory_ratio = peak / size
        print(f"{name:<34} {seconds:8.2f} {time_ratio:10.2f} {peak / 1e6:8.0f} {memory_ratio:7.2f}")
        if time_ratio > TIME_TARGET and not name.startswith(" "):
            missed.append(f"{name}: {time_ratio:.2f}x the library's time")
        if memory_ratio > MEMORY_TARGET:
            missed.append(f"{name}: {memory_ratio:.2f}x the file in memory")

    with open(document, "rb") as original, open(imported, "rb") as back:
        if original.read() != back.read():
            sys.exit("the imported document differs from the exported one")
    print("export then import gives the document back byte for byte")
    print(f"targets: at most {TIME_TARGET}x the library's time and {MEMORY_TARGET}x the file")
    for miss in missed:
        print(f"MISSED {miss}")
    return 1 if missed else 0


if __name__ == "__main__":
    sys.exit(main())
