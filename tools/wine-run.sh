#!/usr/bin/env bash
# Runs a Windows program under Wine, as CTest's emulator for the cross build and for
# tools/test-windows.sh: in a Wine prefix of the Windows build folder (made on first use), with
# the .NET and browser add-ons turned off so the first start fetches nothing, without a display
# and without Wine's debug chatter.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX="${WINEPREFIX:-$root/build-windows/wine}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
export WINEDEBUG="${WINEDEBUG:--all}"
unset DISPLAY WAYLAND_DISPLAY
exec wine "$@"
