#include "install/uninstaller.h"

#include "engine/files.h"
#include "install/log.h"
#include "install/registration.h"
#include "install/uninstall_record.h"
#include "resources/product.h"
#include "toolkit/format.h"
#include "toolkit/handles_win.h"
#include "toolkit/win32_error.h"
#include "ui/dialogs.h"

#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <new>

bool UninstallFrontEnd::Confirm(const std::string& question) {
    log_.Write("Question:", question);
    // MB_YESNO | MB_ICONQUESTION.
    const bool yes = silent_ || TaskMessageBox(nullptr, question, ProductName, 0x24) == drYes;
    log_.Write(yes ? "Answer: Yes" : "Answer: No");
    return yes;
}

bool UninstallFrontEnd::Retry(const std::string& text) {
    log_.Write("Message:", text);
    // MB_RETRYCANCEL | MB_ICONWARNING.
    const bool retry = !silent_ && TaskMessageBox(nullptr, text, ProductName, 0x35) == drRetry;
    log_.Write(retry ? "Answer: Retry" : "Answer: Cancel");
    return retry;
}

void UninstallFrontEnd::Tell(const std::string& text) {
    log_.Write("Message:", text);
    if (!silent_) ShowInfoCaption(ProductName, text);
}

void UninstallFrontEnd::Note(const char* heading, const std::string& path) {
    log_.Write(heading, path);
}

namespace {

// Opens every path of `names` for deletion: with DELETE access and no sharing, so that an
// open fails while anyone has the file open (a file DOSBox holds) and nobody can open it
// until it is gone; never through a link (the name itself is opened). Names that are not
// there are skipped (null handle); names that would not open are added to `refused`, each
// with the system's reason (in use, or no right to delete it).
std::vector<HANDLE> OpenAll(const std::vector<std::string>& names,
                            std::vector<std::string>& refused) {
    std::vector<HANDLE> handles;
    for (const std::string& name : names) {
        HANDLE handle = CreateFileA(name.c_str(), DELETE | FILE_READ_ATTRIBUTES, 0, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
        const DWORD error = GetLastError();
        if (handle == INVALID_HANDLE_VALUE) {
            handle = nullptr;
            if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND)
                refused.push_back(name + ": " + tk::SystemErrorMessage(error));
        }
        handles.push_back(handle);
    }
    return handles;
}

// All or nothing: deletes every name of `names` once all of them could be opened for it
// and marked; they go together as the handles close. Else nothing goes and `refused` names
// what held out.
void DeleteAll(const std::vector<std::string>& names, std::vector<std::string>& refused) {
    std::vector<HANDLE> handles = OpenAll(names, refused);
    bool byName = false;
    for (size_t i = 0; i < handles.size() && refused.empty(); ++i) {
        if (handles[i] == nullptr) continue;
        const unsigned long error = MarkForDeletion(handles[i]);
        if (error == ERROR_CALL_NOT_IMPLEMENTED)
            byName = true; // before Vista: by name, once all were seen to open
        else if (error != 0)
            refused.push_back(names[i] + ": " + tk::SystemErrorMessage(error));
    }
    for (HANDLE handle : handles) {
        if (handle == nullptr) continue;
        // A mark that failed (a read-only file) is taken back on the others.
        if (!refused.empty()) MarkForDeletion(handle, false);
        CloseHandle(handle);
    }
    if (byName && refused.empty())
        for (const std::string& name : names)
            DeleteFileA(name.c_str());
}

} // namespace

ExitCode RunUninstall(const std::string& folder, UninstallFrontEnd& frontEnd,
                      std::vector<std::string>& folders) {
    // The shortcuts' targets are read through the shell link object.
    tk::ComInitialization com;
    UninstallPlan planned;
    std::string shown;
    bool asked = false;
    for (;;) {
        std::string problem;
        try {
            planned = PlanUninstall(folder);
            if (planned.Plan.Refused()) problem = LinksRefusalMessage(planned.Plan.links);
        } catch (const tk::Exception& error) {
            // A record that cannot be used, or a link on the way to the folder.
            problem = error.what();
        }
        if (!problem.empty()) {
            frontEnd.Tell(problem);
            return ExitCode::RecordUnusable;
        }
        // The folder as the install wrote it (the program's path may differ in case).
        shown = planned.Record.folder.empty() ? folder : planned.Record.folder;
        if (!asked && !frontEnd.Confirm(RemoveQuestion(shown))) return ExitCode::Cancelled;
        asked = true;

        // The uninstaller is running: it goes once the uninstall has ended (RunUninstaller).
        std::vector<std::string> names;
        for (const std::string& path : planned.Plan.deleteFiles)
            if (!IsUninstallerProgram(path)) names.push_back(path);
        names.insert(names.end(), planned.Plan.deleteShortcuts.begin(),
                     planned.Plan.deleteShortcuts.end());
        std::vector<std::string> refused;
        DeleteAll(names, refused);
        if (refused.empty()) {
            for (const std::string& path : names)
                frontEnd.Note("Removed:", path);
            break;
        }
        if (!frontEnd.Retry(InUseMessage(refused))) return ExitCode::FilesInUse;
    }
    const RemovalPlan& plan = planned.Plan;
    const RecordedEntry& entry = planned.Record.entry;
    if (plan.removeEntry)
        frontEnd.Note(DeleteUninstallEntry(entry.root == "HKLM") == 0 ? "Removed:" : "Kept:",
                      entry.root + "\\" + entry.key);
    else if (plan.entryPointsElsewhere)
        frontEnd.Note("Kept (it names another folder):", entry.root + "\\" + entry.key);
    for (const std::string& kept : KeptItems(plan))
        frontEnd.Note("Kept:", kept);
    folders = plan.removeFolders;
    frontEnd.Tell(RemovedMessage(shown, plan));
    return ExitCode::Success;
}

