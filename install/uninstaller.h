#pragma once
// The uninstaller: the installer's own program, copied into the install folder as
// uninstall.exe, run in its uninstall mode. It reads the record of what the install made,
// asks first, removes what the record names and is still as the install left it, keeps
// (and names) what the user changed or added, and removes the Apps & Features entry when it
// points at its folder. Everything it tells and asks goes through an UninstallFrontEnd: the
// product's dialogs, or the log of a quiet uninstall (/S).
#include "install/exit_code.h"
#include "install/options.h"
#include "install/uninstall_core.h"

#include <string>
#include <vector>

class InstallLog;

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
// What `plan` keeps, one full path each: changed files, added files and folders, shortcuts
// that lead elsewhere, folders not empty.
std::vector<std::string> KeptItems(const RemovalPlan& plan);
// The closing message: the product removed from `folder`, then what was kept and why,
// one path a line, when anything was.
std::string RemovedMessage(const std::string& folder, const RemovalPlan& plan);

// True when the program file `path` is named uninstall.exe (any case): started so, the
// program is the uninstaller.
bool IsUninstallerProgram(const std::string& path);

// --- The uninstall (Win32 build only) ---

// Removes the product from `folder` (ending in a backslash), everything but the
// uninstaller itself and the folders that hold it, and returns the outcome. On Success,
// `folders` receives the folders the install created, deepest first, to remove once the
// uninstaller has gone (each only when it is empty by then).
ExitCode RunUninstall(const std::string& folder, UninstallFrontEnd& frontEnd,
                      std::vector<std::string>& folders);

// True when this program is to run as the uninstaller: its file is uninstall.exe, or it is
// the uninstaller's copy (/UNINSTALLCOPY=).
bool IsUninstallMode(const InstallOptions& options);

// The uninstall mode's program entry, for `options` parsed from the command line. Run
// from the install folder, the program copies itself to the temporary folder, starts the
// copy (/UNINSTALLCOPY=) and ends with the result the copy reports back; the copy does the
// work, then removes uninstall.exe and the emptied folders once the first process has
// ended. The exit code is the uninstall's: Success (the product removed; what the user
// changed or added kept), Cancelled (No), RecordUnusable, FilesInUse, UnexpectedError.
ExitCode RunUninstaller(const InstallOptions& options, const std::string& commandLine);
