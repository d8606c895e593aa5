#!/usr/bin/env bash
# kuv view beside kuv export --format json: generates a document of
# --size-mb (100 by default) under build/ once, points the tool at the
# bundled template, installs the browser test's Node.js packages under
# build/, and runs bench/bench_view.py, which times both commands, opens
# the page in headless Chromium and exits 1 when a target is missed.
#
#   scripts/bench_view.sh [--size-mb 100] [--runs 3]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
size_mb=100
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
cmake --build "$build" -j2 --target kuv_generate_document kuv_tool

data=$root/build/bench-data
mkdir -p "$data"
document=$data/document-${size_mb}MB.kuv
generator=$root/$build/bench/kuv_generate_document
if [[ ! -f $document || $generator -nt $document ]]; then
  "$generator" --out "$document" --size-mb "$size_mb" --seed 1 >/dev/null
fi
mkdir -p "$data/config/KUV/Template"
printf '%s\0' "$root/examples/Standard.kvt" >"$data/config/KUV/Template/FileName"
export XDG_CONFIG_HOME=$data/config

driver=$data/browser-driver
bash tests/browser/install_driver.sh tests/browser "$driver" >/dev/null

work=$data/view-work
rm -rf "$work"
status=0
/usr/bin/python3 bench/bench_view.py "$document" --tool "$root/$build/tools/kuv" \
  --node-modules "$driver/node_modules" --runs "$runs" --work "$work" || status=$?
rm -rf "$work"
exit $status