// --- The two processes ---
//
// A running program's file cannot be deleted on Windows, and uninstall.exe must not stay in
// the folder. So uninstall.exe (the first process) copies itself to the temporary folder
// and starts the copy, which does the work, with three inherited handles: the first
// process (to wait for its end), the write end of a pipe (to report the result) and the
// copy's own file, opened delete-on-close (see below). The first process waits for the
// result and ends with it, so that whoever waits for uninstall.exe (Apps & Features, a
// deployment tool) gets the real result. After a removal it first moves its own file out
// of the folder into the temporary folder (a running program's file may be renamed, on
// the same drive) and waits until the copy, seeing uninstall.exe gone, has removed the
// emptied folders and closed the pipe: so they are gone when the first process has ended.
// Where the move fails (another drive), the copy waits for the first process to end, then
// deletes uninstall.exe and removes the folders.
//
// The copy's own file: the first process opens it delete-on-close, sharing reading and
// deletion, before starting it; the copy inherits that handle, and the file goes when the
// copy has ended and the last handle closes. Wine removes it so (the end-to-end tests
// check that no copy is left). Where the system keeps the file because it is still mapped
// at that moment, MoveFileEx with MOVEFILE_DELAY_UNTIL_REBOOT removes it at the next
// restart; that is allowed to administrators only (a deployment tool's uninstall), so a
// user's own uninstall may leave the copy in the temporary folder until it is cleaned.
namespace {

unsigned long HandleNumber(HANDLE handle) {
    return static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(handle));
}

HANDLE HandleOf(const std::string& number) {
    return reinterpret_cast<HANDLE>(
        static_cast<std::uintptr_t>(std::strtoul(number.c_str(), nullptr, 10)));
}

std::string MovedName(const std::string& copy) {
    return copy + ".old";
}

