#!/usr/bin/env bash
# The tool beside the library: generates a document of --size-mb (200 by
# default) under build/ once, a second version of it with 1 % of its values
# changed, and a corpus of 200 documents of 1 MB, points the tool at the
# bundled template, and runs bench/bench_tool.py, which times every command
# beside the library's own pass (diff beside opening both versions) and
# exits 1 when one misses its target.
#
#   scripts/bench_tool.sh [--size-mb 200] [--runs 3] [--corpus 200]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
size_mb=200
runs=3
corpus_count=200
while (($#)); do
  case $1 in
    --size-mb) size_mb=$2; shift 2 ;;
    --runs) runs=$2; shift 2 ;;
    --corpus) corpus_count=$2; shift 2 ;;
    *) echo "usage: $0 [--size-mb MB] [--runs N] [--corpus N]" >&2; exit 2 ;;
  esac
done

bash scripts/setup.sh
build=${KUV_BENCH_BUILD_DIR:-build/release}
cmake --preset release -B "$build" >/dev/null
cmake --build "$build" -j2 --target kuv_generate_document kuv_bench_library_pass \
  kuv_bench_open_documents kuv_tool
bin=$root/$build/bench

data=$root/build/bench-data
document=$data/document-${size_mb}MB.kuv
if [[ ! -f $document || $bin/kuv_generate_document -nt $document ]]; then
  "$bin/kuv_generate_document" --out "$document" --size-mb "$size_mb" --seed 1 >/dev/null
fi
changed=$data/document-${size_mb}MB-changed.kuv
if [[ ! -f $changed || $bin/kuv_generate_document -nt $changed ]]; then
  "$bin/kuv_generate_document" --out "$changed" --size-mb "$size_mb" --seed 1 \
    --change-percent 1 >/dev/null
fi
corpus=$data/corpus-$corpus_count
if [[ ! -f $corpus/done || $bin/kuv_generate_document -nt $corpus/done ]]; then
  rm -rf "$corpus" && mkdir -p "$corpus"
  for ((i = 1; i <= corpus_count; i++)); do
    "$bin/kuv_generate_document" --out "$corpus/well-$i.kuv" --size-mb 1 --seed "$i" >/dev/null
  done
  rm -f "$corpus"/*.stats && touch "$corpus/done"
fi
mkdir -p "$data/config/KUV/Template"
printf '%s\0' "$root/examples/Standard.kvt" >"$data/config/KUV/Template/FileName"
export XDG_CONFIG_HOME=$data/config

# Outputs go beside the document, on the same disk as the library's save.
work=$data/tool-work
rm -rf "$work"
status=0
/usr/bin/python3 bench/bench_tool.py "$document" --tool "$root/$build/tools/kuv" \
  --library-pass "$bin/kuv_bench_library_pass" --runs "$runs" --work "$work" \
  --changed "$changed" --open-documents "$bin/kuv_bench_open_documents" --corpus "$corpus" \
  || status=$?
rm -rf "$work"
exit $status
