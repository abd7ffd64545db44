#!/usr/bin/env bash
# Fails when a layer includes a header of a layer above it. The arrows point one way:
#   toolkit <- controls <- ui;  toolkit <- engine <- dosbox;  uninstall above them,
#   install (which registers an install through uninstall) and app on top.
# resources/ holds data and the product's vocabulary (resources/product.h), usable above
# the toolkit.
#   layers.sh <source root>
set -euo pipefail
root=${1:-$(cd "$(dirname "$0")/.." && pwd)}

declare -A allowed=(
    [toolkit]="toolkit"
    [controls]="toolkit controls"
    [ui]="toolkit controls ui resources"
    [engine]="toolkit engine resources"
    [dosbox]="toolkit engine dosbox resources"
    [uninstall]="toolkit controls ui engine dosbox uninstall resources"
    [install]="toolkit controls ui engine dosbox uninstall install resources"
    [app]="toolkit controls ui engine dosbox uninstall install app resources"
)

status=0
for layer in "${!allowed[@]}"; do
    [ -d "$root/$layer" ] || { echo "layers: no folder $layer" >&2; status=1; continue; }
    while IFS=: read -r file line include; do
        target=$(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^/"]*\)\/.*/\1/p' <<<"$include")
        [ -n "$target" ] || continue
        if [[ " ${allowed[$layer]} " != *" $target "* ]]; then
            echo "layers: ${file#"$root"/}:$line: $layer includes $target: $include" >&2
            status=1
        fi
    done < <(grep -rn --include='*.h' --include='*.cpp' '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' \
                 "$root/$layer" || true)
done
[ "$status" -eq 0 ] && echo "layers: every include points down"
exit "$status"
