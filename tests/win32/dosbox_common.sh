# Sourced by the DOSBox script tests: a throw-away Wine prefix of the test's own, the set-up
# helper run in it, and clean-up of what the test started.
#   dosbox_prefix DIR          make DIR a fresh 32-bit prefix and use it (WINEPREFIX)
#   dosbox_helper ARGS...      run dosbox_setup_helper.exe (path in $helper) in that prefix
#   fail MESSAGE               report and count a failure; dosbox_finish exits non-zero then
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
# shellcheck source=../support/xvfb.sh
source "$root/tests/support/xvfb.sh"
export WINEDEBUG=-all
failures=0

fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# expect NAME ACTUAL EXPECTED
expect() {
    if [ "$2" != "$3" ]; then
        fail "$1: got [$2], expected [$3]"
    else
        echo "ok: $1"
    fi
}

dosbox_cleanup() {
    if [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ]; then
        wineserver -k >/dev/null 2>&1 || true
        wineserver -w >/dev/null 2>&1 || true
    fi
    stop_xvfb
}
trap dosbox_cleanup EXIT

# Wine's Recycle Bin is the freedesktop trash of the Linux side: kept beside the prefix too.
dosbox_prefix() {
    "$root/tests/support/wine-prefix" new 32 "$1" >/dev/null
    export WINEPREFIX=$1 XDG_DATA_HOME=$1.xdg
    rm -rf "$XDG_DATA_HOME"
    mkdir -p "$XDG_DATA_HOME"
}

# Wine's own services outlive the first program started in a prefix and keep its output
# handles; they must not be CTest's pipes, or CTest waits for them.
dosbox_helper() {
    local log=$WINEPREFIX/helper.log
    if ! wine "$helper" "$@" </dev/null >"$log" 2>&1; then
        fail "dosbox_setup_helper $*: $(cat "$log")"
        return 1
    fi
}

# The user's desktop folder of the prefix, on the Linux side.
dosbox_desktop() {
    local dir
    for dir in "$WINEPREFIX"/drive_c/users/*/Desktop; do
        [ "$(basename "$(dirname "$dir")")" = Public ] && continue
        echo "$dir"
        return
    done
}

# Ends the test; a passing test removes its prefix, a failing one leaves it for a look.
dosbox_finish() {
    if [ "$failures" -ne 0 ]; then
        echo "$failures check(s) failed; the prefix stays in $WINEPREFIX" >&2
        exit 1
    fi
    dosbox_cleanup
    rm -rf "$WINEPREFIX" "$XDG_DATA_HOME"
    echo "all checks passed"
}
