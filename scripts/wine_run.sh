#!/usr/bin/env bash
# Runs a Windows program under Wine, headless and quiet, in a Wine prefix
# of our own (WINEPREFIX when set, else one per user in the temporary
# folder). The program's exit status is ours.
#
# KUV_WINE_RETRY_SILENT=1 (the Windows test preset sets it): a program that
# fails before writing a byte is started again, up to three times. On a
# loaded machine Wine now and then fails to start a program at all, and
# every test program writes before it can fail, so that a silent failure
# is Wine's, not the test's. Its output is then held until it ends.
set -euo pipefail

export WINEPREFIX="${WINEPREFIX:-${TMPDIR:-/tmp}/kuv-wine-$(id -u)}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"  # no Mono or Gecko prompts
unset DISPLAY WAYLAND_DISPLAY

wine=/usr/lib/wine/wine64
[[ -x $wine ]] || wine=$(command -v wine64 || command -v wine)
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
