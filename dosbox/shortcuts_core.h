#pragma once
// The shortcuts the installer writes (on the desktop and in the Start menu), as data, and the texts of the DOSBox set-up.
// Nothing here touches the system; dosbox/shortcuts.h makes the shortcuts.
#include "engine/ucargo.h"

#include <string>

// One shell shortcut: everything CreateShellLink writes into the link file. Every shortcut
// opens a normal window (SW_SHOWNORMAL).
struct Shortcut {
    std::string LinkPath;      // full path of the .lnk file
    std::string Target;        // the program it starts
    std::string Arguments;     // may be empty
    std::string WorkingFolder; // with a trailing backslash
    std::string Description;   // the tooltip
    std::string IconPath;
    int IconIndex = 0;
    // Low byte a virtual-key code, high byte HOTKEYF_* flags; only the low 16 bits count,
    // and 0 there means no hot key.
    int HotKey = 0;
};

// Name of the print shortcut's link file, its description, and the hot key it answers:
// P (0x50) with HOTKEYF_CONTROL | HOTKEYF_ALT (0x06) in the high byte.
inline constexpr char kPrintLinkName[] = "Print F.lnk";
inline constexpr char kPrintLinkDescription[] = "Print File f (CTRL+ALT+P)";
inline constexpr int kPrintLinkHotkey = 0x0650;
// Name of the product's own desktop shortcut (32-bit Windows).
inline constexpr char kProductLinkName[] = "pentaro.lnk";

// The three shortcuts. `installFolder` and `desktopFolder` end in a backslash.
// The DOSBox shortcut "Penta DOSbox.lnk": DOSBox (`dosBoxExePath`, of the build `build`) in
// its own folder with DosBoxLinkArguments, the product's icon, no hot key.
Shortcut DosBoxShortcut(const std::string& installFolder, const std::string& desktopFolder,
                        const std::string& dosBoxExePath, DosBoxBuild build);
// "Print F.lnk": the print utility on the print file "f" in the install folder, Ctrl+Alt+P.
Shortcut PrintShortcut(const std::string& installFolder, const std::string& desktopFolder);
// "pentaro.lnk": the product's program in the install folder, no arguments, no hot key.
Shortcut ProductShortcut(const std::string& installFolder, const std::string& desktopFolder);

// "Pentaro 3.24.lnk": the product's entry in the Start menu's programs, named with its version
// as the Apps & Features entry is.
std::string StartMenuLinkName();
// The Start-menu entry in `programsFolder` (ending in a backslash): `desktopShortcut`, the one
// that starts the product from the desktop (DosBoxShortcut on 64-bit Windows, ProductShortcut
// on 32-bit), under StartMenuLinkName there; it starts what that one starts, the same way.
Shortcut StartMenuShortcut(Shortcut desktopShortcut, const std::string& programsFolder);

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
// For DOSBox Staging "--noprimaryconf --nolocalconf " comes before "-conf": it reads dosbox.conf
// alone then, as 0.74 does, and not also the user's own configuration, whose [autoexec] lines
// (a "mount c" of their own) it would run with ours.
std::string DosBoxLinkArguments(const std::string& installFolder, DosBoxBuild build);

// The instructions shown once the DOSBox shortcuts exist, naming the shortcut `shortcutName`.
// Its line ends are mixed (two CR, then two LF, one LF, one CR) and are part of the text.
std::string DosBoxClosingMessage(const std::string& shortcutName);

// What could not be made, for the user: "Could not create the shortcut <link>" or "Could not
// write the file <path>", then an empty line and `reason` (the system's text) when there is one.
std::string ShortcutNotMadeMessage(const std::string& linkPath, const std::string& reason);
std::string FileNotWrittenMessage(const std::string& path, const std::string& reason);
// The reason for a file or shortcut not written because a link stands under its name.
std::string LinkedNameReason();
