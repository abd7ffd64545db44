#pragma once
// Names and texts of the desktop shortcuts that start the product under DOSBox and print its
// print file "f". Nothing here touches the system; dosbox/shortcuts.h makes the shortcuts.
#include <string>

// The product's icon file, in the install folder; every shortcut shows it.
inline constexpr char kProductIconName[] = "penta.ico";
// The maker's print utility, in the install folder; the print shortcut runs it on "f".
inline constexpr char kPrintUtilityName[] = "spool32.exe";
// Name of the print shortcut's link file.
inline constexpr char kPrintLinkName[] = "Print F.lnk";
// Description of the print shortcut, and the hot key it answers: P (0x50) with
// HOTKEYF_CONTROL | HOTKEYF_ALT (0x06) in the high byte.
inline constexpr char kPrintLinkDescription[] = "Print File f (CTRL+ALT+P)";
inline constexpr int kPrintLinkHotkey = 0x0650;
// Description of the DOSBox shortcut (the product name).
inline constexpr char kDosBoxLinkDescription[] = "Pentaro";

// The file name of `path` (after its last backslash or drive colon) in lower case (ASCII letters
// only), cut before its first dot: "C:\Dir\Penta.Ico" gives "penta", "a.b.c" gives "a".
std::string LowerBaseName(const std::string& path);

// `text` in lower case (ASCII letters only) with its first character and every character that
// follows anything other than "-", a digit 1 to 9 or an ASCII letter raised to upper case.
// The digit 0 is not in that set: "a0b" gives "A0B", "a1b" gives "A1b".
std::string CapitaliseWords(const std::string& text);

// "Penta DOSbox": the DOSBox shortcut's name, made from the icon file's name.
std::string DosBoxShortcutName();

// The DOSBox shortcut's arguments for `installFolder` (ending in a backslash):
// "-noconsole -conf " and the path of dosbox.conf there, in double quotes when it holds a blank
// (DOSBox would otherwise read only the part before the blank and fall back to its defaults).
std::string DosBoxLinkArguments(const std::string& installFolder);

// The instructions shown once the DOSBox shortcuts exist, naming the shortcut `shortcutName`.
// Its line ends are mixed (two CR, then two LF, one LF, one CR) and are part of the text.
std::string DosBoxClosingMessage(const std::string& shortcutName);
