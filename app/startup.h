#pragma once
// The start-up check: whether the product can run on this computer (a 64-bit Windows
// needs DOSBox), where DOSBox's executable lies, and the warning that points the user
// to DOSBox. Runs once, before any window and before COM is initialised.
#include "dosbox/locate_core.h"
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

// True when `text` (the command line without its paths, InstallOptions::testSwitchText)
// contains "/t" in either case anywhere, also inside a longer argument such as "/test".
bool HasTestSwitch(const std::string& commandLine);

// What the installer says when the executable named with /DOSBOX= is not there.
std::string NamedDosBoxMissingText(const std::string& path);

// What the installer says when a system DLL it needs cannot be loaded from the system
// folder (`function` empty), or lacks the function it calls (`function` is its name, or
// "#" and the ordinal). `error` is the system's error code.
std::string DllLoadFailureText(const std::string& dll, const std::string& function,
                               unsigned long error);

// --- The check itself (Win32 build only) ---

// Is64BitWindows, which the installation run asks again, is in engine/ucargo.h.

// What the start-up check decided.
enum class StartupVerdict {
    Passes,
    NoDosBox,           // a 64-bit Windows without DOSBox
    NamedDosBoxMissing, // a 64-bit Windows, and the /DOSBOX= executable is not a file
    TestSwitch,         // "/t" in the command line
};
struct StartupResult {
    StartupVerdict Verdict = StartupVerdict::Passes;
    // On a 64-bit Windows, the search for DOSBox (dosbox/locate_core.h).
    DosBoxSearch DosBox;
};

// The start-up check without the warning. On a 64-bit Windows it looks for DOSBox (the
// executable `namedDosBox` of /DOSBOX= when not empty) and sets DosBoxExePath and
// DosBoxExeBuild when it is found; then looks for "/t" in `testSwitchText`
// (InstallOptions::testSwitchText). Raises what Is64BitWindows raises.
StartupResult CheckStartup(const std::string& testSwitchText, const std::string& namedDosBox);

// The start-up check. Where CheckStartup does not pass it shows the warning (a missing
// /DOSBOX= executable: a message naming it, OK only) and opens the DOSBox download page
// through the shell when the user chooses OK, and returns false: the program must end.
// Otherwise returns true. Raises what Is64BitWindows raises.
bool StartupCheck(const std::string& testSwitchText, const std::string& namedDosBox);

// Keeps DLLs that lie beside the installer (on the CD, in the Downloads folder) or in
// the current folder from being loaded: later DLL loads search the system folder only.
// Does nothing where the system lacks SetDefaultDllDirectories, and on Windows Vista,
// where that call breaks the shell link object. The program entry (app/entry_win.cpp)
// calls it before any other system DLL is loaded; it calls KERNEL32 only.
void RestrictDllSearch();
