#!/usr/bin/env bash
# pentaro-inspect on the built installer and on broken, truncated and foreign files;
# pentaro-pack on bad manifests. Every case must end with a clear message and the
# documented exit code, never a crash (an exit code of 128 or more).
#   payload_tools_test.sh INSPECT PACK INSTALLER STANDIN_DIR WORK_DIR [SAME_NAME_INSTALLER]
# SAME_NAME_INSTALLER: an installer whose rs_readme has the file name of rs_cmd in other case.
set -uo pipefail
inspect=$1 pack=$2 exe=$3 standins=$4 work=$5 same=${6:-}
rm -rf "$work" && mkdir -p "$work"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# expect CODE PATTERN COMMAND...: exit code CODE and PATTERN (grep -E) in the output.
expect() {
    local code=$1 pattern=$2; shift 2
    local out status
    out=$("$@" 2>&1); status=$?
    if [ "$status" -ne "$code" ]; then
        fail "$* exited $status, expected $code"; echo "$out" | head -5
    elif ! grep -qE -- "$pattern" <<<"$out"; then
        fail "$*: no line matching '$pattern'"; echo "$out" | head -5
    fi
}

# The built installer. The product's dates are local times shown as stored, in any zone.
if [ -z "${PENTARO_REAL_PRODUCT:-}" ]; then
    for tz in UTC America/New_York; do
        expect 0 '^rs_cmd +tarnw\.exe +143 +[0-9]+  1998-04-17T10:24:00$' env TZ=$tz "$inspect" list "$exe"
    done
    expect 0 '^rs_spool32 +spool32\.exe ' "$inspect" list "$exe"
fi
expect 0 '^10 items, 0 failed$' "$inspect" test "$exe"
expect 0 'tarnw\.exe' env TZ=UTC "$inspect" extract -d "$work/out" "$exe"
if [ -z "${PENTARO_REAL_PRODUCT:-}" ]; then
    for f in tarnw.exe pentaro.exe pentaro1.kdb pentaro2.kdb pentaro.hlp penta.ico kdbv4.kdb \
             kdbv4add.kdb readme.txt spool32.exe; do
        cmp -s "$standins/$f" "$work/out/$f" || fail "extracted $f differs from the stand-in"
    done
    [ "$(TZ=UTC date -r "$work/out/tarnw.exe" +%FT%T)" = 1998-04-17T10:24:00 ] ||
        fail "tarnw.exe extracted with date $(TZ=UTC date -r "$work/out/tarnw.exe" +%FT%T)"
fi

# Broken and foreign files.
expect 2 '^usage:' "$inspect"
expect 2 '^usage:' "$inspect" list
expect 2 '^usage:' "$inspect" unpack "$exe"
expect 3 'cannot read .*No such file' "$inspect" list "$work/missing.exe"
printf 'plain text, no executable\n' >"$work/text.exe"
expect 3 'not a Windows executable' "$inspect" test "$work/text.exe"
: >"$work/empty.exe"
expect 3 'not a Windows executable' "$inspect" list "$work/empty.exe"
expect 3 'carries no payload items' "$inspect" list "$standins/spool32.exe"
expect 3 'not a Windows PE executable' "$inspect" list "$standins/tarnw.exe"
size=$(stat -c %s "$exe")
for cut in 64 200 1024 $((size / 2)) $((size - 1))
do
    head -c "$cut" "$exe" >"$work/cut.exe"
    out=$("$inspect" test "$work/cut.exe" 2>&1); status=$?
    # 3 when the headers or the resource directory are cut, 1 when only item data is;
    # 0 when the cut takes only the padding at the end.
    if [ "$status" -ge 128 ] || [ "$status" -eq 2 ]; then
        fail "truncated to $cut bytes: exit $status"; echo "$out" | head -3
    fi
done

# One payload item damaged inside the exe: test names it, the others still load.
/usr/bin/python3 - "$exe" "$work/damaged.exe" <<'PY'
import sys, pefile
pe = pefile.PE(sys.argv[1])
data = bytearray(open(sys.argv[1], 'rb').read())
for t in pe.DIRECTORY_ENTRY_RESOURCE.entries:
    if t.id == 10:
        for e in t.directory.entries:
            if e.name is not None and str(e.name) == 'RS_KDB2':
                d = e.directory.entries[0].data.struct
                at = pe.get_offset_from_rva(d.OffsetToData) + d.Size - 1
                data[at] ^= 0x5A   # the stored Adler-32 trailer
