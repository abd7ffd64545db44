#pragma once
// The uninstaller: the installer's own program, copied into the install folder as
// uninstall.exe, run in its uninstall mode. It reads the record of what the install made,
// asks first, removes what the record names and is still as the install left it, keeps
// (and names) what the user changed or added, and removes the Apps & Features entry when it
// points at its folder. Everything it tells and asks goes through an UninstallFrontEnd: the
// product's dialogs, or the log of a quiet uninstall (/S).
#include "engine/exit_code.h"
#include "uninstall/uninstall_core.h"

#include <string>
#include <vector>

class InstallLog;

// The uninstaller's command line:
//   uninstall.exe [/S] [/LOG=<file>]
// and, from its own hand-over only, /UNINSTALLCOPY=<process>,<pipe> /D=<folder>.
struct UninstallOptions {
    bool silent = false;
    std::string logFile;
    // /UNINSTALLCOPY=: the inherited handles of the first process and of the pipe that
    // carries the result back, as decimal numbers; empty in the first process.
    std::string copyHandles;
    std::string folder; // /D=, the copy's install folder
    // Why the line cannot be used (an unknown argument, a switch the uninstaller does not
    // take); with /S it ends the uninstall with BadCommandLine before anything is done.
    std::string problem;
};

// What the uninstaller tells and asks: the product's dialogs, each with the caption
// "Pentaro"; with /S nothing on screen, Yes to the question and Cancel to Retry. Everything
// goes to the log (/LOG=) too.
class UninstallFrontEnd {
public:
    UninstallFrontEnd(InstallLog& log, bool silent) : log_(log), silent_(silent) {}
    // The question before anything is removed (Yes and No); true for Yes.
    bool Confirm(const std::string& question);
    // What cannot be removed now (Retry and Cancel); true to try again.
    bool Retry(const std::string& text);
    // A message the user must read: the closing message, or why nothing was removed.
    void Tell(const std::string& text);
    // An entry for the log only: "Removed:" or "Kept:" and the path.
    void Note(const char* heading, const std::string& path);

private:
    InstallLog& log_;
    bool silent_;
};

// --- Texts (portable) ---

// "Remove Pentaro 3.24 from c:\tq\?"
std::string RemoveQuestion(const std::string& folder);
// What cannot be removed now, one per line (a path and the system's reason), and what to
// do; nothing was removed.
std::string InUseMessage(const std::vector<std::string>& paths);
// What this user may not remove, one per line, and that an administrator may; nothing was
// removed.
std::string DeniedMessage(const std::vector<std::string>& paths);
// The files went from `folder`, but the entry `entry` could not be deleted (the system's
// `reason`): starting the uninstaller again finishes.
std::string EntryNotRemovedMessage(const std::string& folder, const std::string& entry,
                                   const std::string& reason);
// After an uninstall that ran in place (no copy could start in the temporary folder): the
// uninstaller `uninstaller` and its folder remain; deleting them by hand, or starting it
// again once a copy can start, removes them.
std::string InPlaceLeftMessage(const std::string& uninstaller);
// The copy's switch, given by anything but the uninstaller's own hand-over.
std::string UninstallCopyRefusedMessage();
// Another install or uninstall holds the folder's lock.
std::string FolderBusyMessage(const std::string& folder);
// What `plan` keeps, one full path each: changed files, files there before the install,
// added files and folders, shortcuts that lead elsewhere, folders not empty.
std::vector<std::string> KeptItems(const RemovalPlan& plan);
// How many kept paths the closing message names; the log names them all.
inline constexpr std::size_t KeptShownInMessage = 12;
// The closing message: the product removed from `folder`, then what was kept and why, one
// path a line, the first KeptShownInMessage of them and how many more.
std::string RemovedMessage(const std::string& folder, const RemovalPlan& plan);

// What the uninstaller does about the rights it runs with, before anything else: an install
// for all users (the record's entry in HKLM, the shortcuts on the public desktop) can only
// be removed by an administrator. Without the rights, the interactive uninstaller starts
// itself again elevated (the UAC prompt) and the quiet one refuses (a deployment tool never
// gets a prompt); anything else goes ahead.
enum class RightsStep { GoAhead, Elevate, Refuse };
RightsStep StepForRights(bool recordForAllUsers, bool administrator, bool silent);
// Why the quiet uninstall refused: an install for all users, no administrator rights.
std::string AllUsersUninstallRefusedMessage(const std::string& folder);

// True when the program file `path` is named uninstall.exe (any case): started so, the
// program is the uninstaller.
bool IsUninstallerProgram(const std::string& path);

// --- The uninstall (Win32 build only) ---

// Removes the product from `folder` (ending in a backslash), everything but the
// uninstaller itself and the folders that hold it, and returns the outcome. On Success,
// `folders` receives the folders the install created, deepest first, to remove once the
// uninstaller has gone (each only when it is empty by then). The uninstall holds the
// folder's lock (engine/folder_lock.h) while it runs. `log` is held until the record is read:
// a /LOG= naming the record, the uninstaller or a file of the product is refused
// (BadCommandLine) and nothing is written or deleted.
ExitCode RunUninstall(const std::string& folder, UninstallFrontEnd& frontEnd, InstallLog& log,
                      std::vector<std::string>& folders);

// True when this program is to run as the uninstaller: its file is uninstall.exe, or it was
// started with /UNINSTALLCOPY=.
bool IsUninstallMode(bool uninstallCopy);

// The uninstall mode's program entry. Run from the install folder, the program copies itself
// to the temporary folder, starts the copy (/UNINSTALLCOPY=) and ends with the result the
// copy reports back; the copy does the work, then removes uninstall.exe and the emptied
// folders once the first process has ended. A copy started by anything but that hand-over
// does nothing and ends with BadCommandLine. The exit code is the uninstall's: Success (the
// product removed; what the user changed or added kept), Cancelled (No), AlreadyRunning,
// BadCommandLine, RecordUnusable, FilesInUse, RemovalDenied, UnexpectedError.
ExitCode RunUninstaller(const UninstallOptions& options, const std::string& commandLine);
