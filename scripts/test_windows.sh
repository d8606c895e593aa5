#!/usr/bin/env bash
# Cross-compiles kuv.dll and the tests for 64-bit Windows and runs the
# tests under Wine, headless, in a Wine prefix made for this run.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup_windows.sh

WINEPREFIX="$(mktemp -d "${TMPDIR:-/tmp}/kuv-wine.XXXXXX")"
export WINEPREFIX
cleanup() {
  /usr/lib/wine/wineserver -k 2>/dev/null || true
  rm -rf "$WINEPREFIX"
}
trap cleanup EXIT

# One server for the whole run, so that each test program starts quickly.
bash scripts/wine_run.sh wineboot --init >/dev/null 2>&1 || true
/usr/lib/wine/wineserver -p 2>/dev/null || true

cmake --preset windows
cmake --build --preset windows
ctest --preset windows