open(sys.argv[2], 'wb').write(data)
PY
expect 1 '^rs_kdb2 +FAILED: the body is not a valid zlib stream$' "$inspect" test "$work/damaged.exe"
expect 1 '^10 items, 1 failed$' "$inspect" test "$work/damaged.exe"
expect 0 '^rs_kdb2 .*\(damaged\)$' "$inspect" list "$work/damaged.exe"
# The build's check of each installer it links: the damaged one fails the build, naming
# the item, and is not left behind to be shipped.
if [ -n "${PENTARO_PAYLOAD_CHECK:-}" ]; then
    cp "$work/damaged.exe" "$work/linked.exe"
    expect 1 'rs_kdb2 +FAILED' cmake -DINSPECT="$inspect" -DEXE="$work/linked.exe" \
        -P "$PENTARO_PAYLOAD_CHECK"
    [ ! -e "$work/linked.exe" ] || fail "the build's check left the damaged installer"
    expect 0 '' cmake -DINSPECT="$inspect" -DEXE="$exe" -P "$PENTARO_PAYLOAD_CHECK"
fi
# A payload item under a name the catalogue lacks (rs_readme's, renamed in the resource
# directory): the installer would never install it, and the build's check refuses it.
/usr/bin/python3 - "$exe" "$work/outside.exe" <<'PY'
import sys
data = open(sys.argv[1], 'rb').read()
name = 'RS_README'.encode('utf-16-le')
assert data.count(name) == 1
open(sys.argv[2], 'wb').write(data.replace(name, 'RS_READMX'.encode('utf-16-le')))
PY
expect 1 '^RS_READMX +FAILED: a payload item outside the installer.s catalogue' \
    "$inspect" test "$work/outside.exe"
if [ -n "${PENTARO_PAYLOAD_CHECK:-}" ]; then
    expect 1 'RS_READMX +FAILED' cmake -DINSPECT="$inspect" -DEXE="$work/outside.exe" \
        -P "$PENTARO_PAYLOAD_CHECK"
fi
if [ -n "$same" ]; then
    expect 1 '^rs_readme +FAILED: file name TARNW\.EXE is also that of rs_cmd$' \
        "$inspect" test "$same"
    expect 1 '^10 items, 1 failed$' "$inspect" test "$same"
fi

# pentaro-pack: one-line errors and a non-zero exit.
cp "$standins/readme.txt" "$work/readme.txt"
printf 'rs_readme readme.txt 2002-02-14T12:00:00\n' >"$work/ok.txt"
expect 0 '' "$pack" --partial "$work/ok.txt" "$work/packed"
cp "$work/packed/RS_README.bin" "$work/first.bin"
rm "$work/packed/pack.stamp" "$work/packed/RS_README.bin"
expect 0 '' "$pack" --partial "$work/ok.txt" "$work/packed"
cmp -s "$work/first.bin" "$work/packed/RS_README.bin" || fail "pentaro-pack is not deterministic"
grep -q '^RS_README RCDATA ".*/RS_README.bin"$' "$work/packed/payload.rc" || fail "payload.rc line"
# Packed again only when what the installer would carry changes: the bytes of a file (a
# corrected readme.txt copied over the old one with its old date, as copies from the
# master disks keep it) or a date; the outputs keep their time otherwise, so nothing
# relinks.
touch -d '2001-01-01 00:00' "$work/packed/payload.rc" "$work/packed/RS_README.bin"
touch -d '2003-03-03 00:00' "$work/readme.txt"
expect 0 'up to date' "$pack" --partial "$work/ok.txt" "$work/packed"
[ "$(date -r "$work/packed/payload.rc" +%Y)" = 2001 ] || fail "an unchanged payload was rewritten"
printf 'Corrected.\r\n' >>"$work/readme.txt"
touch -d '2003-03-03 00:00' "$work/readme.txt"
expect 0 '' "$pack" --partial "$work/ok.txt" "$work/packed"
cmp -s "$work/first.bin" "$work/packed/RS_README.bin" && fail "a replaced file was not repacked"
[ "$(date -r "$work/packed/payload.rc" +%Y)" != 2001 ] || fail "payload.rc kept its time"
cp "$work/packed/RS_README.bin" "$work/second.bin"
sed -i 's/12:00:00/12:00:02/' "$work/ok.txt"
expect 0 '' "$pack" --partial "$work/ok.txt" "$work/packed"
cmp -s "$work/second.bin" "$work/packed/RS_README.bin" && fail "a new date was not repacked"
# A whole manifest of the installer's catalogue: packed when each item carries the name the
# installer knows it by; refused, naming the entry and packing nothing, when one does not,
# when an item lies in a subfolder, or when an eleventh item comes along.
: >"$work/whole.txt"
for entry in rs_cmd:tarnw.exe rs_exe:pentaro.exe rs_kdb1:pentaro1.kdb rs_kdb2:pentaro2.kdb \
             rs_hlp:pentaro.hlp rs_icon:penta.ico rs_kdbv4:kdbv4.kdb rs_kdbv4add:kdbv4add.kdb \
             rs_readme:readme.txt rs_spool32:spool32.exe; do
    printf '%s\n' "${entry%%:*}" >"$work/${entry#*:}"
    printf '%s %s\n' "${entry%%:*}" "${entry#*:}" >>"$work/whole.txt"
