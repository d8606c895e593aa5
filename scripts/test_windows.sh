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

# Builds one preset and runs its tests in a fresh Wine prefix, set up
# before the build, whose test listing already runs the test programs.
# One server serves the whole run, so that each program starts quickly.
# Wine's services and desktop process start with the first program that
# needs them, holding on to its output: a test program that started them
# kept CTest waiting until the end of the run. So wineboot starts the
# services, and a first run of kuv.exe the desktop, both with their output
# to /dev/null; the desktop stays while programs keep using it.
build_and_test() {
  local preset=$1
  wineprefix="$(mktemp -d "${TMPDIR:-/tmp}/kuv-wine-$preset.XXXXXX")"
  export WINEPREFIX=$wineprefix
  /usr/lib/wine/wineserver -p
  bash scripts/wine_run.sh wineboot --init </dev/null >/dev/null 2>&1 || true
  cmake --preset "$preset"
  cmake --build --preset "$preset"
  bash scripts/wine_run.sh "build/$preset/bin/kuv.exe" --version </dev/null >/dev/null 2>&1 || true
  ctest --preset "$preset"
  stop_wine
}

# x86 first: the x64 run packs both builds into the zip.
build_and_test windows-x86
build_and_test windows
