#!/usr/bin/env bash
# Runs a Windows program under Wine, headless and quiet, in a Wine prefix
# of our own (WINEPREFIX when set, else one per user in the temporary
# folder). The program's exit status is ours.
#
# A 32-bit program runs on the 32-bit loader (wine, from wine32), anything
# else on the 64-bit one (wine64): the machine field of the program's PE
# header tells them apart. In a 64-bit prefix a 32-bit program runs as on
# 64-bit Windows (WoW64), with the 32-bit view of the registry.
#
# KUV_WINE_RETRY_SILENT=1 (the Windows test presets set it): a program that
# fails before writing a byte is started again, up to three times. On a
# loaded machine Wine now and then fails to start a program at all, and
# every test program writes before it can fail, so that a silent failure
# is Wine's, not the test's. Its output is then held until it ends.
set -euo pipefail

export WINEPREFIX="${WINEPREFIX:-${TMPDIR:-/tmp}/kuv-wine-$(id -u)}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"  # no Mono or Gecko prompts
unset DISPLAY WAYLAND_DISPLAY

# Prints the PE machine of a Windows program or DLL (14c for x86, 8664 for
# x64), or nothing for anything else.
pe_machine() {
  local file=$1 offset signature
  [[ -f $file ]] || return 0
  [[ $(head -c 2 "$file" 2>/dev/null) == MZ ]] || return 0
  offset=$(od -An -tu4 -j60 -N4 "$file" | tr -d ' ')
  [[ -n $offset ]] || return 0
  signature=$(od -An -tx1 -j"$offset" -N4 "$file" | tr -d ' ')
  [[ $signature == 50450000 ]] || return 0  # "PE\0\0"
  od -An -tx2 -j$((offset + 4)) -N2 "$file" | tr -d ' ' | sed 's/^0*//'
}

if [[ $(pe_machine "${1:-}") == 14c ]]; then
  wine=/usr/lib/wine/wine
  [[ -x $wine ]] || wine=$(command -v wine || true)
  if [[ -z $wine ]]; then
    echo "wine_run: $1 is a 32-bit program and needs 32-bit Wine (wine32):" \
      "run scripts/setup_windows.sh" >&2
    exit 127
  fi
else
  wine=/usr/lib/wine/wine64
  [[ -x $wine ]] || wine=$(command -v wine64 || command -v wine)
fi
if [[ ${KUV_WINE_RETRY_SILENT:-} != 1 ]]; then
  exec "$wine" "$@"
fi

held=$(mktemp -d "${TMPDIR:-/tmp}/kuv-wine-run.XXXXXX")
trap 'rm -rf "$held"' EXIT
status=0
for attempt in 1 2 3; do
  status=0
  "$wine" "$@" >"$held/out" 2>"$held/err" || status=$?
  if ((status == 0)) || [[ -s $held/out || -s $held/err ]]; then break; fi
  echo "wine_run: $1 failed with status $status before writing anything (attempt $attempt)" \
    >>"$held/notes"
done
cat "$held/out"
cat "$held/err" >&2
if [[ -s $held/notes ]]; then cat "$held/notes" >&2; fi
exit "$status"
