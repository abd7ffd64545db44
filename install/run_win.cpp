#include "install/run.h"

#include "dosbox/conf_core.h"
#include "dosbox/shortcuts.h"
#include "engine/folder_access.h"
#include "engine/sha256.h"
#include "engine/ucargo.h"
#include "install/registration.h"
#include "install/run_core.h"
#include "toolkit/account_win.h"
#include "toolkit/resource.h"
#include "toolkit/win32_error.h"
#include "uninstall/uninstall_record.h"

#include <windows.h>

#include <shlobj.h>

#include <new>
#include <vector>

namespace {

// Ends the front end's run on every way out of the block that began it.
class FrontEndRun {
public:
    explicit FrontEndRun(InstallFrontEnd& frontEnd) : frontEnd_(frontEnd) { frontEnd_.Begin(); }
    FrontEndRun(const FrontEndRun&) = delete;
    FrontEndRun& operator=(const FrontEndRun&) = delete;
    ~FrontEndRun() { frontEnd_.End(); }

private:
    InstallFrontEnd& frontEnd_;
};

// The folders a run made, taken away again (innermost first) when it ends without having
// written a file: a run that writes nothing leaves nothing behind. Only empty folders go.
class FoldersMade {
public:
    std::vector<std::string> List;
    bool Keep = false;
    FoldersMade() = default;
    FoldersMade(const FoldersMade&) = delete;
    FoldersMade& operator=(const FoldersMade&) = delete;
    ~FoldersMade() {
        if (Keep) return;
        for (auto folder = List.rbegin(); folder != List.rend(); ++folder)
            RemoveDirectoryA(folder->c_str());
    }
};

} // namespace

bool IsMenuProgramInParent(const std::string& folder) {
    const std::string parent = MenuProgramParent(folder);
    return !parent.empty() && FileExists(parent + MenuProgramFile);
}

std::string ProposedInstallFolder() {
    // The Windows folder from KERNEL32 rather than the shell: asked before the first
    // window, the shell would load shell32.dll and its companions (10-15 ms under Wine)
    // for a path that the system keeps at hand.
    char windows[MAX_PATH];
    const UINT length = GetSystemWindowsDirectoryA(windows, MAX_PATH);
    const std::string root =
        DriveRootOf(length > 0 && length < MAX_PATH ? std::string(windows, length) : std::string());
    return ProposedFolderOn(root, DirectoryExists(root + CorvaneFolder));
}

ExitCode RunInstallation(const std::string& folder, InstallFrontEnd& frontEnd) {
    return RunInstallationOf(folder, frontEnd, RunSettings{});
}

