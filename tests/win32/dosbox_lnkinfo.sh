#!/usr/bin/env bash
# The DOSBox shortcuts as an independent reader sees them: SetUpDosBox and CreateShellLink run
# under Wine in a throw-away prefix, then Debian's lnkinfo reads the links from the Linux side.
#   dosbox_lnkinfo.sh <dosbox_setup_helper.exe> <work folder>
set -euo pipefail
helper=$1
work=$2
source "$(dirname "$0")/dosbox_common.sh"

# One field of lnkinfo's "Link information" block; empty when the link has none.
field() {
    lnkinfo "$1" | sed -n "s/^\t$2[[:space:]]*: //p" | head -n 1 | tr -d '\r'
}
# The show command and the hot key, straight from the link's fixed header (ShowCommand at
# offset 60, HotKey at 64): Debian's lnkinfo 20181227 prints 0 for both whatever the file holds.
show_command() { od -An -tu4 -j60 -N4 "$1" | tr -d ' '; }
hot_key() { printf '0x%04x' "$(od -An -tu2 -j64 -N2 "$1" | tr -d ' ')"; }

start_xvfb
mkdir -p "$work"
dosbox_prefix "$work/prefix"
desktop=$(dosbox_desktop)
c=$WINEPREFIX/drive_c

# DOSBox where the start-up check would have found it, and the installed product files.
mkdir -p "$c/Program Files/DOSBox-0.74" "$c/My Games/Pentaro" "$c/pentaro"
touch "$c/Program Files/DOSBox-0.74/dosbox.exe"
for dir in "$c/My Games/Pentaro" "$c/pentaro"; do
    touch "$dir/spool32.exe" "$dir/penta.ico" "$dir/tarnw.exe"
done
# A folder named tarn.exe is not the sibling product's program.
mkdir "$c/My Games/Pentaro/tarn.exe"
# Old links are replaced; other desktop files stay as they are.
echo old >"$desktop/Penta DOSbox.lnk"
echo old >"$desktop/Print F.lnk"
printf 'keep\r\n' >"$desktop/notes.txt"

dosbox='c:\program files\dosbox-0.74\dosbox.exe'
dosbox_helper setup 'C:\My Games\Pentaro' "$dosbox" 'C:\message.txt'

link="$desktop/Penta DOSbox.lnk"
expect "DOSBox link target" "$(field "$link" 'Local path')" "$dosbox"
expect "DOSBox link arguments (quoted folder)" "$(field "$link" 'Command line arguments')" \
    '-noconsole -conf "C:\My Games\Pentaro\dosbox.conf"'
expect "DOSBox link working directory" "$(field "$link" 'Working directory')" \
    'c:\program files\dosbox-0.74\'
expect "DOSBox link icon" "$(field "$link" 'Icon location')" 'C:\My Games\Pentaro\penta.ico'
expect "DOSBox link icon index" "$(field "$link" 'Icon index')" 0
expect "DOSBox link description" "$(field "$link" 'Description')" Pentaro
expect "DOSBox link show command" "$(show_command "$link")" 1
expect "DOSBox link hot key" "$(hot_key "$link")" 0x0000

link="$desktop/Print F.lnk"
expect "print link target" "$(field "$link" 'Local path')" 'C:\My Games\Pentaro\spool32.exe'
expect "print link arguments" "$(field "$link" 'Command line arguments')" f
expect "print link working directory" "$(field "$link" 'Working directory')" \
    'C:\My Games\Pentaro\'
expect "print link icon" "$(field "$link" 'Icon location')" 'C:\My Games\Pentaro\penta.ico'
expect "print link icon index" "$(field "$link" 'Icon index')" 0
expect "print link description" "$(field "$link" 'Description')" 'Print File f (CTRL+ALT+P)'
expect "print link show command" "$(show_command "$link")" 1
expect "print link hot key (Ctrl+Alt+P)" "$(hot_key "$link")" 0x0650

expect "other desktop file" "$(cat "$desktop/notes.txt")" $'keep\r'
expect "desktop holds nothing else" "$(cd "$desktop" && ls | tr '\n' '|')" \
    'Penta DOSbox.lnk|Print F.lnk|notes.txt|'
[ -f "$c/My Games/Pentaro/dosbox.conf" ] || fail "no dosbox.conf in the install folder"
expected_message=$(printf '%s\r\r%s\n\n%s\n%s\r%s' \
    'Pentaro has been installed and shortcuts created to run it in DOSbox and another to Print to File F.' \
    'Click the Penta DOSbox Icon to start Pentaro.  To print from Pentaro, choose "print to file" and always name it the single letter "f".' \
    'To send the file F to the default printer,' \
    '    click "Print F" icon or ' \
    '    press CTRL+ALT+P.' | od -An -tx1)
expect "closing message" "$(od -An -tx1 "$c/message.txt")" "$expected_message"

# A folder without blanks keeps the argument exactly as it always was; the links are replaced.
dosbox_helper setup 'C:\pentaro' "$dosbox" 'C:\message.txt'
expect "DOSBox link arguments (plain folder)" \
    "$(field "$desktop/Penta DOSbox.lnk" 'Command line arguments')" \
    '-noconsole -conf C:\pentaro\dosbox.conf'
expect "print link target replaced" "$(field "$desktop/Print F.lnk" 'Local path')" \
    'C:\pentaro\spool32.exe'

# CreateShellLink on its own: empty arguments stay empty, and a hot key whose low 16 bits are
# zero is no hot key.
dosbox_helper link 'C:\pentaro.lnk' 'C:\pentaro\pentaro.exe' '' Pentaro 'C:\pentaro\penta.ico' 0 0x10000
expect "product link target" "$(field "$c/pentaro.lnk" 'Local path')" 'C:\pentaro\pentaro.exe'
expect "product link arguments" "$(field "$c/pentaro.lnk" 'Command line arguments')" ''
expect "product link working directory" "$(field "$c/pentaro.lnk" 'Working directory')" 'C:\pentaro\'
expect "product link hot key" "$(hot_key "$c/pentaro.lnk")" 0x0000
expect "product link show command" "$(show_command "$c/pentaro.lnk")" 1

# Without the shell link class the set-up stops with the error, after writing dosbox.conf and
# removing the old links, before the message; COM is left as it was (the helper checks that).
wine reg delete 'HKLM\Software\Classes\CLSID\{00021401-0000-0000-C000-000000000046}' /f \
    </dev/null >/dev/null 2>&1
rm -f "$c/message.txt" "$c/pentaro/dosbox.conf"
rc=0
wine "$helper" setup 'C:\pentaro' "$dosbox" 'C:\message.txt' </dev/null >"$work/error.log" 2>&1 || rc=$?
expect "set-up without the link class: exit code" "$rc" 1
# The system's text for REGDB_E_CLASSNOTREG where it has one (Wine 8 has none).
error=$(tr -d '\r' <"$work/error.log")
case "$error" in
    "OLE error 80040154, ClassID: {00021401-0000-0000-C000-000000000046}") echo "ok: error text" ;;
    ?*", ClassID: {00021401-0000-0000-C000-000000000046}") echo "ok: error text: $error" ;;
    *) fail "set-up without the link class: error [$error]" ;;
esac
[ -f "$c/pentaro/dosbox.conf" ] || fail "set-up without the link class: no dosbox.conf"
[ ! -e "$desktop/Penta DOSbox.lnk" ] || fail "set-up without the link class: old link kept"
[ ! -e "$c/message.txt" ] || fail "set-up without the link class: the message was shown"

dosbox_finish
