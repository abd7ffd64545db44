#pragma once
// The start-up check: whether the product can run on this computer (a 64-bit Windows
// needs DOSBox), where DOSBox's executable lies, and the warning that points the user
// to DOSBox. Runs once, before any window and before COM is initialised.
#include "engine/ucargo.h"
#include "resources/product.h"

#include <string>

// The application's title ("Pentaro Installer Version 3.24"), also the caption of the box
// that says a system DLL is missing.
std::string ApplicationTitle();

// The DOSBox project's download page, opened when the user answers the warning with OK.
inline constexpr char DosBoxDownloadPage[] = "https://www.dosbox.com/download.php?main=1";

// The start-up warning: caption, MessageBox flags (MB_OKCANCEL | MB_ICONEXCLAMATION:
// warning icon, OK and Cancel, OK the default) and text.
inline constexpr const char* StartupWarningCaption = SiblingInstallerTitle;
inline constexpr unsigned StartupWarningFlags = 0x31;
inline constexpr char StartupWarningText[] =
    "This computer has a 64 bit operating system which cannot directly execute DOS "
    "programs.\n\n"
    "Pentaro cannot run on this operating system except in XP Mode (which requires "
    "upgrading to Windows 7 Professional) or by using the free program, DOSbox, which does "
    "not appear to be installed on this computer.\n\n"
    "Click OK to go to the DOSbox website.  Download, and install DOSbox to it's default "
    "location then start this installer again.";

// --- Pure rules (no system calls) ---

// True when the whole command line (program path and arguments) contains "/t" in either
// case anywhere, also inside a longer argument such as "/test".
bool HasTestSwitch(const std::string& commandLine);

// True when a Program Files entry with these file attributes and this name is a DOSBox
// installation to look at: its name contains "dosbox" in any case, and it is marked
// neither hidden nor system. Folders and files alike qualify.
bool IsDosBoxEntry(unsigned long attributes, const std::string& name);

// The executable a DOSBox entry would hold, all lower case: `base` (the Program Files
// folder, lower case, with its trailing backslash) + entry name + "\dosbox.exe".
std::string DosBoxExeCandidate(const std::string& base, const std::string& entryName);

// What the installer says when a system DLL it needs cannot be loaded from the system
// folder (`function` empty), or lacks the function it calls (`function` is its name, or
// "#" and the ordinal). `error` is the system's error code.
std::string DllLoadFailureText(const std::string& dll, const std::string& function,
                               unsigned long error);

// --- The check itself (Win32 build only) ---

// Is64BitWindows, which the installation run asks again, is in engine/ucargo.h.

// Looks in the Program Files folder (for 32-bit programs) for the first entry, in the
// order the file system gives them, that IsDosBoxEntry accepts, and sets `path` to
// DosBoxExeCandidate of it; `path` is empty when there is none. Returns true when a file
// (not a folder) of that name exists. Only the first matching entry counts, and `path`
// keeps it even when the result is false.
bool LocateDosBox(std::string& path);

// The start-up check without the warning: false when the product cannot run here (a
// 64-bit Windows without DOSBox, after LocateDosBox into DosBoxExePath) or "/t" is in
// `commandLine`. Raises what Is64BitWindows raises.
bool StartupPasses(const std::string& commandLine);

// The start-up check. On a 64-bit Windows it looks for DOSBox (LocateDosBox into
// DosBoxExePath); without DOSBox, or with "/t" on the command line, it shows the
// warning, opens the DOSBox download page through the shell when the user chooses OK,
// and returns false: the program must end. Otherwise returns true. Raises what
// Is64BitWindows raises.
bool StartupCheck();

// Keeps DLLs that lie beside the installer (on the CD, in the Downloads folder) or in
// the current folder from being loaded: later DLL loads search the system folder only.
// Does nothing where the system lacks SetDefaultDllDirectories, and on Windows Vista,
// where that call breaks the shell link object. The program entry (app/entry_win.cpp)
// calls it before any other system DLL is loaded; it calls KERNEL32 only.
void RestrictDllSearch();
