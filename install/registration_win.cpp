#include "install/registration.h"

#include "engine/files.h"
#include "install/uninstall_core.h"
#include "install/uninstall_record.h"
#include "install/uninstaller_file.h"
#include "resources/product.h"
#include "toolkit/account_win.h"
#include "toolkit/format.h"
#include "toolkit/handles_win.h"
#include "toolkit/win32_error.h"

#include <windows.h>

#include <vector>

// The entry lives in the 32-bit view of the registry (KEY_WOW64_32KEY) on every system, and
// is read, refreshed and removed there: that is where a 32-bit program's HKLM\Software
// lands by default on a 64-bit Windows (WOW6432Node), and where every earlier and later
// version of this 32-bit installer will look for it. Apps & Features, winget and Wine's
// uninstaller list both views. Under HKCU the flag changes nothing (HKCU\Software is one
// view since Windows 7); it is given anyway so that one rule holds for both roots.
namespace {

constexpr REGSAM RegistryView = KEY_WOW64_32KEY;

HKEY EntryRoot(bool allUsers) {
    return allUsers ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

} // namespace

unsigned long WriteUninstallEntry(bool allUsers, const std::vector<EntryValue>& values) {
    tk::RegistryKey entry;
    LONG error = RegCreateKeyExA(EntryRoot(allUsers), UninstallKeyPath().c_str(), 0, nullptr, 0,
                                 KEY_SET_VALUE | KEY_QUERY_VALUE | RegistryView, nullptr,
                                 entry.Receive(), nullptr);
    if (error != ERROR_SUCCESS) return static_cast<unsigned long>(error);
    for (const EntryValue& value : values) {
        const DWORD number = value.Number;
        error = value.IsNumber
                    ? RegSetValueExA(entry.Get(), value.Name, 0, REG_DWORD,
                                     reinterpret_cast<const BYTE*>(&number), sizeof number)
                    : RegSetValueExA(entry.Get(), value.Name, 0, REG_SZ,
                                     reinterpret_cast<const BYTE*>(value.Text.c_str()),
                                     static_cast<DWORD>(value.Text.size() + 1));
        if (error != ERROR_SUCCESS) return static_cast<unsigned long>(error);
    }
    return 0;
}

std::string EntryInstallLocation(bool allUsers, bool& found) {
    found = false;
    tk::RegistryKey entry;
    if (RegOpenKeyExA(EntryRoot(allUsers), UninstallKeyPath().c_str(), 0,
                      KEY_QUERY_VALUE | RegistryView, entry.Receive()) != ERROR_SUCCESS)
        return {};
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExA(entry.Get(), "InstallLocation", nullptr, &type, nullptr, &size) !=
            ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return {};
    std::string text(size, '\0');
    if (RegQueryValueExA(entry.Get(), "InstallLocation", nullptr, &type,
                         reinterpret_cast<BYTE*>(text.data()), &size) != ERROR_SUCCESS)
        return {};
    text.resize(size);
    TrimAtFirstNul(text);
    found = true;
    return text;
}

unsigned long DeleteUninstallEntry(bool allUsers) {
    const std::string path = UninstallKeyPath();
    const std::string::size_type slash = path.rfind('\\');
    tk::RegistryKey parent;
    LONG error = RegOpenKeyExA(EntryRoot(allUsers), path.substr(0, slash).c_str(), 0,
                               DELETE | KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE | RegistryView,
                               parent.Receive());
    if (error == ERROR_FILE_NOT_FOUND) return 0;
    if (error != ERROR_SUCCESS) return static_cast<unsigned long>(error);
    // Relative to a key opened in the chosen view, the delete stays in that view.
    error = RegDeleteKeyA(parent.Get(), path.substr(slash + 1).c_str());
    return error == ERROR_FILE_NOT_FOUND ? 0 : static_cast<unsigned long>(error);
}

namespace {

// True when the calling thread's token holds the well-known group or user made from these
// sub-authorities of the NT authority.
bool TokenIs(bool asUser, DWORD first, DWORD second, BYTE count) {
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    PSID sid = nullptr;
    if (!AllocateAndInitializeSid(&nt, count, first, second, 0, 0, 0, 0, 0, 0, &sid)) return false;
    BOOL result = FALSE;
    if (asUser) {
        std::vector<unsigned char> user = tk::ProcessUserSid();
        result = !user.empty() && EqualSid(user.data(), sid);
    } else if (!CheckTokenMembership(nullptr, sid, &result)) {
        result = FALSE;
    }
    FreeSid(sid);
    return result != FALSE;
}

} // namespace

bool RunsAsSystemAccount() {
    return TokenIs(true, SECURITY_LOCAL_SYSTEM_RID, 0, 1);
}

std::string OwnProgramPath() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::string(path, length) : std::string();
}

bool HasAdministratorRights() {
    // Membership counts only where the group is enabled in the token: under UAC an
    // administrator's unelevated token holds it for denying only.
    return TokenIs(false, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 2);
}

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
    if (unsigned long error = WriteInstallRecordFile(facts, earlierRoot); error != 0)
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
        tk::AsciiLower(EntryInstallLocation(earlierAllUsers, found)) ==
            tk::AsciiLower(facts.Folder))
        DeleteUninstallEntry(earlierAllUsers);
    return {};
}