// Deletes `path`, trying for a while: the system releases a program's file a moment after
// the program has ended. At the next restart where it will not go now.
void DeleteSoon(const std::string& path) {
    for (int attempt = 0; attempt < 50; ++attempt) {
        if (DeleteFileA(path.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND) return;
        Sleep(100);
    }
    MoveFileExA(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}

// Removes the folders that are empty now (a folder that is a link, as the link itself).
void RemoveFolders(const std::vector<std::string>& folders, InstallLog& log) {
    for (const std::string& folder : folders)
        if (!RemoveDirectoryA(folder.c_str()) && DirectoryExists(folder))
            log.Write("Kept (not empty):", folder);
}

ExitCode UninstallLogged(const InstallOptions& options, const std::string& folder, InstallLog& log,
                         std::vector<std::string>& folders) {
    try {
        UninstallFrontEnd frontEnd(log, options.silent);
        return RunUninstall(folder, frontEnd, folders);
    } catch (const std::bad_alloc&) {
        log.Write("Error: out of memory");
        return ExitCode::OutOfMemory;
    } catch (const std::exception& error) {
        log.Write("Error:", error.what());
        if (!options.silent) ShowInfoCaption(ProductName, error.what());
        return ExitCode::UnexpectedError;
    }
}

// The copy: does the uninstall, reports, then clears up after the first process.
ExitCode RunAsCopy(const InstallOptions& options, InstallLog& log) {
    std::string handles = options.uninstallCopy;
    const HANDLE first = HandleOf(SplitNextToken(handles, ","));
    tk::FileHandle pipe(HandleOf(handles));
    const std::string folder = AddTrailingBackslash(options.folder);
    const std::string uninstaller = folder + UninstallerFile;
    std::vector<std::string> folders;
    const ExitCode code = UninstallLogged(options, folder, log, folders);
    const char report = static_cast<char>(code);
    DWORD written = 0;
    WriteFile(pipe.Get(), &report, 1, &written, nullptr);
    if (code == ExitCode::Success) {
        // Until the first process has moved uninstall.exe away, or has ended.
        while (FileExists(uninstaller) && WaitForSingleObject(first, 20) == WAIT_TIMEOUT) {
        }
        DeleteSoon(uninstaller);
        RemoveFolders(folders, log);
        pipe.Close();
        WaitForSingleObject(first, 60000);
        const std::string self = OwnProgramPath();
        DeleteSoon(MovedName(self));
        MoveFileExA(self.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    }
    CloseHandle(first);
    return code;
}

// The first process: hands over to a copy of itself. False when no copy could be started.
bool HandOver(const InstallOptions& options, const std::string& self, const std::string& folder,
              ExitCode& code) {
    char temp[MAX_PATH];
    const DWORD length = GetTempPathA(MAX_PATH, temp);
    if (length == 0 || length >= MAX_PATH) return false;
    const std::string copy = tk::Format("%sPentaroUninstall-%lu.exe", temp, GetCurrentProcessId());
    if (!CopyFileA(self.c_str(), copy.c_str(), FALSE)) return false;

    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    tk::FileHandle copyFile(CreateFileA(copy.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                        &inherited, OPEN_EXISTING, FILE_FLAG_DELETE_ON_CLOSE,
                                        nullptr));
    HANDLE me = nullptr;
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), &me, SYNCHRONIZE,
                    TRUE, 0);
    CreatePipe(&readEnd, &writeEnd, &inherited, 0);
    tk::FileHandle ownHandle(me), reader(readEnd), writer(writeEnd);
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);

    std::string commandLine =
        tk::Format("\"%s\"%s /UNINSTALLCOPY=%lu,%lu", copy.c_str(), options.silent ? " /S" : "",
                   HandleNumber(me), HandleNumber(writeEnd));
    if (!options.logFile.empty()) {
        // The copy runs in the temporary folder: a log named relative to this process's
        // current folder is passed on as the full path it means here.
        char full[MAX_PATH];
        const DWORD fullLength = GetFullPathNameA(options.logFile.c_str(), MAX_PATH, full, nullptr);
        commandLine += " \"/LOG=" +
                       (fullLength > 0 && fullLength < MAX_PATH ? std::string(full, fullLength)
                                                                : options.logFile) +
                       "\"";
    }
    commandLine += " /D=" + folder;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    // Neither process may keep the install folder as its current folder, which would keep
    // the folder from being removed.
    SetCurrentDirectoryA(temp);
    if (me == nullptr || readEnd == nullptr ||
        !CreateProcessA(copy.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, temp,
                        &startup, &process)) {
        if (!copyFile.Valid()) DeleteFileA(copy.c_str());
        return false;
    }
    tk::FileHandle child(process.hProcess);
    CloseHandle(process.hThread);
    // The copy holds its own ends now: the pipe reports its end once the copy closes it.
    writer.Close();
    ownHandle.Close();
    copyFile.Close();
    // The questions are asked in the copy's windows: let them come to the front.
    AllowSetForegroundWindow(process.dwProcessId);

    char report = 0;
    DWORD read = 0;
    if (!ReadFile(reader.Get(), &report, 1, &read, nullptr) || read != 1) {
        // The copy ended without a report: its own exit code says why.
        WaitForSingleObject(child.Get(), INFINITE);
        DWORD exitCode = static_cast<DWORD>(ExitCode::UnexpectedError);
        GetExitCodeProcess(child.Get(), &exitCode);
        code = static_cast<ExitCode>(exitCode);
        return true;
    }
    code = static_cast<ExitCode>(report);
    if (code == ExitCode::Success && MoveFileExA(self.c_str(), MovedName(copy).c_str(), 0))
        // Until the copy has removed the emptied folders and closed the pipe.
        while (ReadFile(reader.Get(), &report, 1, &read, nullptr) && read > 0) {
        }
    return true;
}

} // namespace

bool IsUninstallMode(const InstallOptions& options) {
    return !options.uninstallCopy.empty() || IsUninstallerProgram(OwnProgramPath());
}

ExitCode RunUninstaller(const InstallOptions& options, const std::string& commandLine) {
    if (options.silent) SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    InstallLog log(options.logFile);
    const std::string self = OwnProgramPath();
    ExitCode code = ExitCode::UnexpectedError;
    if (options.uninstallCopy.empty() && HandOver(options, self, ParentPart(self), code))
        return code;

    log.Write(tk::Format("Start: %s %s uninstall, command line: %s", ProductName, ProductVersion,
                         commandLine.c_str()));
    if (!options.uninstallCopy.empty()) {
        code = RunAsCopy(options, log);
    } else {
        // No copy could be started (no temporary folder): the uninstall runs here, and
        // uninstall.exe and the emptied folders go at the next restart where that is allowed.
        std::vector<std::string> folders;
        code = UninstallLogged(options, ParentPart(self), log, folders);
        if (code == ExitCode::Success) {
            MoveFileExA(self.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
            for (const std::string& folder : folders)
                MoveFileExA(folder.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
        }
    }
    log.Write(tk::Format("Exit code: %d (%s)", static_cast<int>(code), ExitCodeName(code)));
    return code;
}
