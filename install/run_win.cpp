#include "install/run.h"

#include "dosbox/conf_core.h"
#include "dosbox/shortcuts.h"
#include "engine/sha256.h"
#include "engine/ucargo.h"
#include "install/registration.h"
#include "install/run_core.h"
#include "toolkit/win32_error.h"

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
    std::string folder = AddTrailingBackslash(folderText);
    // The folders the run makes, which the uninstaller may remove again once empty.
    const std::vector<std::string> created = MissingFolders(folder, DirectoryExists);
    // EnsureFolder refuses empty text without asking the system: no earlier error may
    // then pass for the reason.
    SetLastError(ERROR_SUCCESS);
    if (!EnsureFolder(folder)) {
        // Every write would fail: say so instead of running to a false success.
        const DWORD error = GetLastError();
        const std::string reason = error != 0 ? tk::SystemErrorMessage(error) : std::string();
        frontEnd.Tell(ProductName, FolderErrorMessage(folder, reason));
        return ExitCode::FolderNotCreated;
    }
    folder = AddTrailingBackslash(folder);

    ExitCode outcome = ExitCode::Success;
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

        if (!message.empty()) {
            // Shown once, here, before the main window returns.
            frontEnd.Tell("", LoadErrorList(message));
            message.clear();
            outcome = ExitCode::PayloadDamaged;
        } else {
            frontEnd.SetTotalBytes(total);
            std::uint32_t done = 0;
            int written = 0;
            for (const auto& item : ItemTable) {
                const std::string path = folder + item.FileName;
                frontEnd.SetCurrentFile(path);
                if (unsigned long error = WriteFileChecked(path, item.Contents); error != 0) {
                    message = WriteErrorMessage(path, tk::SystemErrorMessage(error));
                    outcome = ExitCode::WriteFailed;
                    break;
                }
                SetFileDosDate(path, item.FileDate);
                ++written;
                done += static_cast<std::uint32_t>(item.Contents.size());
                frontEnd.SetBytesDone(done);
                if (frontEnd.Cancelled()) {
                    outcome = ExitCode::Cancelled;
                    break;
                }
            }
            if (outcome != ExitCode::WriteFailed) {
                frontEnd.Finished();
                if (frontEnd.Cancelled()) {
                    message = CancelMessage(written, count);
                    outcome = ExitCode::Cancelled;
                }
            }
        }

        if (outcome == ExitCode::Success) {
            const bool allUsers = settings.AllUsers ? *settings.AllUsers : RunsAsSystemAccount();
            const std::string desktop =
                settings.DesktopFolder
                    ? *settings.DesktopFolder
                    : AddTrailingBackslash(GetSpecialFolderPath(
                          allUsers ? CSIDL_COMMON_DESKTOPDIRECTORY : CSIDL_DESKTOP));
            InstallFacts made;
            made.Folder = folder;
            made.AllUsers = allUsers;
            made.CreatedFolders = created;
            made.Desktop = desktop;
            for (const auto& item : ItemTable)
                made.Files.push_back(
                    {item.FileName, item.Contents.size(), Sha256Hex(item.Contents)});
            if (IsMenuProgramInParent(folder)) {
                message += MenuProgramMessage();
            } else if (settings.Windows64 ? *settings.Windows64 : Is64BitWindows()) {
                const DosBoxSetUpResult setUp = SetUpDosBox(folder, desktop);
                if (!setUp.Message.empty()) frontEnd.Tell("", setUp.Message);
                if (!setUp.Made) outcome = ExitCode::StartupSetupFailed;
                message.clear();
                // Without the sibling product it made dosbox.conf and the two links.
                if (setUp.Made && !FileExists(folder + SiblingProgramFile)) {
                    std::string conf;
                    if (ReadFileBytes(folder + kDosBoxConfName, conf) == 0)
                        made.Files.push_back({kDosBoxConfName, conf.size(), Sha256Hex(conf)});
                    made.Shortcuts = {DosBoxShortcut(folder, desktop, DosBoxExePath).LinkPath,
                                      PrintShortcut(folder, desktop).LinkPath};
                }
            } else if (FileExists(folder + SiblingProgramFile)) {
                message = SiblingInstalledMessage();
            } else if (frontEnd.Ask(ShortcutQuestion())) {
                const Shortcut link = ProductShortcut(folder, desktop);
                if (unsigned long error = CreateShellLink(link); error != 0) {
                    message = ShortcutNotMadeMessage(link.LinkPath, ShellLinkErrorText(error));
                    outcome = ExitCode::StartupSetupFailed;
                } else {
                    message = DesktopIconMessage();
                    made.Shortcuts.push_back(link.LinkPath);
                }
            } else {
                message = StartFromSiblingMessage();
            }
            if (outcome == ExitCode::Success) {
                const std::string failure = RegisterInstallation(made);
                if (!failure.empty()) {
                    frontEnd.Tell(ProductName, failure);
                    outcome = ExitCode::StartupSetupFailed;
                }
            }
        }
    }
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
