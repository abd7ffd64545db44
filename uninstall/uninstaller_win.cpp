#include "uninstall/uninstaller.h"

#include "engine/files.h"
#include "engine/folder_lock.h"
#include "engine/log.h"
#include "engine/sha256.h"
#include "resources/product.h"
#include "toolkit/account_win.h"
#include "toolkit/format.h"
#include "toolkit/handles_win.h"
#include "toolkit/process_win.h"
#include "toolkit/text_win.h"
#include "toolkit/win32_error.h"
#include "ui/dialogs.h"
#include "uninstall/entry.h"
#include "uninstall/uninstall_record.h"

#include <windows.h>

#include <sddl.h>
#include <shellapi.h>

#include <algorithm>
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

// True when the uninstall of `folder` was stopped after its record went (killed, or run in
// place where no copy could start): the record is gone, and no entry names the folder any
// more (the entry goes before the record). What is left is the uninstaller and what the
// user keeps.
bool RecordAndEntryGone(const std::string& folder) {
    const std::string record = folder + InstallRecordFile;
    if (FileExists(record) || IsLinkedName(record)) return false;
    for (const bool allUsers : {false, true}) {
        bool found = false;
        const std::string location = EntryInstallLocation(allUsers, found);
        if (found && SameName(AddTrailingBackslash(location), folder)) return false;
    }
    return true;
}

// Marks every path of `paths` that `held` holds for deletion, clearing a read-only
// attribute first (the file is the install's own and unchanged). All or nothing: when one
// mark fails, the others are taken back and `refused` names what held out. The files go as
// their handles close.
void MarkTogether(const HeldRemoval& held, const std::vector<std::string>& paths,
                  std::vector<std::string>& refused, bool& denied) {
    std::vector<void*> marked, cleared;
    for (const std::string& path : paths) {
        const HeldRemoval::Held* one = held.Find(path);
        if (one == nullptr) continue;
        void* handle = one->handle->Get();
        unsigned long error = 0;
        if (one->readOnly) {
            error = SetReadOnly(handle, false);
            if (error == 0) cleared.push_back(handle);
        }
        if (error == 0) error = MarkForDeletion(handle);
        if (error == 0) {
            marked.push_back(handle);
            continue;
        }
        refused.push_back(path + ": " + tk::SystemErrorMessage(error));
        if (error != ERROR_ACCESS_DENIED) denied = false;
        break;
    }
    if (refused.empty()) return;
    for (void* handle : marked)
        MarkForDeletion(handle, false);
    for (void* handle : cleared)
        SetReadOnly(handle, true);
}

// `held`'s handles closed, but those of `keep`.
void CloseAllBut(HeldRemoval& held, const std::vector<std::string>& keep) {
    for (HeldRemoval::Held& one : held.Handles)
        if (std::none_of(keep.begin(), keep.end(),
                         [&](const std::string& path) { return SameName(path, one.path); }))
            one.handle->Close();
}

// The paths a /LOG= may not name: what the uninstall reads or deletes.
std::vector<std::string> UninstallPaths(const UninstallPlan& planned, const std::string& folder) {
    std::vector<std::string> paths = {
        folder + InstallRecordFile, TemporaryFileName(folder + InstallRecordFile),
        folder + UninstallerFile, TemporaryFileName(folder + UninstallerFile)};
    for (const RecordedFile& file : planned.Record.files)
        paths.push_back(folder + file.name);
    paths.insert(paths.end(), planned.Record.shortcuts.begin(), planned.Record.shortcuts.end());
    return paths;
}

} // namespace

