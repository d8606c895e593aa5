#!/usr/bin/env bash
# The tool beside the library: generates a document of --size-mb (200 by
# default) under build/ once, points the tool at the bundled template, and
# runs bench/bench_tool.py, which times every command beside the library's
# own pass and exits 1 when one misses its target.
#
#   scripts/bench_tool.sh [--size-mb 200] [--runs 3]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
size_mb=200
runs=3
while (($#)); do
  case $1 in
    --size-mb) size_mb=$2; shift 2 ;;
    --runs) runs=$2; shift 2 ;;
    *) echo "usage: $0 [--size-mb MB] [--runs N]" >&2; exit 2 ;;
  esac
done

bash scripts/setup.sh
build=${KUV_BENCH_BUILD_DIR:-build/release}
cmake --preset release -B "$build" >/dev/null
cmake --build "$build" -j2 --target kuv_generate_document kuv_bench_library_pass kuv_tool
bin=$root/$build/bench

data=$root/build/bench-data
document=$data/document-${size_mb}MB.kuv
if [[ ! -f $document || $bin/kuv_generate_document -nt $document ]]; then
  "$bin/kuv_generate_document" --out "$document" --size-mb "$size_mb" --seed 1 >/dev/null
fi
mkdir -p "$data/config/KUV/Template"
printf '%s\0' "$root/examples/Standard.kvt" >"$data/config/KUV/Template/FileName"
export XDG_CONFIG_HOME=$data/config

# Outputs go beside the document, on the same disk as the library's save.
work=$data/tool-work
rm -rf "$work"
status=0
/usr/bin/python3 bench/bench_tool.py "$document" --tool "$root/$build/tools/kuv" \
  --library-pass "$bin/kuv_bench_library_pass" --runs "$runs" --work "$work" || status=$?
rm -rf "$work"
exit $status
