#pragma once
// Desktop shortcuts (Win32): one shell link file from a Shortcut row, and the DOSBox set-up on
// a 64-bit Windows that writes dosbox.conf and the two DOSBox shortcuts. The rows and texts
// come from dosbox/shortcuts_core.h.
#include "dosbox/shortcuts_core.h"
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

// Writes the shell link `shortcut.LinkPath` (replaced when it exists) as the row describes,
// with a normal window. COM must be initialised on the calling thread. The file is written
// by WriteFileChecked, never through a link under its name (a link there is removed, or
// ELinkedPath raised). Returns 0 when the link file was written in full; otherwise the
// system's error code. Raises EOleSysError when the shell link object cannot be created or
// saved and EIntfCastError when it lacks IShellLinkA or IPersistStream. The setters' results
// are not examined.
unsigned long CreateShellLink(const Shortcut& shortcut);

// CreateShellLink for the run and the DOSBox set-up: empty when the shortcut was made, else
// the paragraph that tells the user why not (a link under its name included).
std::string MakeShortcut(const Shortcut& shortcut);

// The program the shell link file `linkPath` starts and its arguments, as the link holds
// them (not resolved). False, both empty, when the file is no shell link or cannot be read.
// COM must be initialised on the calling thread.
bool ReadShellLink(const std::string& linkPath, std::string& target, std::string& arguments);
// The same from the bytes of a .lnk file (read through a handle the caller holds).
bool ReadShellLinkBytes(const std::string& bytes, std::string& target, std::string& arguments);

// The same from separate values; the working folder is the target's own folder.
unsigned long CreateShellLink(const std::string& linkPath, const std::string& target,
                              const std::string& arguments, const std::string& description,
                              const std::string& iconPath, int iconIndex, int hotkey);

// The system's text for a failure code that CreateShellLink or the file helpers returned
// (an HRESULT or a Win32 error code); "OLE error <code in hex>" when the system has none.
std::string ShellLinkErrorText(unsigned long code);

// What the DOSBox set-up made.
struct DosBoxSetUpResult {
    // True when everything it set out to make exists (also when it had nothing to make).
    bool Made = true;
    // The message for the user: the closing instructions when all was made; else what could not
    // be made and why, one paragraph each. Empty when the sibling product made the set-up
    // unnecessary.
    std::string Message;
};

// Makes the product startable under DOSBox: unless `installFolder` holds the sibling product's
// "tarn.exe" (then nothing at all happens), writes dosbox.conf for "tarnw.exe" there, replaces the
// desktop links "Penta DOSbox.lnk" (DosBoxExePath with "-noconsole -conf <folder>dosbox.conf",
// see DosBoxLinkArguments for DosBoxExeBuild) and "Print F.lnk" (spool32.exe f, Ctrl+Alt+P) in
// `desktopFolder`, and returns the message to show. Both folders end in a backslash. A file that
// could not be written or a link that was not saved does not stop the other steps. Raises what
// WriteDosBoxConf and CreateShellLink raise; the remaining steps are then skipped.
DosBoxSetUpResult SetUpDosBox(const std::string& installFolder, const std::string& desktopFolder);
