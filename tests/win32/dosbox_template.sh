#!/usr/bin/env bash
# Debian's DOSBox 0.74 reads our configuration template and knows every section and key in it:
# the sections and keys, in order, are those of the configuration DOSBox writes itself with
# "config -writeconf"; and each of our values survives DOSBox reading it and writing it back
# (a value that DOSBox rejects comes back as its default).
#   dosbox_template.sh <dosbox-0.74.conf> <work folder>
set -euo pipefail
template=$1
work=$2
rm -rf "$work"
mkdir -p "$work/home"
# No window and no sound device are needed for this; HOME keeps DOSBox's own files here.
export HOME=$work/home SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy

timeout 60 dosbox -c "config -writeconf $work/default.conf" -c exit >"$work/default.log" 2>&1
timeout 60 dosbox -conf "$template" -c "config -writeconf $work/ours.conf" -c exit \
    >"$work/ours.log" 2>&1

# Sections and keys only, or whole settings, one per line, without comments.
layout() { tr -d '\r' <"$1" | grep -v -e '^#' -e '^[[:space:]]*$' | sed 's/=.*/=/'; }
settings() { tr -d '\r' <"$1" | grep -v -e '^#' -e '^[[:space:]]*$'; }

status=0
if ! diff <(layout "$work/default.conf") <(layout "$template"); then
    echo "FAIL: sections or keys differ from DOSBox's own (< DOSBox, > template)" >&2
    status=1
fi
if ! diff <(settings "$template") <(settings "$work/ours.conf"); then
    echo "FAIL: DOSBox did not keep these settings (< template, > as DOSBox read them)" >&2
    status=1
fi
[ "$status" -eq 0 ] && echo "DOSBox knows all $(layout "$template" | grep -c =) settings in" \
    "$(layout "$template" | grep -c '^\[') sections of the template"
exit "$status"
