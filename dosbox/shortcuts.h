#pragma once
// Desktop shortcuts (Win32): one shell link file, and the DOSBox set-up on a 64-bit Windows that
// writes dosbox.conf and the two DOSBox shortcuts. Names and texts come from
// dosbox/shortcuts_core.h.
#include "toolkit/exception.h"

#include <string>

// A COM object could not be created. The message is the system's text for the failure code
// ("OLE error 80040154" when the system has none), then ", ClassID: " and the class GUID in
// braces.
class EOleSysError : public tk::Exception {
public:
    EOleSysError(unsigned long code, const std::string& classId);
};

// A COM object lacks an interface that the caller needs: "Interface not supported".
class EIntfCastError : public tk::Exception {
public:
    EIntfCastError();
};

// Writes the shell link `linkPath` (a full path ending in ".lnk", replaced when it exists) that
// starts `target` with `arguments` (may be empty) in the target's own folder, with the icon
// `iconIndex` of `iconPath`, the tooltip `description`, a normal window and, when the low 16 bits
// of `hotkey` are not zero, that hot key (low byte a virtual-key code, high byte HOTKEYF_* flags).
// COM must be initialised on the calling thread. Raises EOleSysError when the shell link object
// cannot be created and EIntfCastError when it lacks IShellLinkA or IPersistFile; the results of
// the setters and of saving are not examined, so a link that cannot be saved is just missing.
void CreateShellLink(const std::string& linkPath, const std::string& target,
                     const std::string& arguments, const std::string& description,
                     const std::string& iconPath, int iconIndex, int hotkey);

// Makes the product startable under DOSBox: unless `installFolder` holds the sibling product's
// "tarn.exe" (then nothing at all happens), writes dosbox.conf for "tarnw.exe" there, replaces the
// desktop links "Penta DOSbox.lnk" (DosBoxExePath with "-noconsole -conf <folder>dosbox.conf")
// and "Print F.lnk" (spool32.exe f, Ctrl+Alt+P) in `desktopFolder`, and shows the instructions
// with ShowInfo. Both folders end in a backslash. Raises what WriteDosBoxConf and CreateShellLink
// raise; the remaining steps are then skipped.
void SetUpDosBox(const std::string& installFolder, const std::string& desktopFolder);

// Test seam: while a hook is set, SetUpDosBox hands its closing message to it instead of showing
// a modal dialog that would hold an unattended test. nullptr restores ShowInfo.
using DosBoxMessageHook = void (*)(const std::string& text);
void SetDosBoxMessageHookForTesting(DosBoxMessageHook hook);
