# shellcheck shell=bash
# Sourced by scripts/test and scripts/run, after xvfb.sh: every process the run starts
# carries the mark PENTARO_RUN in its environment, so that when the run ends -- passing,
# failing, or interrupted -- what it started is found again and ended, and checked gone.
#   run_begin DIR [EXCEPT...]
#                       marks what the script starts from now on; processes of the Wine
#                       prefixes inside DIR (not inside an EXCEPT folder) are the run's too
#   background CMD...   runs a step of the run (a build, a test run) in the background and
#                       waits for it, so that a signal reaches the script's clean-up at once
#                       rather than when the step ends
#   run_end             ends the run's processes (the step running, then Wine prefixes
#                       through their own wineserver, then the rest), then the run's Xvfb
#   run_leftovers       lists what survived; non-zero when anything did
# Call run_begin before anything is started: the mark is how the clean-up finds what the
# steps started in turn (ninja under cmake, the compilers under ninja).
run_begin() {
    PENTARO_RUN=$$-$(date +%s%N)
    export PENTARO_RUN
    PENTARO_RUN_ROOT=$1
    shift
    PENTARO_RUN_EXCEPT=()
    local dir
    for dir in "$@"; do
        PENTARO_RUN_EXCEPT+=(--except "$dir")
    done
    PENTARO_RUN_DISPLAY=
    PENTARO_RUN_STEP=
}

background() {
    "$@" &
    PENTARO_RUN_STEP=$!
    local status=0
    wait "$PENTARO_RUN_STEP" || status=$?
    PENTARO_RUN_STEP=
    return "$status"
}

# The run's own display, once start_xvfb has made one: whatever uses it is the run's.
run_display() {
    if [ -n "${PENTARO_XVFB_PID:-}" ]; then
        PENTARO_RUN_DISPLAY=$DISPLAY
    fi
}

_run_finder() {
    local display=()
    [ -z "$PENTARO_RUN_DISPLAY" ] || display=(--display "$PENTARO_RUN_DISPLAY")
    python3 "$(dirname "${BASH_SOURCE[0]}")/leftovers.py" --tag "$PENTARO_RUN" \
        --root "$PENTARO_RUN_ROOT" "${PENTARO_RUN_EXCEPT[@]}" "${display[@]}" "$@"
}

run_end() {
    if [ -n "${PENTARO_RUN_STEP:-}" ]; then
        kill "$PENTARO_RUN_STEP" 2>/dev/null || true
        wait "$PENTARO_RUN_STEP" 2>/dev/null || true
        PENTARO_RUN_STEP=
    fi
    _run_finder end || true
    stop_xvfb
}

run_leftovers() {
    _run_finder list
}
