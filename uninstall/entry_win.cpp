#include "uninstall/entry.h"

#include "engine/files.h"
#include "toolkit/handles_win.h"
#include "uninstall/uninstall_core.h"

#include <windows.h>

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

// Deeper than any key a program writes under an entry; a deeper tree is not walked.
constexpr int kDeepestSubkey = 32;

// Walks the key `name` under `parent` and every key below it, deepest first: each is opened
// with the right to delete it, and deleted when `deleting`. A key with subkeys cannot be
// deleted by itself, so the check and the deletion cover the whole tree. Relative to a key
// opened in the chosen view, every step stays in that view. 0 or the system's error code.
LONG WalkKeyTree(HKEY parent, const std::string& name, bool deleting, int depth = 0) {
    if (depth > kDeepestSubkey) return ERROR_ACCESS_DENIED;
    tk::RegistryKey key;
    LONG error = RegOpenKeyExA(parent, name.c_str(), 0,
                               DELETE | KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE | RegistryView,
                               key.Receive());
    if (error != ERROR_SUCCESS) return error;
    for (DWORD index = 0;;) {
        char subkey[256];
        DWORD length = sizeof subkey;
        error = RegEnumKeyExA(key.Get(), deleting ? 0 : index, subkey, &length, nullptr, nullptr,
                              nullptr, nullptr);
        if (error == ERROR_NO_MORE_ITEMS) break;
        if (error != ERROR_SUCCESS) return error;
        error = WalkKeyTree(key.Get(), subkey, deleting, depth + 1);
        if (error != ERROR_SUCCESS) return error;
        ++index;
    }
    return deleting ? RegDeleteKeyA(parent, name.c_str()) : ERROR_SUCCESS;
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

unsigned long CheckUninstallEntryDeletable(bool allUsers) {
    const std::string path = UninstallKeyPath();
    const std::string::size_type slash = path.rfind('\\');
    tk::RegistryKey parent;
    LONG error = RegOpenKeyExA(EntryRoot(allUsers), path.substr(0, slash).c_str(), 0,
                               KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE | RegistryView,
                               parent.Receive());
    if (error == ERROR_SUCCESS) error = WalkKeyTree(parent.Get(), path.substr(slash + 1), false);
    return error == ERROR_FILE_NOT_FOUND ? 0 : static_cast<unsigned long>(error);
}

unsigned long DeleteUninstallEntry(bool allUsers) {
    const std::string path = UninstallKeyPath();
    const std::string::size_type slash = path.rfind('\\');
    tk::RegistryKey parent;
    LONG error = RegOpenKeyExA(EntryRoot(allUsers), path.substr(0, slash).c_str(), 0,
                               DELETE | KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE | RegistryView,
                               parent.Receive());
    if (error == ERROR_SUCCESS) error = WalkKeyTree(parent.Get(), path.substr(slash + 1), true);
    return error == ERROR_FILE_NOT_FOUND ? 0 : static_cast<unsigned long>(error);
}
