#pragma once
// The product's Apps & Features entry: its values (portable) and the registry (Win32 build
// only). The entry is written, read and deleted in the 32-bit view of the registry, per user
// (HKCU) or for all users (HKLM).
#include <cstdint>
#include <string>
#include <vector>

// "Pentaro 3.24" (the entry's DisplayName, and the uninstaller's word for the product).
std::string ProductTitle();

// One value of the entry: a string, or a number (REG_DWORD) when `IsNumber`.
struct EntryValue {
    const char* Name;
    std::string Text;
    bool IsNumber = false;
    std::uint32_t Number = 0;
};

// The entry's values for a product installed into `folder` (ending in a backslash):
// DisplayName "Pentaro 3.24", DisplayVersion, Publisher, InstallLocation, DisplayIcon (the
// installed icon), UninstallString and QuietUninstallString (the quoted uninstaller, the
// second with /S), EstimatedSize (`bytes` in KB, rounded up), InstallDate ("yyyymmdd" of
// `date`, a number yyyymmdd), NoModify and NoRepair 1.
std::vector<EntryValue> UninstallEntryValues(const std::string& folder, std::uint64_t bytes,
                                             std::uint32_t date);

// --- Win32 build only ---

// The product's entry (UninstallKeyPath) under HKLM for all users, else HKCU; read and
// written in the 32-bit view of the registry whatever the system's bitness (the record
// names it "32"; see entry_win.cpp).
inline constexpr char EntryView[] = "32";
// Writes `values` into the entry (created, or refreshed when it exists); 0 or the system's
// error code.
unsigned long WriteUninstallEntry(bool allUsers, const std::vector<EntryValue>& values);
// The entry's InstallLocation; `found` false when there is no entry (or no such value).
std::string EntryInstallLocation(bool allUsers, bool& found);
// 0 when the entry, with every key below it, may be deleted by this process now (or is not
// there), else the system's error code (ERROR_ACCESS_DENIED where this user may not delete
// it). Changes nothing.
unsigned long CheckUninstallEntryDeletable(bool allUsers);
// Removes the entry with every key below it; 0, also when it was not there, or the system's
// error code.
unsigned long DeleteUninstallEntry(bool allUsers);
