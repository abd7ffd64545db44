#pragma once
// The installation run: the use case at the top of the installer. It creates the install
// folder, loads every payload item before writing anything, writes the files with their
// stored dates, and makes the product startable (the maker's menu program, the DOSBox
// set-up on a 64-bit Windows, or a message and an optional desktop shortcut; beside the
// last two, an entry in the Start menu that starts the product the same way). Everything it
// tells the user and asks goes through an InstallFrontEnd: the progress window and dialogs,
// an unattended log, or a test's recorder.
#include "engine/exit_code.h"
#include "install/front_end.h"

#include <exception>
#include <optional>
#include <string>

// What the run takes from the system unless told otherwise (tests steer it here).
struct RunSettings {
    // The payload resources to install, comma-separated, in install order; empty: the
    // installer's own catalogue.
    std::string Catalogue;
    // The folder that receives desktop shortcuts, ending in a backslash; unset: the user's
    // desktop, asked once the items have loaded.
    std::optional<std::string> DesktopFolder;
    // The Start menu's programs folder that receives the product's entry, ending in a
    // backslash; unset: the user's (all users' for all users), asked with the desktop.
    std::optional<std::string> ProgramsFolder;
    // Whether the product gets its Start-menu entry (/NOSTARTMENU: no).
    bool StartMenu = true;
    // Whether the 64-bit finish (the DOSBox set-up) applies; unset: Is64BitWindows(), asked
    // once the files are written.
    std::optional<bool> Windows64;
    // For every user (/ALLUSERS): the Apps & Features entry in HKLM, the shortcuts on the
    // public desktop and in all users' Start menu; unset: when the installer runs as the
    // SYSTEM account.
    std::optional<bool> AllUsers;
};

// Installs the product into `folder` (a drive-letter path; the caller has checked its drive;
// read in one spelling, NormalFolderPath) and returns the outcome:
//   Success            every file written in full and the finish all made;
//   FolderNotCreated   the folder could not be made (told with the system's reason, before
//                      Begin; nothing written);
//   PayloadDamaged     an item loaded empty, or two items have one file name (the list of
//                      such items told; nothing written);
//   WriteFailed        a file could not be written in full (told; that file removed, the
//                      ones before it kept, none after it written);
//   DiskFull           as WriteFailed, because the drive is full;
//   Cancelled          the front end said stop during the write pass (the cancel message
//                      told; the files so far kept);
//   StartupSetupFailed every file written, but dosbox.conf or a shortcut (the Start-menu
//                      entry included) could not be made
//                      (told instead of the closing message), or the uninstaller, the
//                      record of what was made or the Apps & Features entry could not be
//                      (told before the closing message);
//   BadCommandLine     the front end refused one of the files (InstallFrontEnd::Refusal; told,
//                      nothing written).
// A run that ends without having written a file takes away the folders it made. After a
// run that made everything, the folder holds the uninstaller and the record, and the entry
// names the folder (install/registration.h).
// Errors of the payload loader (EResNotFound, EDecompressionError, EOutOfMemory), of a write
// that would go through a link (ELinkedPath), of the 64-bit test and of the shell link
// object pass to the caller; End() is called on every path after Begin().
ExitCode RunInstallation(const std::string& folder, InstallFrontEnd& frontEnd);
ExitCode RunInstallationOf(const std::string& folder, InstallFrontEnd& frontEnd,
                           const RunSettings& settings);

// True when the maker's menu program "tqmenu.exe" is a file in the parent of `folder`;
// never looked for in a drive root.
bool IsMenuProgramInParent(const std::string& folder);

// The install folder the installer proposes: "<root>corvane\tq" when that folder exists on
// the drive of the Windows folder, else "<root>tq" (root as "C:\"; empty when the Windows
// folder is unknown).
std::string ProposedInstallFolder();

// The outcome class of an error that left the run: OutOfMemory for EOutOfMemory and
// std::bad_alloc, PayloadDamaged for a payload item that does not inflate (EZlibError),
// WriteFailed for a write refused because it would go through a link (ELinkedPath), and
// UnexpectedError for anything else.
ExitCode ExitCodeOfError(const std::exception& error);
