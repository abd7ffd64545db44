# Sourced by the scripts: start_xvfb starts a virtual X display when there is none
# and records its process id in PENTARO_XVFB_PID (empty when a display was there).
# `start_xvfb WIDTHxHEIGHT` always starts a display of its own, of that size (a screen
# larger than 1280 x 1024 upsets Wine's pointer in the tests that move it, so only tests
# that need one get one).
start_xvfb() {
    local size=${1:-}
    PENTARO_XVFB_PID=
    if [ -z "$size" ] && [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
        return 0
    fi
    local fifo
    fifo=$(mktemp -u)
    mkfifo "$fifo"
    # -displayfd: the server takes the first free display number itself (it creates its
    # lock file exclusively), so runs started side by side never share a display.
    Xvfb -displayfd 3 -screen 0 "${size:-1280x1024}x24" -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
    PENTARO_XVFB_PID=$!
    local number
    read -r -t 20 number <"$fifo" || true
    rm -f "$fifo"
    if [ -z "$number" ]; then
        echo "Xvfb did not start" >&2
        return 1
    fi
    export DISPLAY=:$number
}

stop_xvfb() {
    if [ -n "${PENTARO_XVFB_PID:-}" ]; then
        kill "$PENTARO_XVFB_PID" 2>/dev/null || true
        wait "$PENTARO_XVFB_PID" 2>/dev/null || true
        PENTARO_XVFB_PID=
    fi
}