ExitCode RunUninstall(const std::string& folder, UninstallFrontEnd& frontEnd, InstallLog& log,
                      std::vector<std::string>& folders) {
    // The shortcuts' targets are read through the shell link object.
    tk::ComInitialization com;
    // An install into the folder, or another uninstall, may not run at the same time.
    FolderLock lock(folder);
    if (!lock.Held()) {
        log.Release();
        frontEnd.Tell(FolderBusyMessage(folder));
        return ExitCode::AlreadyRunning;
    }
    // An uninstall stopped after the record went: started again, it finishes. Its own file,
    // a temporary record and the folder, once empty, go; what else is there is the user's.
    if (RecordAndEntryGone(folder)) {
        log.Release();
        frontEnd.Note("Removed earlier:", folder + InstallRecordFile);
        const std::string temporaries[] = {TemporaryFileName(InstallRecordFile),
                                           TemporaryFileName(UninstallerFile)};
        for (const std::string& name : temporaries) {
            const std::string temporary = folder + name;
            if (FileExists(temporary) && !IsLinkedName(temporary) &&
                DeleteFileA(temporary.c_str()))
                frontEnd.Note("Removed:", temporary);
        }
        RemovalPlan finished;
        const FolderOnDisk found = LookAtFolder(folder);
        for (const ListedItem& item : found.items)
            if (!SameName(item.name, UninstallerFile) && !SameName(item.name, temporaries[0]) &&
                !SameName(item.name, temporaries[1]))
                finished.keptAdded.push_back(folder + item.name + (item.isFolder ? "\\" : ""));
        for (const std::string& kept : finished.keptAdded)
            frontEnd.Note("Kept:", kept);
        folders = {folder};
        frontEnd.Tell(RemovedMessage(folder, finished));
        return ExitCode::Success;
    }
    UninstallPlan preview;
    try {
        preview = PlanUninstall(folder);
    } catch (const tk::Exception& error) {
        // A record that cannot be used, or a link on the way to the folder.
        log.Release();
        frontEnd.Tell(error.what());
        return ExitCode::RecordUnusable;
    }
    if (!log.Path().empty() && IsOneOf(log.Path(), UninstallPaths(preview, folder))) {
        log.Refuse();
        frontEnd.Tell(LogIsInstalledFileMessage(log.Path()));
        return ExitCode::BadCommandLine;
    }
    log.Release();
    if (preview.Plan.Refused()) {
        frontEnd.Tell(LinksRefusalMessage(preview.Plan.links));
        return ExitCode::RecordUnusable;
    }
    // The folder as the install wrote it (the program's path may differ in case).
    const std::string shown = preview.Record.folder.empty() ? folder : preview.Record.folder;
    if (!frontEnd.Confirm(RemoveQuestion(shown))) return ExitCode::Cancelled;

    // What goes is decided on what is there at the moment of deletion, held so that it cannot
    // change in between: the question may have been on screen for a long time.
    HeldRemoval held;
    std::vector<RemovalStep> steps;
    for (;;) {
        try {
            held = HoldAndPlan(folder);
        } catch (const tk::Exception& error) {
            frontEnd.Tell(error.what());
            return ExitCode::RecordUnusable;
        }
        const RemovalPlan& plan = held.Planned.Plan;
        if (plan.Refused()) {
            frontEnd.Tell(LinksRefusalMessage(plan.links));
            return ExitCode::RecordUnusable;
        }
        std::vector<std::string> refused = held.Refused;
        bool denied = held.Denied;
        const RecordedEntry& entry = held.Planned.Record.entry;
        // The entry is part of all or nothing: a removal that leaves it is none.
        if (refused.empty() && plan.removeEntry)
            if (const unsigned long error = CheckUninstallEntryDeletable(entry.root == "HKLM");
                error != 0) {
                refused.push_back(entry.root + "\\" + entry.key + ": " +
                                  tk::SystemErrorMessage(error));
                denied = error == ERROR_ACCESS_DENIED;
            }
        steps = RemovalOrder(plan);
        if (refused.empty() && !steps.empty() && steps[0].kind == RemovalStep::Together)
            MarkTogether(held, steps[0].paths, refused, denied);
        if (refused.empty()) break;
        held = HeldRemoval();
        if (!frontEnd.Retry(denied ? DeniedMessage(refused) : InUseMessage(refused)))
            return denied ? ExitCode::RemovalDenied : ExitCode::FilesInUse;
    }

    // Copies: the handles are let go below, and the plan with them.
    const RemovalPlan plan = held.Planned.Plan;
    const RecordedEntry entry = held.Planned.Record.entry;
    const std::string entryName = entry.root + "\\" + entry.key;
    std::vector<std::string> record;
    for (const RemovalStep& step : steps)
        if (step.kind == RemovalStep::Record) record = step.paths;
    // The product's files and shortcuts go now, as their handles close; the record stays
    // held until the entry is gone, so that a stop in between leaves what a second run needs.
    CloseAllBut(held, record);
    for (const RemovalStep& step : steps)
        if (step.kind == RemovalStep::Together)
            for (const std::string& path : step.paths)
                frontEnd.Note("Removed:", path);
    if (plan.removeEntry) {
        if (const unsigned long error = DeleteUninstallEntry(entry.root == "HKLM"); error != 0) {
            frontEnd.Note("Kept:", entryName);
            frontEnd.Tell(EntryNotRemovedMessage(shown, entryName, tk::SystemErrorMessage(error)));
            return error == ERROR_ACCESS_DENIED ? ExitCode::RemovalDenied : ExitCode::FilesInUse;
        }
        frontEnd.Note("Removed:", entryName);
    } else if (plan.entryPointsElsewhere) {
        frontEnd.Note("Kept (it names another folder):", entryName);
    }
    for (const std::string& path : record) {
        const HeldRemoval::Held* one = held.Find(path);
        const bool gone = one != nullptr && MarkForDeletion(one->handle->Get()) == 0;
        frontEnd.Note(gone ? "Removed:" : "Kept:", path);
    }
    held = HeldRemoval();
    for (const std::string& kept : KeptItems(plan))
        frontEnd.Note("Kept:", kept);
    folders = plan.removeFolders;
    frontEnd.Tell(RemovedMessage(shown, plan));
    return ExitCode::Success;
}

