#!/usr/bin/env bash
# The DOS stand-ins run in Debian's DOSBox 0.74 (headless): "tarnw.exe /ns" writes its
# command tail, " /ns", to RAN.TXT; pentaro.exe prints the product name and version.
#   payload_dos_test.sh STANDIN_DIR WORK_DIR
set -uo pipefail
standins=$1 work=$2
rm -rf "$work" && mkdir -p "$work/c" "$work/home"
cp "$standins/tarnw.exe" "$standins/pentaro.exe" "$work/c/"
# DOSBox writes its default configuration under $HOME on a first start: keep it here.
env -u DISPLAY HOME="$work/home" SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy \
    timeout 60 dosbox -conf /dev/null -c "mount c $work/c" -c "c:" -c "tarnw.exe /ns" \
    -c "pentaro.exe > OUT.TXT" -c "exit" >"$work/dosbox.log" 2>&1
status=0
if [ "$(od -An -c "$work/c/RAN.TXT" 2>/dev/null | tr -s ' ')" != " / n s" ]; then
    echo "FAIL: RAN.TXT holds '$(cat "$work/c/RAN.TXT" 2>/dev/null)', expected ' /ns'"
    status=1
fi
if [ "$(tr -d '\r' <"$work/c/OUT.TXT" 2>/dev/null)" != "Pentaro 3.24" ]; then
    echo "FAIL: pentaro.exe printed '$(cat "$work/c/OUT.TXT" 2>/dev/null)'"
    status=1
fi
[ "$status" -eq 0 ] && echo "DOS stand-ins: ok"
exit "$status"
