#!/usr/bin/env bash
# The clean-up of leftovers.py on a throw-away prefix with a persistent wineserver and
# the services started detached, as scripts/test keeps its test prefix: nothing of the
# prefix survives, whether its server is still alive at the end or was already killed
# with a plain signal (then `wineserver -k` no longer reaches the orphaned services).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
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
[ "$failures" -eq 0 ]
