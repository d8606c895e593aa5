#!/usr/bin/env bash
# The library beside the limits of the machine: generates documents of 1,
# 10 and 100 MB under build/ (once), points the library at the bundled
# template, and prints the four ratios of kuv_bench_limits (open, walk,
# save, memory). Exits 1 when one misses its target.
#
#   scripts/bench_limits.sh [--runs 5]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
runs=5
if [[ ${1:-} == --runs ]]; then runs=$2; fi

bash scripts/setup.sh
build=${KUV_BENCH_BUILD_DIR:-build/release}
cmake --preset release -B "$build" >/dev/null
cmake --build "$build" -j2 --target kuv_generate_document kuv_bench_limits
bin=$root/$build/bench

data=$root/build/bench-data
mkdir -p "$data/config/KUV/Template"
documents=()
for size in 1 10 100; do
  document=$data/document-${size}MB.kuv
  if [[ ! -f $document || $bin/kuv_generate_document -nt $document ]]; then
    "$bin/kuv_generate_document" --out "$document" --size-mb "$size" --seed 1 >/dev/null
  fi
  documents+=("$document")
done
printf '%s\0' "$root/examples/Standard.kvt" >"$data/config/KUV/Template/FileName"
export XDG_CONFIG_HOME=$data/config

echo "machine: $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg)"
"$bin/kuv_bench_limits" "${documents[@]}" --runs "$runs"
