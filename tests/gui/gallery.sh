#!/usr/bin/env bash
# Starts the controls gallery under Wine, waits for its window, saves a screenshot of the
# screen as the PNG file OUT and ends the gallery.   usage: gallery.sh GALLERY.EXE OUT
set -euo pipefail
exe=$1
out=$2
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../support/xvfb.sh"

gallery=
cleanup() {
    if [ -n "$gallery" ]; then
        kill "$gallery" 2>/dev/null || true
        wait "$gallery" 2>/dev/null || true
    fi
    stop_xvfb
}
trap cleanup EXIT

start_xvfb
mkdir -p "$(dirname "$out")"
rm -f "$out"
wine "$exe" </dev/null >/dev/null 2>&1 &
gallery=$!

found=
for _ in $(seq 1 150); do
    if xdotool search --name '^Controls gallery$' >/dev/null 2>&1; then
        found=1
        break
    fi
    if ! kill -0 "$gallery" 2>/dev/null; then
        echo "the gallery ended before its window showed" >&2
        exit 1
    fi
    sleep 0.2
done
if [ -z "$found" ]; then
    echo "no window 'Controls gallery' after 30 s" >&2
    exit 1
fi
sleep 1 # the first paint
import -window root "$out"
[ -s "$out" ] || { echo "no screenshot written" >&2; exit 1; }
echo "screenshot: $out"
