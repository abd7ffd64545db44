# shellcheck shell=bash
# Sourced by scripts/test and scripts/run, after xvfb.sh: every process the run starts
# carries the mark PENTARO_RUN in its environment, so that when the run ends -- passing,
# failing, or interrupted -- what it started is found again and ended, and checked gone.
#   run_begin DIR [EXCEPT...]
#                       marks what the script starts from now on; processes of the Wine
#                       prefixes inside DIR (not inside an EXCEPT folder) are the run's too
#   run_end             ends the run's processes (Wine prefixes through their own
#                       wineserver first), then the run's Xvfb
#   run_leftovers       lists what survived; non-zero when anything did
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
    _run_finder end || true
    stop_xvfb
}

run_leftovers() {
    _run_finder list
}
