#include "install/registration.h"

#include "engine/files.h"
#include "uninstall/uninstall_core.h"
#include "uninstall/entry.h"
#include "uninstall/uninstall_record.h"
#include "install/uninstaller_file.h"
#include "resources/product.h"
#include "toolkit/format.h"
#include "toolkit/handles_win.h"
#include "toolkit/win32_error.h"

#include <windows.h>

#include <vector>

namespace {

std::uint64_t FileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return 0;
    return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

} // namespace

std::string RegisterInstallation(const InstallFacts& facts) {
    const std::string uninstaller = facts.Folder + UninstallerFile;
    if (std::string reason = WriteUninstallerFile(uninstaller); !reason.empty())
        return NotRegisteredMessage(uninstaller, reason);

    const std::string record = facts.Folder + InstallRecordFile;
    std::string earlierRoot;
    InstallRecord written;
    written.folder = facts.Folder;
    written.files = facts.Files;
    written.shortcuts = facts.Shortcuts;
    written.createdFolders = facts.CreatedFolders;
    written.entry = RecordedEntry{facts.AllUsers ? "HKLM" : "HKCU", EntryView, UninstallKeyPath()};
    if (unsigned long error = WriteInstallRecordFile(std::move(written), earlierRoot); error != 0)
        return NotRegisteredMessage(record, tk::SystemErrorMessage(error));

    std::uint64_t bytes = FileSize(uninstaller) + FileSize(record);
    for (const RecordedFile& file : facts.Files)
        bytes += file.size;
    SYSTEMTIME today;
    GetLocalTime(&today);
    const std::uint32_t date = today.wYear * 10000u + today.wMonth * 100u + today.wDay;
    const std::string root = facts.AllUsers ? "HKEY_LOCAL_MACHINE\\" : "HKEY_CURRENT_USER\\";
    if (unsigned long error =
            WriteUninstallEntry(facts.AllUsers, UninstallEntryValues(facts.Folder, bytes, date));
        error != 0)
        return NotRegisteredMessage(root + UninstallKeyPath(), tk::SystemErrorMessage(error));
    // Installed here before for the other scope (per user, now for all, or the other way):
    // that entry goes when it names this folder, so that only one does.
    const bool earlierAllUsers = earlierRoot == "HKLM";
    bool found = false;
    if (!earlierRoot.empty() && earlierAllUsers != facts.AllUsers &&
        SameName(EntryInstallLocation(earlierAllUsers, found), facts.Folder))
        DeleteUninstallEntry(earlierAllUsers);
    return {};
}
