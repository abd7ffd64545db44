#!/usr/bin/env bash
# Runs a Win32 test executable in a fresh Wine prefix whose display scale is DPI dots per
# inch (HKCU\Control Panel\Desktop LogPixels, which Wine reads when a program starts), on a
# Wine desktop large enough for the scaled windows, on an X display of its own that holds
# that desktop.   usage: dpi.sh DPI EXE [ARGS...]
set -euo pipefail
dpi=$1
shift
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
wine_dir=${PENTARO_WINE_DIR:-$root/build/wine}
export WINEPREFIX=$wine_dir/dpi$dpi
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
"$here/../support/wine-prefix" new 32 "$WINEPREFIX" >/dev/null

. "$here/../support/xvfb.sh"
cleanup() {
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
    stop_xvfb
}
trap cleanup EXIT
start_xvfb 2048x1536

# The settings, then the prefix's services, all detached from CTest's output pipes.
{
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f
    wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1920x1200 /f
    wineserver -k || true
    wineserver -w || true
    wine wineboot
} </dev/null >/dev/null 2>&1
wine "$@" </dev/null