// --- The two processes ---
//
// A running program's file cannot be deleted on Windows, and uninstall.exe must not stay in
// the folder. So uninstall.exe (the first process) copies itself into the temporary folder,
// as a new file under a random name (MakeCopy: never a name someone placed, closed to other
// users), and starts the copy, which does the work, with three
// inherited handles: the first process (to wait for its end, and to see which program it
// runs), the write end of a pipe (to report the result) and the copy's own file, opened
// delete-on-close (see below). The first process waits for the result and ends with it, so
// that whoever waits for uninstall.exe (Apps & Features, a deployment tool) gets the real
// result; a copy that ends without a report is UnexpectedError. After a removal it first
// moves its own file out of the install folder beside the copy (a running program's file may
// be renamed, on the same drive; never over a name that is there) and waits until the copy, seeing
// uninstall.exe gone, has removed the emptied folders and closed the pipe: so they are gone when
// the first process has ended. Where the move fails (another drive), the copy waits for the first
// process to end, then deletes uninstall.exe and removes the folders.
//
// The copy's own file: the first process opens it delete-on-close, sharing reading and
// deletion, before starting it; the copy inherits that handle, and the file goes when the
// copy has ended and the last handle closes. Wine removes it so (the end-to-end tests check
// that nothing is left). Nothing is scheduled for a restart: where the system kept the file
// because it was still mapped, the copy stays in the temporary folder until it is cleaned.
namespace {

// 16 hex digits nobody can tell ahead: a hash of the moment (to the performance counter's
// tick), the process, the thread and `salt`.
std::string UnguessableName(int salt) {
    LARGE_INTEGER counter{};
    QueryPerformanceCounter(&counter);
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    const unsigned long long values[] = {
        static_cast<unsigned long long>(counter.QuadPart),
        (static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime,
        GetTickCount(),
        GetCurrentProcessId(),
        GetCurrentThreadId(),
        static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(&counter)),
        static_cast<unsigned long long>(salt)};
    Sha256 hash;
    hash.Update(reinterpret_cast<const char*>(values), sizeof values);
    return HexOf(hash.Finish()).substr(0, 16);
}

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
    for (const std::string& folder : folders) {
        if (RemoveDirectoryA(folder.c_str()) || !DirectoryExists(folder)) continue;
        // Windows keeps a folder that another process has as its current folder (a command
        // prompt started in it): it is empty, and goes once that process leaves it.
        log.Write(GetLastError() == ERROR_DIR_NOT_EMPTY
                      ? "Kept (not empty):"
                      : "Kept (empty, but in use: another program, such as a command prompt, "
                        "has it as its current folder):",
                  folder);
    }
}

ExitCode UninstallLogged(const UninstallOptions& options, const std::string& folder,
                         InstallLog& log, std::vector<std::string>& folders) {
    try {
        UninstallFrontEnd frontEnd(log, options.silent);
        return RunUninstall(folder, frontEnd, log, folders);
    } catch (const std::bad_alloc&) {
        log.Release();
        log.Write("Error: out of memory");
        return ExitCode::UnexpectedError;
    } catch (const std::exception& error) {
        log.Release();
        log.Write("Error:", error.what());
        if (!options.silent) ShowInfoCaption(ProductName, error.what());
        return ExitCode::UnexpectedError;
    }
}

