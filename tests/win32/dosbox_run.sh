#!/usr/bin/env bash
# The written dosbox.conf run by Debian's DOSBox 0.74 under Xvfb. WriteDosBoxConf runs under
# Wine in a throw-away prefix; the test then rewrites the one mount line from the Windows folder
# to the same folder's Unix path (keeping the quotes and doubled % signs as written) and starts
# DOSBox with the file. The stand-in tarnw.exe must leave RAN.TXT with its command tail " /ns",
# the print file f must be gone and DOSBox must exit by itself.
#   dosbox_run.sh <dosbox_setup_helper.exe> <tarnw.exe> <dosbox-0.74.conf> <work folder>
set -euo pipefail
helper=$1
tarnw=$2
template=$3
work=$4
source "$(dirname "$0")/dosbox_common.sh"

start_xvfb
mkdir -p "$work"
dosbox_prefix "$work/prefix"
# D: as on the maker's own machines: a folder of the test's.
rm -rf "$work/d"
mkdir -p "$work/d"
ln -sfn "$work/d" "$WINEPREFIX/dosdevices/d:"
export HOME=$work/home SDL_AUDIODRIVER=dummy
mkdir -p "$HOME"

# windows_folder unix_folder [unquoted]
run_case() {
    local windows=$1 unix=$2 variant=${3:-}
    local name="DOSBox in [$windows]${variant:+ ($variant)}"
    mkdir -p "$unix"
    rm -f "$unix/RAN.TXT" "$unix/dosbox.conf"
    cp "$tarnw" "$unix/tarnw.exe"
    echo "printed" >"$unix/f"
    dosbox_helper conf "$windows\\tarnw.exe" || return 0

    # The mount line as written, with the Windows folder replaced by the Unix one.
    local conf=$unix/dosbox.conf run=$work/run.conf
    FROM=${windows//%/%%} TO=${unix//%/%%} awk '
        index($0, "mount c ") == 1 { i = index($0, ENVIRON["FROM"]);
            if (i) $0 = substr($0, 1, i - 1) ENVIRON["TO"] substr($0, i + length(ENVIRON["FROM"])) }
        { print }' "$conf" >"$run"
    if [ "$variant" = unquoted ]; then
        sed -i '/^mount c /s/"//g' "$run"
    fi
    grep '^mount c ' "$run"

    local rc=0
    (cd "$work" && timeout 60 dosbox -conf "$run" >"$work/dosbox.log" 2>&1) || rc=$?
    if [ "$rc" -eq 124 ]; then
        fail "$name: DOSBox did not exit by itself within 60 s"
        return 0
    fi
    expect "$name: DOSBox exit code" "$rc" 0
    if [ "$variant" = unquoted ]; then
        # Without the quotes DOSBox mounts nothing and the product never starts.
        [ ! -e "$unix/RAN.TXT" ] || fail "$name: ran although the mount line was split"
        return 0
    fi
    expect "$name: RAN.TXT" "$(cat "$unix/RAN.TXT" 2>/dev/null || echo missing)" " /ns"
    [ ! -e "$unix/f" ] || fail "$name: the print file f is still there"
}

run_case 'D:\Apps\Pentaro' "$work/d/Apps/Pentaro"
# The file itself: the template followed by exactly the five appended lines.
expected=$work/expected.conf
cp "$template" "$expected"
printf 'mount c D:\\Apps\\Pentaro\r\nc:\r\ndel f\r\ntarnw.exe /ns\r\nexit\r\n' >>"$expected"
cmp "$expected" "$work/d/Apps/Pentaro/dosbox.conf" && echo "ok: dosbox.conf is the template + 5 lines" ||
    fail "dosbox.conf for D:\\Apps\\Pentaro differs from the template + 5 lines"

run_case 'C:\My Games\Pentaro' "$WINEPREFIX/drive_c/My Games/Pentaro"
run_case 'C:\My Games\Pentaro' "$WINEPREFIX/drive_c/My Games/Pentaro" unquoted
run_case 'C:\50% off\Pentaro' "$WINEPREFIX/drive_c/50% off/Pentaro"

dosbox_finish
