#!/usr/bin/env bash
# Old *.conf files beside the written dosbox.conf on a removable drive, which has no Recycle
# Bin, seen from the Linux side: nothing is deleted, only dosbox.conf is replaced. (On a fixed
# drive they go to the Recycle Bin and folders stay: dosbox_test.cpp.)
#   dosbox_conf_bin.sh <dosbox_setup_helper.exe> <work folder>
set -euo pipefail
helper=$1
work=$2
source "$(dirname "$0")/dosbox_common.sh"

start_xvfb
rm -rf "$work"
mkdir -p "$work"
dosbox_prefix "$work/prefix"

# Drive E: removable (Wine's "floppy" type); the mount manager reads it when it starts.
stick=$work/stick
mkdir -p "$stick/tq/nginx.conf/sites"
ln -s "$stick" "$WINEPREFIX/dosdevices/e:"
wine reg add 'HKLM\Software\Wine\Drives' /v e: /d floppy /f </dev/null >/dev/null 2>&1
wineserver -k || true
wineserver -w
wine wineboot </dev/null >/dev/null 2>&1

# The user's files: keep.conf, an old dosbox.conf, a folder nginx.conf with a file inside.
echo keep >"$stick/tq/keep.conf"
echo old >"$stick/tq/dosbox.conf"
echo server >"$stick/tq/nginx.conf/sites/default"
dosbox_helper conf 'e:\tq\tarnw.exe'

grep -q '^mount c e:\\tq' "$stick/tq/dosbox.conf" || fail "dosbox.conf not written"
expect "keep.conf stays" "$(cat "$stick/tq/keep.conf" 2>&1)" keep
expect "the folder nginx.conf and its file stay" "$(cat "$stick/tq/nginx.conf/sites/default")" \
    server
expect "nothing in the Recycle Bin" "$(ls "$XDG_DATA_HOME/Trash/files" 2>/dev/null | wc -l)" 0

dosbox_finish