// True when `first` and `pipe` are what the hand-over gives the copy: the handle of the
// process that started this one, which runs `folder`'s uninstall.exe, and a pipe. Anything
// else (the switch typed by hand, on the installer or on uninstall.exe) is refused.
bool IsOwnHandOver(HANDLE first, HANDLE pipe, const std::string& folder) {
    if (GetFileType(pipe) != FILE_TYPE_PIPE) return false;
    const DWORD firstId = GetProcessId(first);
    if (firstId == 0) return false;
    if (tk::ParentProcessId() != firstId) return false;
    // The same file, not the same name: the first process may have been started by a short
    // name (C:\PROGRA~1\...\UNINST~1.EXE), which the system gives back as its image name.
    const std::string image = tk::ProgramPathOfProcess(first, firstId);
    return !image.empty() && SameFile(image, AddTrailingBackslash(folder) + UninstallerFile);
}

// Writes this program's file `self` as a new file of a random name in the temporary folder
// `temp`: never over a file or link someone placed there (CREATE_NEW fails on any name that
// exists, and the name cannot be guessed ahead), and closed to everyone but this user, the
// system and the administrators (FolderForCopy says where `temp` lies). The copy's path, or
// empty text (and nothing left) when none could be made.
std::string MakeCopy(const std::string& self, const std::string& temp) {
    std::string access = "D:P(A;;FA;;;SY)(A;;FA;;;BA)";
    std::vector<unsigned char> user = tk::ProcessUserSid();
    char* userText = nullptr;
    if (!user.empty() && ConvertSidToStringSidA(user.data(), &userText)) {
        access += std::string("(A;;FA;;;") + userText + ")";
        LocalFree(userText);
    }
    tk::SecurityDescriptor descriptor(access);
    if (descriptor.Get() == nullptr) return {};
    std::string copy;
    for (int attempt = 0; attempt < 16 && copy.empty(); ++attempt) {
        const std::string name = temp + "PentaroUninstall-" + UnguessableName(attempt) + ".exe";
        tk::FileHandle file(CreateFileA(name.c_str(), GENERIC_WRITE, 0, descriptor.Attributes(), CREATE_NEW,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.Valid()) {
            if (GetLastError() == ERROR_FILE_EXISTS || GetLastError() == ERROR_ALREADY_EXISTS)
                continue;
            break;
        }
        bool written = true;
        const unsigned long error = ReadFilePieces(self, [&](const char* piece, std::size_t n) {
            DWORD done = 0;
            written = written &&
                      WriteFile(file.Get(), piece, static_cast<DWORD>(n), &done, nullptr) &&
                      done == n;
        });
        if (file.Close() && written && error == 0)
            copy = name;
        else
            DeleteFileA(name.c_str());
        break;
    }
    return copy;
}

// The copy: does the uninstall, reports, then clears up after the first process.
ExitCode RunAsCopy(const UninstallOptions& options, InstallLog& log) {
    std::string handles = options.copyHandles;
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
        // Moved beside this copy, uninstall.exe is deleted there; only then: a name beside
        // the copy that the first process did not move there is someone else's.
        const bool moved = !FileExists(uninstaller);
        DeleteSoon(uninstaller);
        RemoveFolders(folders, log);
        pipe.Close();
        WaitForSingleObject(first, 60000);
        // This program's own file goes as the first process's delete-on-close handle, which
        // it inherited, closes with it: nothing to schedule for a restart.
        if (moved) DeleteSoon(MovedName(OwnProgramPath()));
    }
    CloseHandle(first);
    return code;
}

using TempPathProc = DWORD(WINAPI*)(DWORD, LPWSTR);

// The temporary folder as `tempPath` (GetTempPathW, GetTempPath2W) names it, ending in a
// backslash; empty where it names none.
std::string TemporaryFolder(TempPathProc tempPath) {
    wchar_t path[MAX_PATH + 1];
    const DWORD length = tempPath(MAX_PATH + 1, path);
    std::string text;
    if (length == 0 || length > MAX_PATH || !tk::WideToAnsiExact(std::wstring(path, length), text))
        return {};
    return AddTrailingBackslash(text);
}

// The folder the copy runs from (PlaceForCopy), ending in a backslash; empty when there is
// none. A folder made for it is `made`: the caller removes it again.
std::string FolderForCopy(bool& made) {
    made = false;
    const auto tempPath2 = tk::KernelExport<TempPathProc>("GetTempPath2W");
    switch (PlaceForCopy(tk::RunsAsSystemAccount(), tempPath2 != nullptr)) {
    case CopyPlace::TempPath2:
        return TemporaryFolder(tempPath2);
    case CopyPlace::TempPath:
        return TemporaryFolder(GetTempPathW);
    case CopyPlace::PrivateFolder:
        break;
    }
    const std::string temp = TemporaryFolder(GetTempPathW);
    if (temp.empty()) return {};
    for (int attempt = 0; attempt < 16; ++attempt) {
        const std::string folder = temp + "PentaroUninstall-" + UnguessableName(attempt);
        const unsigned long error = CreateProtectedFolder(folder, SystemOnlyAccess);
        if (error == 0) {
            made = true;
            return folder + "\\";
        }
        if (error != ERROR_ALREADY_EXISTS) break;
    }
    return {};
}

