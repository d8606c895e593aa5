#!/usr/bin/python3
"""kuv view beside kuv export --format json on one large document.

Times `kuv view DOCUMENT` and `kuv export DOCUMENT --format json` of the
same document, each run a process of its own, best of --runs; then opens
the page in headless Chromium (bench/view_load.cjs, through playwright-core
from NODE_MODULES) and takes the time to its load event. Exits 1 when the
view takes more than 2 times the export, the page more than 1.5 times the
document's bytes, or the load event more than 5 seconds.

    bench_view.py --tool KUV --node-modules DIR DOCUMENT [--runs 3] [--work DIR]
"""
import argparse
import json
import os
import subprocess
import sys
import tempfile

from bench_tool import best_of

TIME_TARGET = 2.0
SIZE_TARGET = 1.5
LOAD_TARGET = 5.0


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("document")
    parser.add_argument("--tool", required=True)
    parser.add_argument("--node-modules", required=True)
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--work", default=None)
    options = parser.parse_args()

    size = os.path.getsize(options.document)
    work = options.work or tempfile.mkdtemp(prefix="kuv-bench-view-")
    os.makedirs(work, exist_ok=True)
    page = os.path.join(work, "page.html")
    exported = os.path.join(work, "document.json")
    tool, document = options.tool, options.document

    print(f"document {document}: {size / 1e6:.1f} MB")
    export_seconds, export_peak = best_of(
        options.runs, [tool, "export", document, "--format", "json", "-o", exported])
    view_seconds, view_peak = best_of(options.runs, [tool, "view", document, "-o", page])
    page_size = os.path.getsize(page)
    json_size = os.path.getsize(exported)
    print(f"{'command':<28} {'seconds':>8} {'peak MB':>8} {'output MB':>10}")
    print(f"{'export --format json':<28} {export_seconds:8.2f} {export_peak / 1e6:8.0f} "
          f"{json_size / 1e6:10.1f}")
    print(f"{'view':<28} {view_seconds:8.2f} {view_peak / 1e6:8.0f} {page_size / 1e6:10.1f}")
    time_ratio = view_seconds / export_seconds
    size_ratio = page_size / size
    print(f"view / export: {time_ratio:.2f}x the time; the page is {size_ratio:.2f}x the document")

    loader = os.path.join(os.path.dirname(os.path.abspath(__file__)), "view_load.cjs")
    run = subprocess.run(["node", loader, page, "--runs", str(options.runs)],
                         env={**os.environ, "NODE_PATH": options.node_modules},
                         capture_output=True, text=True)
    if run.returncode != 0:
        sys.exit(f"view_load.cjs exited {run.returncode}: {run.stderr.strip()}")
    loads = [json.loads(line) for line in run.stdout.splitlines() if line.strip()]
    errors = [error for load in loads for error in load["errors"]]
    load_seconds = min(load["loadEvent"] for load in loads) / 1000
    print("load event in headless Chromium: " +
          ", ".join(f"{load['loadEvent'] / 1000:.2f} s" for load in loads) +
          f" (best {load_seconds:.2f} s; navigation seen from the driver " +
          ", ".join(f"{load['wall'] / 1000:.2f} s" for load in loads) + ")")

    missed = []
    if time_ratio > TIME_TARGET:
        missed.append(f"view takes {time_ratio:.2f}x the export")
    if size_ratio > SIZE_TARGET:
        missed.append(f"the page is {size_ratio:.2f}x the document")
    if load_seconds > LOAD_TARGET:
        missed.append(f"the page loads in {load_seconds:.2f} s")
    if errors:
        missed.append(f"script errors: {errors[:3]}")
    print(f"targets: view within {TIME_TARGET}x the export, the page within {SIZE_TARGET}x the "
          f"document, its load event within {LOAD_TARGET:.0f} s")
    for miss in missed:
        print(f"MISSED {miss}")
    return 1 if missed else 0


if __name__ == "__main__":
    sys.exit(main())