ExitCode RunInstallationOf(const std::string& folderText, InstallFrontEnd& frontEnd,
                           const RunSettings& settings) {
    std::string message;
    // One spelling: "c:\tq\." is c:\tq, as Windows would read it.
    std::string folder = NormalFolderPath(folderText);
    FoldersMade made;
    // The folders the run makes, which the uninstaller may remove again once empty.
    const std::vector<std::string> created = MissingFolders(folder, DirectoryExists);
    // For every user (/ALLUSERS, or the SYSTEM account of a deployment): the shortcuts on the
    // public desktop, the entry in HKLM, and a folder out of the users' reach, since the
    // system account runs the uninstaller from there.
    const bool allUsers = settings.AllUsers ? *settings.AllUsers : tk::RunsAsSystemAccount();
    const bool existed = created.empty();
    std::string open = allUsers ? PlaceOpenToUsers(folder) : std::string();
    const FolderAccessStep access = AccessStepFor(allUsers, existed, !open.empty());
    if (access == FolderAccessStep::Refuse) {
        frontEnd.Tell(ProductName, OpenToUsersMessage(AddTrailingBackslash(folder), open));
        return ExitCode::FolderOpenToUsers;
    }
    // Another program's uninstaller or record where ours go: writing over it would leave that
    // program impossible to remove, and our uninstall would later delete it.
    if (existed)
        if (const std::string theirs = ForeignUninstallerFile(AddTrailingBackslash(folder));
            !theirs.empty()) {
            frontEnd.Tell(ProductName, OtherProgramsFileMessage(AddTrailingBackslash(folder), theirs));
            return ExitCode::FolderRefused;
        }
    // EnsureFolder refuses empty text without asking the system: no earlier error may
    // then pass for the reason.
    SetLastError(ERROR_SUCCESS);
    if (!EnsureFolder(folder, &made.List,
                      access == FolderAccessStep::Protect ? AllUsersFolderAccess : nullptr)) {
        // Every write would fail: say so instead of running to a false success.
        const DWORD error = GetLastError();
        const std::string reason = error != 0 ? tk::SystemErrorMessage(error) : std::string();
        frontEnd.Tell(ProductName, FolderErrorMessage(folder, reason));
        return ExitCode::FolderNotCreated;
    }
    // A folder that someone made between the look and the making has not got that access:
    // looked at again as one that was there (what the run made goes again on refusal).
    if (access == FolderAccessStep::Protect &&
        (made.List.empty() || !SameName(AddTrailingBackslash(made.List.front()), created.front())))
        if (open = PlaceOpenToUsers(folder); !open.empty()) {
            frontEnd.Tell(ProductName, OpenToUsersMessage(AddTrailingBackslash(folder), open));
            return ExitCode::FolderOpenToUsers;
        }
    folder = AddTrailingBackslash(folder);

    ExitCode outcome = ExitCode::Success;
    // What lies in the folder already, against the record of an earlier install there.
    FoundFiles found(folder);
    {
        // The front end's window and the items live exactly for this block.
        FrontEndRun run(frontEnd);
        const std::string catalogue =
            settings.Catalogue.empty() ? std::string(PayloadCatalogue) : settings.Catalogue;
        const int count = CatalogueCount(catalogue);
        std::vector<std::string> names(static_cast<size_t>(count));
        std::string rest = catalogue;
        for (auto& name : names)
            name = SplitNextToken(rest, ",");
        const std::vector<tInstItem> ItemTable = LoadPayloadItems(names);
        std::uint32_t total = 0;
        for (size_t i = 0; i < ItemTable.size(); ++i) {
            const tInstItem& item = ItemTable[i];
            if (item.Contents.empty())
                message += LoadErrorLine(names[i], item.FileName);
            else
                total += static_cast<std::uint32_t>(item.Contents.size());
        }
        // Two items for one file would leave one of them silently overwritten.
        message += DuplicateFileNameLines(catalogue, ItemTable);

        const std::string desktop =
            settings.DesktopFolder ? *settings.DesktopFolder
                                   : AddTrailingBackslash(GetSpecialFolderPath(
                                         allUsers ? CSIDL_COMMON_DESKTOPDIRECTORY : CSIDL_DESKTOP));
        // Empty: no entry in the Start menu (/NOSTARTMENU, or a system that names no programs
        // folder there, which then has nowhere to show one).
        const std::string programs =
            !settings.StartMenu ? std::string()
            : settings.ProgramsFolder
                ? *settings.ProgramsFolder
                : AddTrailingBackslash(
                      GetSpecialFolderPath(allUsers ? CSIDL_COMMON_PROGRAMS : CSIDL_PROGRAMS));
        std::string refusal;
        std::vector<RecordedFile> written;
        if (message.empty()) {
            std::vector<std::string> targets;
            for (const auto& item : ItemTable)
                targets.push_back(folder + item.FileName);
            for (const char* name : {kDosBoxConfName, UninstallerFile, InstallRecordFile})
                targets.push_back(folder + name);
            for (const Shortcut& link :
                 {ProductShortcut(folder, desktop),
                  DosBoxShortcut(folder, desktop, DosBoxExePath, DosBoxExeBuild),
                  PrintShortcut(folder, desktop)})
                targets.push_back(link.LinkPath);
            if (!programs.empty()) targets.push_back(programs + StartMenuLinkName());
            refusal = frontEnd.Refusal(targets);
        }

        if (!message.empty()) {
            // Shown once, here, before the main window returns.
            frontEnd.Tell("", LoadErrorList(message));
            message.clear();
            outcome = ExitCode::PayloadDamaged;
        } else if (!refusal.empty()) {
            frontEnd.Tell("", refusal);
            outcome = ExitCode::BadCommandLine;
        } else {
            frontEnd.SetTotalBytes(total);
            // Every file found where one of the product's goes is looked at before anything is
            // written: what is not the product's is moved aside, never written over.
            std::vector<std::string> hashes;
            for (const auto& item : ItemTable) {
                hashes.push_back(Sha256Hex(item.Contents));
                if (const unsigned long error =
                        found.Prepare(item.FileName, item.Contents.size(), hashes.back());
                    error != 0) {
                    message = WriteErrorMessage(folder + item.FileName, tk::SystemErrorMessage(error));
                    outcome = ExitCode::WriteFailed;
                    break;
                }
            }
            // Then the record, marked incomplete until the run's end rewrites it: a run that
            // is stopped from here on (a failure, a kill, a cancel) leaves what tells the next
            // run which files are the product's.
            const std::string recordPath = folder + InstallRecordFile;
            const bool recordWasThere = FileExists(recordPath);
            if (outcome == ExitCode::Success) {
                InstallRecord prepared;
                prepared.folder = folder;
                for (size_t i = 0; i < ItemTable.size(); ++i)
                    prepared.files.push_back({ItemTable[i].FileName, ItemTable[i].Contents.size(),
                                              hashes[i],
                                              found.ExistedBefore(ItemTable[i].FileName)});
                prepared.createdFolders = created;
                prepared.incomplete = true;
                std::string earlierRoot;
                if (const unsigned long error = WriteInstallRecordFile(prepared, earlierRoot);
                    error != 0) {
                    message = WriteErrorMessage(recordPath, tk::SystemErrorMessage(error));
                    outcome = WriteFailureCode(error);
                }
            }
            std::uint32_t done = 0;
            for (size_t i = 0; i < ItemTable.size() && outcome == ExitCode::Success; ++i) {
                const tInstItem& item = ItemTable[i];
                const std::string path = folder + item.FileName;
                frontEnd.SetCurrentFile(path);
                if (const unsigned long error = WriteFileChecked(path, item.Contents);
                    error != 0) {
                    message = WriteErrorMessage(path, tk::SystemErrorMessage(error));
                    outcome = WriteFailureCode(error);
                    break;
                }
                std::uint64_t time = 0;
                SetFileDosDate(path, item.FileDate, &time);
                made.Keep = true;
                written.push_back({item.FileName, item.Contents.size(), hashes[i],
                                   found.ExistedBefore(item.FileName), time});
                done += static_cast<std::uint32_t>(item.Contents.size());
                frontEnd.SetBytesDone(done);
                if (frontEnd.Cancelled()) {
                    outcome = ExitCode::Cancelled;
                    break;
                }
            }
            // Nothing written: a record this run made goes with the folders it made.
            if (written.empty() && !recordWasThere) DeleteFileA(recordPath.c_str());
            if (outcome != ExitCode::WriteFailed && outcome != ExitCode::DiskFull) {
                frontEnd.Finished();
                if (frontEnd.Cancelled()) {
                    message = CancelMessage(static_cast<int>(written.size()), count);
                    outcome = ExitCode::Cancelled;
                }
            }
        }

        if (outcome == ExitCode::Success) {
            InstallFacts facts;
            // The Start menu's entry starts the product as `desktopShortcut` does; empty when
            // it was made (and recorded) or is not wanted, else why not, for the user.
            const auto makeStartMenuEntry = [&](const Shortcut& desktopShortcut) {
                if (programs.empty()) return std::string();
                const Shortcut entry = StartMenuShortcut(desktopShortcut, programs);
                std::string problem = MakeShortcut(entry);
                if (problem.empty()) facts.Shortcuts.push_back(entry.LinkPath);
                return problem;
            };
            facts.Folder = folder;
            facts.AllUsers = allUsers;
            facts.CreatedFolders = created;
            facts.Files = std::move(written);
            if (IsMenuProgramInParent(folder)) {
                message += MenuProgramMessage();
            } else if (settings.Windows64 ? *settings.Windows64 : Is64BitWindows()) {
                // dosbox.conf follows the rule of the product's files: one that is not what
                // this install writes is the user's.
                const std::string confText = BuildDosBoxConf(
                    tk::LoadDeflatedRcData(kDosBoxConfResource), folder + DosProgramFile);
                const unsigned long confError =
                    found.Prepare(kDosBoxConfName, confText.size(), Sha256Hex(confText));
                if (confError != 0) {
                    frontEnd.Tell(ProductName,
                                  WriteErrorMessage(folder + kDosBoxConfName,
                                                    tk::SystemErrorMessage(confError)));
                    outcome = ExitCode::StartupSetupFailed;
                }
                DosBoxSetUpResult setUp =
                    confError == 0 ? SetUpDosBox(folder, desktop) : DosBoxSetUpResult{false, {}};
                // Without the sibling product it made dosbox.conf and the two links.
                const Shortcut dosBoxLink =
                    DosBoxShortcut(folder, desktop, DosBoxExePath, DosBoxExeBuild);
                if (setUp.Made && !FileExists(folder + SiblingProgramFile)) {
                    std::string conf;
                    if (ReadFileBytes(folder + kDosBoxConfName, conf) == 0)
                        facts.Files.push_back({kDosBoxConfName, conf.size(), Sha256Hex(conf),
                                               found.ExistedBefore(kDosBoxConfName),
                                               LastWriteTime(folder + kDosBoxConfName)});
                    facts.Shortcuts = {dosBoxLink.LinkPath,
                                       PrintShortcut(folder, desktop).LinkPath};
                    // An entry that could not be made is told instead of the instructions.
                    if (std::string problem = makeStartMenuEntry(dosBoxLink); !problem.empty())
                        setUp = {false, std::move(problem)};
                }
                if (!setUp.Message.empty()) frontEnd.Tell("", setUp.Message);
                if (!setUp.Made) outcome = ExitCode::StartupSetupFailed;
                message.clear();
            } else if (FileExists(folder + SiblingProgramFile)) {
                message = SiblingInstalledMessage();
            } else {
                const Shortcut link = ProductShortcut(folder, desktop);
                if (frontEnd.Ask(ShortcutQuestion())) {
                    message = MakeShortcut(link);
                    if (!message.empty()) {
                        outcome = ExitCode::StartupSetupFailed;
                    } else {
                        message = DesktopIconMessage();
                        facts.Shortcuts.push_back(link.LinkPath);
                    }
                } else {
                    message = StartFromSiblingMessage();
                }
                // The question is about the desktop: the Start menu gets its entry either way.
                if (outcome == ExitCode::Success)
                    if (std::string problem = makeStartMenuEntry(link); !problem.empty()) {
                        message = std::move(problem);
                        outcome = ExitCode::StartupSetupFailed;
                    }
            }
            if (outcome == ExitCode::Success) {
                const std::string failure = RegisterInstallation(facts);
                if (!failure.empty()) {
                    frontEnd.Tell(ProductName, failure);
                    outcome = ExitCode::StartupSetupFailed;
                }
            }
        }
    }
    // Named before the closing message: the user's own versions, kept beside the new ones.
    if (!found.Kept().empty()) frontEnd.Tell(ProductName, KeptVersionsMessage(found.Kept()));
    if (!message.empty()) frontEnd.Tell(ProductName, message);
    return outcome;
}

ExitCode ExitCodeOfError(const std::exception& error) {
    if (dynamic_cast<const EOutOfMemory*>(&error) || dynamic_cast<const std::bad_alloc*>(&error))
        return ExitCode::OutOfMemory;
    if (dynamic_cast<const EZlibError*>(&error)) return ExitCode::PayloadDamaged;
    if (dynamic_cast<const ELinkedPath*>(&error)) return ExitCode::WriteFailed;
    return ExitCode::UnexpectedError;
}
