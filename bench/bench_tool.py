#!/usr/bin/python3
"""The kuv tool beside the library on one large document.

Runs each command of the tool on DOCUMENT in a process of its own, best of
--runs, and puts its time beside the library's own pass over the same
document (kuv_bench_library_pass: open, walk every value, save, also a
process of its own) and its peak memory beside the file's size. Exits 1
when a command takes more than 2 times the library's pass or holds more
than 2.5 times the file.

With --changed (a second version of DOCUMENT), kuv diff of the two is put
beside opening both (kuv_bench_open_documents): at most 2 times its time,
3 times the two files in memory. export --format sqlite of DOCUMENT, and
with --corpus (a folder of documents) of every document in it with
--jobs 2, is put beside the library's pass over the same documents (with
2 threads for the corpus): at most 4 times its time, 2.5 times the
largest document in memory.

    bench_tool.py --tool KUV --library-pass PASS DOCUMENT [--runs 3] [--work DIR]
                  [--changed DOCUMENT2 --open-documents OPEN] [--corpus DIR]
"""
import argparse
import glob
import os
import subprocess
import sys
import tempfile
import time

TIME_TARGET = 2.0
MEMORY_TARGET = 2.5
DIFF_TIME_TARGET = 2.0     # times opening both documents
DIFF_MEMORY_TARGET = 3.0   # times the two files
SQLITE_TIME_TARGET = 4.0   # times the library's pass
SQLITE_MEMORY_TARGET = 2.5  # times the largest document


# A child started from this process begins its peak resident memory at
# this process's own peak (the kernel carries it across exec), which grows
# as the bench holds documents: GNU time, small itself, starts the command
# and reports its peak alone.
GNU_TIME = "/usr/bin/time" if os.access("/usr/bin/time", os.X_OK) else None


def run_once(command, stdout):
    """Wall seconds and peak resident bytes of one run of command."""
    with tempfile.NamedTemporaryFile("r") as peak_file:
        measured = ([GNU_TIME, "-q", "-f", "%M", "-o", peak_file.name, *command] if GNU_TIME
                    else command)
        start = time.perf_counter()
        child = subprocess.Popen(measured, stdout=stdout, stderr=subprocess.PIPE)
        _, status, usage = os.wait4(child.pid, 0)
        seconds = time.perf_counter() - start
        error = child.stderr.read().decode(errors="replace")
        child.stderr.close()
        code = os.waitstatus_to_exitcode(status)
        peak = usage.ru_maxrss * 1024
        if GNU_TIME:
            lines = peak_file.read().split()
            peak = int(lines[-1]) * 1024 if lines and lines[-1].isdigit() else peak
    return seconds, peak, code, error


def best_of(runs, command, accepted=(0,), stdout=subprocess.DEVNULL, before=None):
    best = None
    for _ in range(runs):
        if before:
            before()
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
    parser.add_argument("--changed", default=None)
    parser.add_argument("--open-documents", default=None)
    parser.add_argument("--corpus", default=None)
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

    if options.changed:
        missed += bench_diff(options, document, options.changed)
    missed += bench_sqlite(options, [document], library_seconds, library_peak, work, "")
    if options.corpus:
        corpus = sorted(glob.glob(os.path.join(options.corpus, "*.kuv")))
        saved = os.path.join(work, "corpus-saved")
        os.makedirs(saved, exist_ok=True)
        seconds, peak = best_of(options.runs, [options.library_pass, "--jobs", "2", *corpus, saved])
        print(f"\n{len(corpus)} documents of {options.corpus}, "
              f"{sum(map(os.path.getsize, corpus)) / 1e6:.0f} MB, the largest "
              f"{max(map(os.path.getsize, corpus)) / 1e6:.1f} MB")
        print(f"library pass, 2 threads: {seconds:.2f} s, {peak / 1e6:.0f} MB")
        missed += bench_sqlite(options, corpus, seconds, peak, work, "--jobs 2")
    for miss in missed:
        print(f"MISSED {miss}")
    return 1 if missed else 0


def bench_diff(options, document, changed):
    """kuv diff of two versions beside opening both."""
    sizes = os.path.getsize(document) + os.path.getsize(changed)
    open_seconds, open_peak = best_of(options.runs,
                                      [options.open_documents, document, changed])
    print(f"\ndiff against {changed}: the two files {sizes / 1e6:.0f} MB")
    print(f"opening both: {open_seconds:.2f} s, {open_peak / 1e6:.0f} MB")
    missed = []
    for name, extra in (("diff --summary", ["--summary"]), ("diff (every line)", [])):
        # Exit status 1: the documents differ, as they should.
        seconds, peak = best_of(options.runs, [options.tool, "diff", document, changed, *extra],
                                accepted=(1,))
        time_ratio, memory_ratio = seconds / open_seconds, peak / sizes
        print(f"{name:<34} {seconds:8.2f} {time_ratio:10.2f}x opening {peak / 1e6:8.0f} MB "
              f"{memory_ratio:6.2f}x the files")
        if time_ratio > DIFF_TIME_TARGET:
            missed.append(f"{name}: {time_ratio:.2f}x the time to open both")
        if memory_ratio > DIFF_MEMORY_TARGET:
            missed.append(f"{name}: {memory_ratio:.2f}x the two files in memory")
    print(f"targets: at most {DIFF_TIME_TARGET}x opening both, {DIFF_MEMORY_TARGET}x the files")
    return missed


def bench_sqlite(options, documents, library_seconds, library_peak, work, jobs):
    """export --format sqlite into a new database, beside the library's pass."""
    database = os.path.join(work, "archive.db")

    def remove_database():
        for suffix in ("", "-journal"):
            if os.path.exists(database + suffix):
                os.remove(database + suffix)

    largest = max(map(os.path.getsize, documents))
    command = [options.tool, "export", *documents, "--format", "sqlite", "-o", database]
    if jobs:
        command += jobs.split()
    seconds, peak = best_of(options.runs, command, before=remove_database)
    name = f"export --format sqlite {jobs}".strip()
    time_ratio, memory_ratio = seconds / library_seconds, peak / largest
    print(f"{name:<34} {seconds:8.2f} {time_ratio:10.2f}x library {peak / 1e6:8.0f} MB "
          f"{memory_ratio:6.2f}x the largest document ({library_peak / 1e6:.0f} MB for the "
          f"library's pass); database {os.path.getsize(database) / 1e6:.0f} MB")
    remove_database()
    print(f"targets: at most {SQLITE_TIME_TARGET}x the library's time, {SQLITE_MEMORY_TARGET}x "
          "the largest document")
    missed = []
    if time_ratio > SQLITE_TIME_TARGET:
        missed.append(f"{name}: {time_ratio:.2f}x the library's time")
    if memory_ratio > SQLITE_MEMORY_TARGET:
        missed.append(f"{name}: {memory_ratio:.2f}x the largest document in memory")
    return missed


if __name__ == "__main__":
    sys.exit(main())