// A folder made for the copy: removed when the hand-over fails (the copy's file is gone by
// then, its delete-on-close handle closed first); after a hand-over, the copy runs from it to
// the end and nobody is left to remove it, so it goes at the next restart, when empty.
class MadeFolder {
public:
    MadeFolder(std::string folder, bool made) : folder_(std::move(folder)), made_(made) {}
    MadeFolder(const MadeFolder&) = delete;
    MadeFolder& operator=(const MadeFolder&) = delete;
    ~MadeFolder() {
        if (!made_) return;
        const std::wstring wide = tk::AnsiToWide(StripTrailingBackslashes(folder_));
        if (handedOver_)
            MoveFileExW(wide.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
        else
            RemoveDirectoryW(wide.c_str());
    }
    void HandedOver() { handedOver_ = true; }

private:
    std::string folder_;
    bool made_;
    bool handedOver_ = false;
};

// The first process: hands over to a copy of itself. False when no copy could be started.
bool HandOver(const UninstallOptions& options, const std::string& self, const std::string& folder,
              ExitCode& code) {
    bool made = false;
    const std::string temp = FolderForCopy(made);
    if (temp.empty()) return false;
    MadeFolder madeFolder(temp, made);
    const std::string copy = MakeCopy(self, temp);
    if (copy.empty()) return false;

    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    tk::FileHandle copyFile(CreateFileA(
        copy.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_DELETE, &inherited, OPEN_EXISTING,
        FILE_FLAG_DELETE_ON_CLOSE | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!copyFile.Valid()) {
        DeleteFileA(copy.c_str());
        return false;
    }
    HANDLE me = nullptr;
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    // The copy waits for this process and checks (IsOwnHandOver) which program it runs.
    DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), &me,
                    SYNCHRONIZE | tk::ProcessQueryRight(), TRUE, 0);
    CreatePipe(&readEnd, &writeEnd, &inherited, 0);
    tk::FileHandle ownHandle(me), reader(readEnd), writer(writeEnd);
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);

    std::string commandLine =
        tk::Format("\"%s\"%s /UNINSTALLCOPY=%lu,%lu", copy.c_str(), options.silent ? " /S" : "",
                   HandleNumber(me), HandleNumber(writeEnd));
    // The log's path is a full one already (RunUninstaller).
    if (!options.logFile.empty()) commandLine += " \"/LOG=" + options.logFile + "\"";
    commandLine += " /D=" + folder;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    // The copy starts in this process's current folder, the system folder (RunUninstaller).
    if (me == nullptr || readEnd == nullptr ||
        !CreateProcessA(copy.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                        nullptr, &startup, &process)) {
        // The copy goes as its handle closes: the uninstall runs in place.
        return false;
    }
    madeFolder.HandedOver();
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
        // The copy ended without a report: it was killed or crashed, whatever exit code
        // the system gives it (a killed process may end with 0).
        WaitForSingleObject(child.Get(), INFINITE);
        code = ExitCode::UnexpectedError;
        return true;
    }
    code = static_cast<ExitCode>(report);
    if (code == ExitCode::Success && MoveFileExA(self.c_str(), MovedName(copy).c_str(), 0))
        // Until the copy has removed the emptied folders and closed the pipe.
        while (ReadFile(reader.Get(), &report, 1, &read, nullptr) && read > 0) {
        }
    return true;
}

// True when the record in `folder` is of an install for all users (its entry in HKLM).
bool RecordIsForAllUsers(const std::string& folder) {
    // A record that cannot be used: the uninstall says why.
    InstallRecord record;
    return ReadEarlierRecord(folder, record) && record.entry.root == "HKLM";
}

