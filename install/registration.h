#pragma once
// What a finished install leaves for managing the product: the uninstaller (the installer's
// own program without its payload, install/uninstaller_file.h) and the record of what the
// run made, in the install folder, and the
// product's Apps & Features entry. The entry's values and the folder rules are portable;
// the registry, the uninstaller and the accounts are asked in registration_win.cpp.
#include "install/uninstall_core.h"

#include <cstdint>
#include <string>
#include <vector>

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

// The folders that creating `folder` (a drive-letter path) would make: every one of it and
// its parents below the drive root for which `exists` says no, outermost first, each
// ending in a backslash.
std::vector<std::string> MissingFolders(const std::string& folder,
                                        bool (*exists)(const std::string&));

// "Pentaro 3.24" (the entry's DisplayName, and the uninstaller's word for the product).
std::string ProductTitle();

// What the user is told when /ALLUSERS is given without administrator rights.
std::string AllUsersRefusedMessage();
// What the user is told when the uninstaller, the record or the entry could not be made:
// the product is installed, but not registered for removal.
std::string NotRegisteredMessage(const std::string& what, const std::string& reason);

// --- Win32 build only ---

// True when this program runs as the SYSTEM account (a deployment service).
bool RunsAsSystemAccount();
// The full path of this program's file (empty when longer than MAX_PATH).
std::string OwnProgramPath();
// True when this program may write what every user shares (an elevated administrator, or
// the SYSTEM account).
bool HasAdministratorRights();

// The product's entry (UninstallKeyPath) under HKLM for all users, else HKCU; read and
// written in the 32-bit view of the registry whatever the system's bitness (the record
// names it "32"; see registration_win.cpp).
inline constexpr char EntryView[] = "32";
// Writes `values` into the entry (created, or refreshed when it exists); 0 or the system's
// error code.
unsigned long WriteUninstallEntry(bool allUsers, const std::vector<EntryValue>& values);
// The entry's InstallLocation; `found` false when there is no entry (or no such value).
std::string EntryInstallLocation(bool allUsers, bool& found);
// Removes the entry; 0, also when it was not there, or the system's error code.
unsigned long DeleteUninstallEntry(bool allUsers);

// The facts the registration needs from the run.
struct InstallFacts {
    std::string Folder; // the install folder, ending in a backslash
    bool AllUsers = false;
    // The files the run wrote into the folder: names, sizes and hashes of the bytes written.
    std::vector<RecordedFile> Files;
    std::string Desktop;                     // where the run puts shortcuts, ending in a backslash
    std::vector<std::string> Shortcuts;      // full paths of the links made
    std::vector<std::string> CreatedFolders; // folders the run made, outermost first
};

// Writes the uninstaller into the folder, writes the record (a temporary file, then a
// rename) and writes the entry. Returns an empty text when all is made, else the message
// that says what was not (NotRegisteredMessage).
std::string RegisterInstallation(const InstallFacts& facts);