done
expect 0 '' "$pack" "$work/whole.txt" "$work/whole"
refused() { # PATTERN MANIFEST: refused with PATTERN, and nothing packed
    expect 1 "$1" "$pack" "$2" "$work/refused"
    [ ! -e "$work/refused" ] || fail "$2: refused, but $(ls "$work/refused" | head -3) written"
}
sed 's/^rs_exe .*/rs_exe pentaro32.exe/' "$work/whole.txt" >"$work/renamed.txt"
cp "$work/pentaro.exe" "$work/pentaro32.exe"
refused 'renamed.txt:2: rs_exe must install pentaro\.exe' "$work/renamed.txt"
mkdir -p "$work/sub"
cp "$work/pentaro1.kdb" "$work/sub/nested.dat"
sed 's|^rs_kdb1 .*|rs_kdb1 sub/nested.dat|' "$work/whole.txt" >"$work/nested.txt"
refused 'nested.txt:3: rs_kdb1: sub/nested\.dat lies in a folder' "$work/nested.txt"
printf 'extra\n' >"$work/extra.dat"
{ cat "$work/whole.txt"; echo 'rs_extra extra.dat'; } >"$work/eleven.txt"
refused 'eleven.txt:11: rs_extra is not an item of the installer.s catalogue' "$work/eleven.txt"
expect 1 'ok.txt: the installer.s catalogue items rs_cmd, rs_exe, .* are missing' \
    "$pack" "$work/ok.txt" "$work/p"
printf 'rs_a nothere.txt\n' >"$work/m1.txt"
expect 1 'm1.txt:1: file not found: .*nothere.txt$' "$pack" --partial "$work/m1.txt" "$work/p"
cp "$work/readme.txt" "$work/a_name_of_thirty_one_chars_.txt"
printf 'rs_a a_name_of_thirty_one_chars_.txt\n' >"$work/m2.txt"
expect 1 'm2.txt:1: file name longer than 30 characters' "$pack" --partial "$work/m2.txt" "$work/p"
cp "$work/readme.txt" "$work/con.txt"
printf 'rs_a con.txt\n' >"$work/m3.txt"
expect 1 'm3.txt:1: not a bare file name: "con.txt"' "$pack" --partial "$work/m3.txt" "$work/p"
printf 'rs_a readme.txt\nRS_A readme.txt\n' >"$work/m4.txt"
expect 1 'm4.txt:2: duplicate catalogue name RS_A' "$pack" --partial "$work/m4.txt" "$work/p"
truncate -s 2147483648 "$work/huge.kdb"   # sparse: no disk space used
printf 'rs_a huge.kdb\n' >"$work/m5.txt"
expect 1 'm5.txt:1: file larger than 2 GiB' "$pack" --partial "$work/m5.txt" "$work/p"
rm -f "$work/huge.kdb"
: >"$work/nothing.txt"
printf 'rs_a nothing.txt\n' >"$work/m8.txt"
expect 1 'm8.txt:1: empty file: .*nothing.txt' "$pack" --partial "$work/m8.txt" "$work/p"
# Two items that the installer would write to one file, also when the names differ in case.
mkdir -p "$work/sub"
cp "$work/readme.txt" "$work/sub/README.TXT"
printf 'rs_a readme.txt\nrs_b sub/README.TXT\n' >"$work/m6.txt"
expect 1 'm6.txt:2: file name README.TXT is already that of rs_a' \
    "$pack" --partial "$work/m6.txt" "$work/p"
# Items a 32-bit installer cannot hold at once: refused from their sizes, before reading.
truncate -s 600M "$work/big1.kdb"
truncate -s 600M "$work/big2.kdb"
printf 'rs_a big1.kdb\nrs_b big2.kdb\n' >"$work/m7.txt"
expect 1 'the items would need 1200 MiB of memory in the installer .*can hold 1024 MiB$' \
    "$pack" --partial "$work/m7.txt" "$work/p"
rm -f "$work/big1.kdb" "$work/big2.kdb"
expect 2 '^usage:' "$pack" "$work/ok.txt"

if [ "$failures" -ne 0 ]; then
    echo "$failures failed"; exit 1
fi
echo "payload tools: all cases passed"
