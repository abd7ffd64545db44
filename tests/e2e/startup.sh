#!/usr/bin/env bash
# The installer's start-up, end to end: the real PentaroSetup.exe in throw-away 32-bit
# and 64-bit Wine prefixes, its windows found by title with xdotool and answered with
# keys. The prefixes' http and https handlers run a recorder instead of a browser.
#   startup.sh INSTALLER.exe RECORDER.exe
set -euo pipefail
installer=$1
recorder=$2
here=$(cd "$(dirname "$0")" && pwd)
wine_dir=${PENTARO_WINE_DIR:?PENTARO_WINE_DIR must name the test prefixes folder}
: "${DISPLAY:?the start-up tests need an X display (Xvfb)}"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

main_title='Corvane Pentaro Installer'
warning_title='Helmstar355 Installer'
page='https://www.dosbox.com/download.php?main=1'

mkdir -p "$wine_dir"
work=$(mktemp -d "$wine_dir/e2e-startup.XXXXXX")
prefixes=()
installer_pid=
desktop_name=
cleanup() {
    local prefix
    for prefix in "${prefixes[@]}"; do
        WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
        WINEPREFIX=$prefix wineserver -w 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT

failures=0
fail() {
    echo "FAILED: $*" >&2
    failures=$((failures + 1))
    screenshot
}

# make_prefix 32|64: a fresh prefix with the recorder as its web browser.
make_prefix() {
    local prefix=$work/win$1
    "$here/../support/wine-prefix" new "$1" "$prefix" >/dev/null
    prefixes+=("$prefix")
    cp "$recorder" "$prefix/drive_c/url_recorder.exe"
    export WINEPREFIX=$prefix
    # A virtual desktop named for this run: the windows are looked up inside it only,
    # never in another test's prefix that shows the same titles on the same display.
    desktop_name=pentaro-startup-$$-$1
    wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d "$desktop_name" /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v "$desktop_name" /d 1024x768 /f \
        >/dev/null 2>&1
    local scheme
    for scheme in http https; do
        wine reg add "HKCR\\$scheme\\shell\\open\\command" /ve \
            /d '"C:\url_recorder.exe" "%1"' /f >/dev/null 2>&1
    done
    # Should anything still reach Wine's own browser launcher, it finds no browser.
    wine reg add 'HKCU\Software\Wine\WineBrowser' /v Browsers /d false /f >/dev/null 2>&1
    # Services start now, detached from CTest's output pipe.
    wine wineboot </dev/null >/dev/null 2>&1
}

# The X window of the Wine window with exactly this title on this run's desktop, or
# nothing.
window_titled() {
    local desktop
    desktop=$(xdotool search --name "^$desktop_name - Wine desktop\$" 2>/dev/null | head -n 1 || true)
    [ -n "$desktop" ] || return 0
    local id
    id=$(xwininfo -children -id "$desktop" 2>/dev/null | grep -F "\"$1\": (" | awk '{print $1}' |
        head -n 1 || true)
    [ -z "$id" ] || printf '%d\n' "$id"
}

# wait_for_window TITLE: waits up to 30 s; prints the window.
wait_for_window() {
    local window= i
    for i in $(seq 1 150); do
        window=$(window_titled "$1")
        if [ -n "$window" ]; then
            echo "$window"
            return 0
        fi
        kill -0 "$installer_pid" 2>/dev/null || return 1
        sleep 0.2
    done
    return 1
}

# wait_for_exit: waits up to 20 s for the installer to end; fails when it does not.
wait_for_exit() {
    local i
    for i in $(seq 1 100); do
        if ! kill -0 "$installer_pid" 2>/dev/null; then
            wait "$installer_pid" 2>/dev/null || true
            installer_pid=
            return 0
        fi
        # After a warning the program must end without showing its main window.
        if [ "${2:-}" = after-warning ] && [ -n "$(window_titled "$main_title")" ]; then
            fail "$1: the main window opened"
            return 1
        fi
        sleep 0.2
    done
    return 1
}

# press WINDOW KEY: sends KEY to WINDOW (keys go to Wine's foreground window) and waits
# up to 3 s for the window to go; repeats a few times, as a user would press again.
press() {
    local window=$1 key=$2 attempt i
    for attempt in 1 2 3 4; do
        # The window is gone once the key goes down, so sending the release may fail.
        xdotool key --window "$window" "$key" 2>/dev/null || true
        for i in $(seq 1 15); do
            kill -0 "$installer_pid" 2>/dev/null || return 0
            xwininfo -id "$window" >/dev/null 2>&1 || return 0
            sleep 0.2
        done
    done
}

# A screenshot for a failed step, kept in the test's working folder.
shots=0
screenshot() {
    shots=$((shots + 1))
    local file=$PWD/e2e-startup-failure-$shots.png
    import -window root "$file" 2>/dev/null && echo "  screenshot: $file" >&2 || true
}

start() {
    rm -f "$WINEPREFIX/drive_c/url-recorder.txt"
    wine "$installer" "$@" </dev/null >/dev/null 2>&1 &
    installer_pid=$!
}

# Ends the scenario: every process of the prefix (the desktop included) stops, so that
# the next run starts as on a freshly started system, with no window or activation left.
stop() {
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
    if [ -n "$installer_pid" ]; then
        wait "$installer_pid" 2>/dev/null || true
        installer_pid=
    fi
}

recorded() {
    local file=$WINEPREFIX/drive_c/url-recorder.txt
    [ -f "$file" ] && tr -d '\r' <"$file" || true
}

# expect_main_window NAME [arguments]: no warning, the main window opens.
expect_main_window() {
    local name=$1
    shift
    start "$@"
    local window
    if window=$(wait_for_window "$main_title"); then
        [ -z "$(window_titled "$warning_title")" ] || fail "$name: a warning came with the main window"
        # Closing it the way the system does at log-off: WM_CLOSE to its windows.
        wine taskkill /im PentaroSetup.exe >/dev/null 2>&1 || true
        if wait_for_exit "$name"; then
            echo "ok: $name: the main window opened, and the program ended when it closed"
        else
            fail "$name: the program did not end when its main window closed"
        fi
    else
        fail "$name: no main window"
    fi
    stop
}

# expect_warning NAME KEY [arguments]: the warning, answered with KEY (Return = OK,
# Escape = Cancel); the program ends; the download page opened exactly for OK.
expect_warning() {
    local name=$1 key=$2
    shift 2
    start "$@"
    local window before=$failures
    if ! window=$(wait_for_window "$warning_title"); then
        fail "$name: no warning"
        stop
        return
    fi
    sleep 0.3
    press "$window" "$key"
    if ! wait_for_exit "$name" after-warning; then
        fail "$name: the program did not end after the warning"
        stop
        return
    fi
    if [ "$key" = Return ]; then
        local i
        # The shell starts the recorder; on a busy machine a new Wine process takes a while.
        for i in $(seq 1 150); do
            [ -n "$(recorded)" ] && break
            sleep 0.2
        done
        [ "$(recorded)" = "\"$page\"" ] || fail "$name: OK opened '$(recorded)', not the download page"
    else
        sleep 3
        [ -z "$(recorded)" ] || fail "$name: Cancel opened '$(recorded)'"
    fi
    [ "$failures" -ne "$before" ] || echo "ok: $name: warning answered with $key, program ended"
    stop
}

make_prefix 32
expect_main_window "32-bit, no switch"
expect_warning "32-bit /t, OK" Return /t
expect_warning "32-bit /T, Cancel" Escape /T
expect_warning "32-bit /test, OK" Return /test

make_prefix 64
programs="$WINEPREFIX/drive_c/Program Files (x86)"
expect_warning "64-bit without DOSBox, Cancel" Escape
expect_warning "64-bit without DOSBox, OK" Return
mkdir -p "$programs/DOSBox-0.74"
printf 'MZ' >"$programs/DOSBox-0.74/DOSBox.exe"
expect_main_window "64-bit with DOSBox-0.74"
expect_warning "64-bit with DOSBox-0.74, /t" Escape /t
mkdir -p "$programs/DOSBox"
expect_main_window "64-bit, a first match without the exe before DOSBox-0.74"

if [ "$failures" -ne 0 ]; then
    echo "$failures start-up check(s) failed" >&2
    exit 1
fi
