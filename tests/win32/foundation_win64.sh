#!/usr/bin/env bash
# Runs a Win32 test program in a throw-away 64-bit Wine prefix of its own, then stops
# that prefix's processes and removes it.
#   foundation_win64.sh PROGRAM.exe [arguments]
set -euo pipefail
program=$1
shift
here=$(cd "$(dirname "$0")" && pwd)
wine_dir=${PENTARO_WINE_DIR:?PENTARO_WINE_DIR must name the test prefixes folder}
mkdir -p "$wine_dir"
prefix=$(mktemp -d "$wine_dir/foundation64.XXXXXX")
"$here/../support/wine-prefix" new 64 "$prefix" >/dev/null

export WINEPREFIX=$prefix WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
cleanup() {
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
    rm -rf "$prefix"
}
trap cleanup EXIT
# The prefix's services start detached from CTest's output pipe, which they would
# otherwise hold open.
wine wineboot </dev/null >/dev/null 2>&1
wine "$program" "$@"
