#!/usr/bin/env bash
# Old *.conf files beside the written dosbox.conf, seen from the Linux side: on a fixed drive
# they go to the Recycle Bin (Wine's is the freedesktop trash) and folders stay; on a removable
# drive, which has no Recycle Bin, nothing is deleted and only dosbox.conf is replaced.
#   dosbox_conf_bin.sh <dosbox_setup_helper.exe> <work folder>
set -euo pipefail
helper=$1
work=$2
source "$(dirname "$0")/dosbox_common.sh"

# The user's files in an install folder: keep.conf, an old dosbox.conf, and a folder
# nginx.conf with a file inside.
plant() {
    rm -rf "$1"
    mkdir -p "$1/nginx.conf/sites"
    echo keep >"$1/keep.conf"
    echo old >"$1/dosbox.conf"
    echo server >"$1/nginx.conf/sites/default"
}

# check FOLDER WHAT: the new dosbox.conf mounts the folder; the nginx.conf folder is intact.
check_common() {
    grep -q "^mount c $2" "$1/dosbox.conf" || fail "$2: dosbox.conf not written"
    expect "$2: the folder nginx.conf and its file stay" \
        "$(cat "$1/nginx.conf/sites/default")" server
}

start_xvfb
rm -rf "$work"
mkdir -p "$work"
dosbox_prefix "$work/prefix"
trash=$XDG_DATA_HOME/Trash/files

fixed=$WINEPREFIX/drive_c/tq
plant "$fixed"
dosbox_helper conf 'c:\tq\tarnw.exe'
check_common "$fixed" 'c:\\tq'
expect "fixed drive: keep.conf gone from the folder" "$(ls "$fixed")" "dosbox.conf
nginx.conf"
expect "fixed drive: keep.conf in the Recycle Bin" "$(cat "$trash/keep.conf" 2>&1)" keep
expect "fixed drive: the old dosbox.conf in the Recycle Bin" "$(cat "$trash/dosbox.conf" 2>&1)" old
expect "fixed drive: no folder in the Recycle Bin" "$(ls "$trash" | grep -c nginx || true)" 0

# Drive E: removable (Wine's "floppy" type); the mount manager reads it when it starts.
removable=$work/stick
mkdir -p "$removable"
ln -s "$removable" "$WINEPREFIX/dosdevices/e:"
wine reg add 'HKLM\Software\Wine\Drives' /v e: /d floppy /f </dev/null >/dev/null 2>&1
wineserver -k || true
wineserver -w
wine wineboot </dev/null >/dev/null 2>&1
rm -rf "$trash"
plant "$removable/tq"
dosbox_helper conf 'e:\tq\tarnw.exe'
check_common "$removable/tq" 'e:\\tq'
expect "removable drive: keep.conf stays" "$(cat "$removable/tq/keep.conf" 2>&1)" keep
expect "removable drive: nothing in the Recycle Bin" "$(ls "$trash" 2>/dev/null | wc -l)" 0

dosbox_finish
