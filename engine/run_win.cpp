#include "engine/ucargo.h"

#include "dosbox/shortcuts.h"
#include "toolkit/win32_error.h"
#include "ui/dialogs.h"
#include "ui/fmiProgress.h"

#include <shlobj.h>
#include <windows.h>

#include <memory>
#include <vector>

bool Is64BitWindows() {
    // IsWow64Process exists from Windows XP SP2 on; looked up so that older systems
    // simply count as 32-bit.
    using IsWow64ProcessProc = BOOL(WINAPI*)(HANDLE, PBOOL);
    FARPROC address = GetProcAddress(GetModuleHandleA("kernel32"), "IsWow64Process");
    auto isWow64Process = reinterpret_cast<IsWow64ProcessProc>(reinterpret_cast<void*>(address));
    if (isWow64Process == nullptr) return false;
    BOOL wow64 = FALSE;
    if (!isWow64Process(GetCurrentProcess(), &wow64)) throw tk::Exception("Bad process handle");
    return wow64 != FALSE;
}

bool IsMenuProgramInParent(const std::string& folder) {
    std::string parent = MenuProgramParent(folder);
    return !parent.empty() && FileExists(parent + MenuProgramFile);
}

bool RunInstallation(const std::string& folder) {
    return RunInstallationOf(folder, PayloadCatalogue);
}

bool RunInstallationOf(const std::string& folderText, const std::string& catalogue) {
    std::string message;
    std::string folder = AddTrailingBackslash(folderText);
    if (!EnsureFolder(folder)) {
        // Every write would fail: say so instead of running to a false success.
        DWORD error = GetLastError();
        std::string reason = error != 0 ? tk::SystemErrorMessage(error) : std::string();
        ShowInfoCaption(ProductName, FolderErrorMessage(folder, reason));
        return false;
    }
    folder = AddTrailingBackslash(folder);

    bool result = false;
    bool cancelled = false;
    {
        // The window and the items live exactly for this block, whatever leaves it.
        auto progress = std::make_unique<TInstProgressForm>();
        progress->SetProgramName(ProductName);
        progress->SetStage("Installing ...");
        progress->Show();

        int count = CatalogueCount(catalogue);
        std::vector<tInstItem> ItemTable(static_cast<size_t>(count));
        std::string names = catalogue;
        std::uint32_t total = 0;
        for (auto& item : ItemTable) {
            std::string name = SplitNextToken(names, ",");
            LoadPayloadItem(name, item);
            if (item.Contents.empty())
                message += LoadErrorLine(name, item.FileName);
            else
                total += static_cast<std::uint32_t>(item.Contents.size());
        }

        if (!message.empty()) {
            // Shown once, here, before the main window returns.
            ShowInfo(LoadErrorList(message));
            message.clear();
        } else {
            result = true;
            bool writeFailed = false;
            progress->SetTotalBytes(total);
            std::uint32_t done = 0;
            int written = 0;
            for (const auto& item : ItemTable) {
                std::string path = folder + item.FileName;
                progress->SetCurrentFile(path);
                if (unsigned long error = WriteFileChecked(path, item.Contents); error != 0) {
                    message = WriteErrorMessage(path, tk::SystemErrorMessage(error));
                    result = false;
                    writeFailed = true;
                    break;
                }
                SetFileDosDate(path, item.FileDate);
                ++written;
                done += static_cast<std::uint32_t>(item.Contents.size());
                progress->SetBytesDone(done);
                if (progress->Cancelled) {
                    result = false;
                    break;
                }
            }
            if (!writeFailed) {
                progress->ShowSuccess();
                cancelled = progress->Cancelled;
                if (cancelled) message = CancelMessage(written, count);
            }
        }

        if (result) {
            std::string desktop = AddTrailingBackslash(GetSpecialFolderPath(CSIDL_DESKTOP));
            if (IsMenuProgramInParent(folder)) {
                message += MenuProgramMessage();
            } else if (Is64BitWindows()) {
                SetUpDosBox(folder, desktop);
                message.clear();
            } else if (FileExists(folder + SiblingProgramFile)) {
                message = SiblingInstalledMessage();
            } else {
                if (AskDialog(ShortcutQuestion(), dtWarning, dbYes | dbNo, 0) == drYes) {
                    CreateShellLink(desktop + DesktopShortcutFile, folder + ProductProgramFile, "",
                                    ProductName, folder + ProductIconFile, 0, 0);
                    message = DesktopIconMessage();
                } else {
                    message = StartFromSiblingMessage();
                }
            }
        }
    }
    if (!message.empty()) ShowInfoCaption(ProductName, message);
    return result;
}