// Starts this uninstaller again with administrator rights (the UAC prompt) and ends with
// its result; Cancelled when the user declines.
ExitCode RunElevated(const std::string& self, const UninstallOptions& options) {
    // Marked, so that it refuses rather than start itself again where the prompt did not
    // give it the rights; the log's path is a full one already (RunUninstaller).
    std::string arguments = "/ELEVATED";
    if (!options.logFile.empty()) arguments += " \"/LOG=" + options.logFile + "\"";
    SHELLEXECUTEINFOA run{};
    run.cbSize = sizeof run;
    run.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC;
    run.lpVerb = "runas";
    run.lpFile = self.c_str();
    run.lpParameters = arguments.c_str();
    run.nShow = SW_SHOWNORMAL;
    if (!ShellExecuteExA(&run) || run.hProcess == nullptr)
        return GetLastError() == ERROR_CANCELLED ? ExitCode::Cancelled : ExitCode::RemovalDenied;
    tk::FileHandle elevated(run.hProcess);
    WaitForSingleObject(elevated.Get(), INFINITE);
    DWORD exitCode = static_cast<DWORD>(ExitCode::UnexpectedError);
    GetExitCodeProcess(elevated.Get(), &exitCode);
    return static_cast<ExitCode>(exitCode);
}

// Leaves whatever folder this process was started in for the system folder: a process that
// has the install folder as its current folder keeps it from being removed, and the first
// process waits for the copy to the end.
void LeaveStartFolder() {
    wchar_t system[MAX_PATH];
    const UINT length = GetSystemDirectoryW(system, MAX_PATH);
    if (length > 0 && length < MAX_PATH) SetCurrentDirectoryW(system);
}

} // namespace

bool IsUninstallMode(bool uninstallCopy) {
    return uninstallCopy || IsUninstallerProgram(OwnProgramPath());
}

ExitCode RunUninstaller(UninstallOptions options, const std::string& commandLine) {
    // A log named relative to where the uninstaller was started, as the full path it means.
    options.logFile = FullPath(options.logFile);
    LeaveStartFolder();
    if (options.silent) SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    // Held until the record is read: the log may not be written over what it names.
    InstallLog log(options.logFile, true);
    const std::string self = OwnProgramPath();
    const auto end = [&log](ExitCode code) {
        log.Release();
        log.Write(tk::Format("Exit code: %d (%s)", static_cast<int>(code), ExitCodeName(code)));
        return code;
    };
    log.Write(tk::Format("Start: %s %s uninstall, command line: %s", ProductName, ProductVersion,
                         commandLine.c_str()));
    if (!options.silentNote.empty()) log.Write(options.silentNote);
    if (options.silent && !options.problem.empty()) {
        log.Release();
        log.Write("Message:", options.problem);
        return end(ExitCode::BadCommandLine);
    }
    ExitCode code = ExitCode::UnexpectedError;
    if (options.copyHandles.empty()) {
        switch (StepForRights(RecordIsForAllUsers(ParentPart(self)), tk::HasAdministratorRights(),
                              options.silent, options.elevated)) {
        case RightsStep::GoAhead:
            break;
        case RightsStep::Refuse: {
            log.Release();
            const std::string message = AllUsersUninstallRefusedMessage(ParentPart(self));
            log.Write("Message:", message);
            if (!options.silent) ShowInfoCaption(ProductName, message);
            return end(ExitCode::RemovalDenied);
        }
        case RightsStep::Elevate:
            log.Refuse(); // the elevated uninstaller logs
            return RunElevated(self, options);
        }
    }
    if (options.copyHandles.empty() && HandOver(options, self, ParentPart(self), code)) {
        log.Refuse();
        return code;
    }
    if (!options.copyHandles.empty()) {
        std::string handles = options.copyHandles;
        const HANDLE first = HandleOf(SplitNextToken(handles, ","));
        if (!IsOwnHandOver(first, HandleOf(handles), options.folder)) {
            log.Release();
            const std::string message = UninstallCopyRefusedMessage();
            log.Write("Message:", message);
            if (!options.silent) ShowInfoCaption(ProductName, message);
            return end(ExitCode::BadCommandLine);
        }
        code = RunAsCopy(options, log);
    } else {
        // No copy could be started (no temporary folder, or a full drive): the uninstall runs
        // here. A running program's file cannot be deleted, so uninstall.exe and its folder
        // stay, and the user is told so; nothing is scheduled for a restart (only
        // administrators may, and a scheduled deletion would outlive a reinstall).
        std::vector<std::string> folders;
        code = UninstallLogged(options, ParentPart(self), log, folders);
        if (code == ExitCode::Success) {
            const std::string message = InPlaceLeftMessage(self);
            log.Write("Message:", message);
            if (!options.silent) ShowInfoCaption(ProductName, message);
        }
    }
    return end(code);
}
