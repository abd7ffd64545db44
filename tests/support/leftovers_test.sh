#!/usr/bin/env bash
# The clean-up of leftovers.py on a throw-away prefix with a persistent wineserver and
# the services started detached, as scripts/test keeps its test prefix: nothing of the
# prefix survives, whether its server is still alive at the end or was already killed
# with a plain signal (then `wineserver -k` no longer reaches the orphaned services).
# Then scripts/test itself, ended with SIGTERM or SIGINT during its build: nothing the
# build started survives.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source_root=$(cd "$here/../.." && pwd)
wine_dir=${PENTARO_WINE_DIR:?PENTARO_WINE_DIR must name the test prefixes folder}
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
mkdir -p "$wine_dir"
prefix=$(mktemp -d "$wine_dir/leftovers.XXXXXX")
leftovers() { python3 "$here/leftovers.py" "$@"; }
trap 'leftovers --root "$prefix" end; rm -rf "$prefix"' EXIT
"$here/wine-prefix" new 32 "$prefix" >/dev/null
export WINEPREFIX=$prefix

failures=0
for server_at_end in alive killed; do
    tag=leftovers-test-$$-$server_at_end
    PENTARO_RUN=$tag wineserver -f -p &
    server=$!
    PENTARO_RUN=$tag wine wineboot </dev/null >/dev/null 2>&1
    if [ "$server_at_end" = killed ]; then
        kill "$server"
    fi
    # Found by the mark, which Wine hands down to its services.
    found=$(leftovers --tag "$tag" list || true)
    if ! grep -q 'services\.exe' <<<"$found"; then
        echo "FAIL: server $server_at_end: the prefix's services carry no mark: [$found]" >&2
        failures=$((failures + 1))
    fi
    leftovers --root "$prefix" end
    wait "$server" 2>/dev/null || true
    if found=$(leftovers --root "$prefix" list); then
        echo "ok: server $server_at_end: nothing of the prefix is left"
    else
        echo "FAIL: server $server_at_end: still running:" >&2
        echo "$found" >&2
        failures=$((failures + 1))
    fi
done

# scripts/test in a copy of its own files (its clean-up ends the Wine processes of the
# prefixes inside its build folder: here, none), with a cmake that builds a tree of
# processes which would run for ten minutes, as cmake, ninja and the compilers do. The
# signal goes to the script alone, as `kill` or a service manager sends it; the build
# carries no mark of its own.
copy=$(mktemp -d "$wine_dir/scripts-test.XXXXXX")
trap 'leftovers --root "$prefix" end; rm -rf "$prefix" "$copy"' EXIT
mkdir -p "$copy/scripts" "$copy/tests/support" "$copy/bin"
cp "$source_root/scripts/test" "$copy/scripts/"
cp "$here/xvfb.sh" "$here/leftovers.sh" "$here/leftovers.py" "$here/skipped.py" \
    "$here/wine-prefix" "$copy/tests/support/"
printf '#!/bin/sh\nexit 0\n' >"$copy/scripts/setup-deps"
cat >"$copy/bin/cmake" <<'FAKE'
#!/usr/bin/env bash
[ "$1" = --build ] || exit 0
for _ in 1 2; do
    sleep 600 &
    echo $! >>"$BUILD_PIDS"
done
echo $$ >>"$BUILD_PIDS"
touch "$BUILD_PIDS.started"
wait
FAKE
chmod +x "$copy/scripts/setup-deps" "$copy/bin/cmake"
for signal in TERM INT; do
    export BUILD_PIDS=$copy/build-$signal.pids
    # With job control, so that the script does not start with SIGINT ignored, as
    # background jobs of a script otherwise do.
    set -m
    PATH=$copy/bin:$PATH "$copy/scripts/test" >"$copy/out-$signal" 2>&1 &
    script=$!
    set +m
    for _ in $(seq 1 100); do
        [ -e "$BUILD_PIDS.started" ] && break
        sleep 0.1
    done
    kill -"$signal" "$script"
    # It ends within seconds, or it is waiting for its build.
    for _ in $(seq 1 300); do
        kill -0 "$script" 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 "$script" 2>/dev/null; then
        echo "FAIL: SIG$signal: scripts/test still runs 30 s later" >&2
        kill -KILL "$script"
        failures=$((failures + 1))
    fi
    status=0
    wait "$script" || status=$?
    left=
    for pid in $(cat "$BUILD_PIDS" 2>/dev/null); do
        state=$(ps -o stat= -p "$pid" || true)
        [ -z "$state" ] || [ "${state:0:1}" = Z ] || left="$left $pid"
    done
    if [ ! -s "$BUILD_PIDS" ]; then
        echo "FAIL: SIG$signal: the build did not start" >&2
        failures=$((failures + 1))
    elif [ -n "$left" ]; then
        echo "FAIL: scripts/test ended by SIG$signal during its build left it running:$left" >&2
        kill $left 2>/dev/null || true
        failures=$((failures + 1))
    elif ! grep -q 'scripts/test: interrupted' "$copy/out-$signal" ||
         [ "$status" -ne $((128 + $(kill -l "$signal"))) ]; then
        echo "FAIL: SIG$signal: exit $status; the script said:" >&2
        sed 's/^/  /' "$copy/out-$signal" >&2
        failures=$((failures + 1))
    else
        echo "ok: scripts/test ended by SIG$signal during its build: nothing of it is left"
    fi
done
[ "$failures" -eq 0 ]
