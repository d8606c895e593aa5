#!/usr/bin/env bash
# Cross-compiles kuv.dll, kuvdocument.dll, kuv.exe and the tests for 32-bit
# (x86) and 64-bit (x64) Windows and runs the tests under Wine, headless,
# each architecture in a Wine prefix made for its run. The x64 run also
# makes the Windows zip of both builds and runs it (Release.WindowsZip...).
#
# Both prefixes are 64-bit: the x86 programs run in theirs on 32-bit Wine
# as on 64-bit Windows (WoW64), where 32-bit hosts meet the registry's
# 32-bit view.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup_windows.sh

wineprefix=""
stop_wine() {
  if [[ -n $wineprefix ]]; then
    WINEPREFIX=$wineprefix /usr/lib/wine/wineserver -k 2>/dev/null || true
    rm -rf "$wineprefix"
  fi
  wineprefix=""
}
trap stop_wine EXIT

# Builds one preset and runs its tests in a fresh Wine prefix, which sets
# itself up while the build runs. One server serves the whole run, so that
# each test program starts quickly, and it keeps the prefix's services
# (started by wineboot, their output to /dev/null) until the end: services
# that a test program started would hold its output pipe open, and CTest
# would wait for them.
build_and_test() {
  local preset=$1 boot
  wineprefix="$(mktemp -d "${TMPDIR:-/tmp}/kuv-wine-$preset.XXXXXX")"
  export WINEPREFIX=$wineprefix
  /usr/lib/wine/wineserver -p
  bash scripts/wine_run.sh wineboot --init </dev/null >/dev/null 2>&1 &
  boot=$!
  cmake --preset "$preset"
  cmake --build --preset "$preset"
  wait "$boot" || true
  ctest --preset "$preset"
  stop_wine
}

# x86 first: the x64 run packs both builds into the zip.
build_and_test windows-x86
build_and_test windows
