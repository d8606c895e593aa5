#!/usr/bin/env bash
# Runs a Windows program under Wine, headless and quiet, in a Wine prefix
# of our own (WINEPREFIX when set, else one per user in the temporary
# folder). The program's exit status is ours.
set -euo pipefail

export WINEPREFIX="${WINEPREFIX:-${TMPDIR:-/tmp}/kuv-wine-$(id -u)}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"  # no Mono or Gecko prompts
unset DISPLAY WAYLAND_DISPLAY

wine=/usr/lib/wine/wine64
[[ -x $wine ]] || wine=$(command -v wine64 || command -v wine)
exec "$wine" "$@"
