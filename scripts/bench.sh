#!/usr/bin/env bash
# Builds the optimised library and the benchmarks, generates a well-data
# document under build/ (once per size and generator), points the library
# at a template, and runs the benchmarks on that one document; then the
# document API's and the Python package's on it and on many small
# generated documents.
#
#   scripts/bench.sh [--size-mb 100] [--runs 5] [--values 1000000] [--small-documents 200]
#
# KUV_BENCH_BUILD_DIR picks the build folder (default build/release, the
# release preset's; another folder is configured the same way).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

size_mb=100
runs=5
values=1000000
small_count=200
while (($#)); do
  case $1 in
    --size-mb) size_mb=$2; shift 2 ;;
    --runs) runs=$2; shift 2 ;;
    --values) values=$2; shift 2 ;;
    --small-documents) small_count=$2; shift 2 ;;
    *) echo "usage: $0 [--size-mb MB] [--runs N] [--values N] [--small-documents N]" >&2; exit 2 ;;
  esac
done

bash scripts/setup.sh

build=${KUV_BENCH_BUILD_DIR:-build/release}
if [[ $build == build/release ]]; then
  cmake --preset release >/dev/null
else
  cmake --preset release -B "$build" >/dev/null
fi
cmake --build "$build" -j2 --target kuv_generate_document kuv_bench_read kuv_bench_enumerate \
  kuv_bench_save kuv_bench_build kuv_bench_document
bin=$root/$build/bench

# The document is generated, never committed; build/ is ignored.
data=$root/build/bench-data
mkdir -p "$data"
document=$data/document-${size_mb}MB.kuv
if [[ ! -f $document || ! -f $document.stats || $bin/kuv_generate_document -nt $document ]]; then
  "$bin/kuv_generate_document" --out "$document" --size-mb "$size_mb" --seed 1
fi

# The library reads its template path from $XDG_CONFIG_HOME/KUV/Template/FileName
# when it is loaded: the path's bytes and a zero byte.
template=$root/examples/Standard.kvt
if [[ ! -f $template ]]; then
  template=$data/Standard.kvt
  "$bin/kuv_generate_document" --template "$template"
fi
mkdir -p "$data/config/KUV/Template"
printf '%s\0' "$template" >"$data/config/KUV/Template/FileName"
export XDG_CONFIG_HOME=$data/config

echo
echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs)," \
  "load average $(cut -d' ' -f1-3 /proc/loadavg)"

status=0
"$bin/kuv_bench_read" "$document" --runs "$runs" || status=1
"$bin/kuv_bench_enumerate" "$document" --runs "$runs" || status=1
"$bin/kuv_bench_save" "$document" --runs "$runs" || status=1
"$bin/kuv_bench_build" --values "$values" --runs "$runs" --out-dir "$data" || status=1

# The document API: the same document through Document::Open beside
# KuvOpen, and many small documents on one thread and on two.
"$bin/kuv_bench_document" open "$document" --runs "$runs" || status=1
small=$data/small
mkdir -p "$small"
small_documents=()
for seed in $(seq 1 "$small_count"); do
  file=$small/document-1MB-$seed.kuv
  if [[ ! -f $file || $bin/kuv_generate_document -nt $file ]]; then
    "$bin/kuv_generate_document" --out "$file" --size-mb 1 --seed "$seed" >/dev/null
  fi
  small_documents+=("$file")
done
"$bin/kuv_bench_document" threads "${small_documents[@]}" --runs "$runs" || status=1

# The Python package beside pandas.read_csv on the same tables, and
# read_frames of the small documents on one thread and on two.
if cmake --build "$build" -j2 --target kuv_python kuv_tool >/dev/null; then
  PYTHONPATH=$root/$build/python /usr/bin/python3 bench/bench_python.py --document "$document" \
    --kuv-tool "$root/$build/tools/kuv" --small "${small_documents[@]}" --runs "$runs" || status=1
else
  echo "bench: the Python package or the tool did not build; the Python benchmark is skipped" >&2
  status=1
fi
exit $status
