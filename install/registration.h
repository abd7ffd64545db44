#pragma once
// What a finished install leaves for managing the product (through uninstall/): the
// uninstaller (the installer's own program without its payload, install/uninstaller_file.h)
// and the record of what the run made, in the install folder, and the product's Apps &
// Features entry. The folder rules and texts are portable; registration_win.cpp puts them in
// place.
#include "uninstall/uninstall_core.h"

#include <cstdint>
#include <string>
#include <vector>

// The folders that creating `folder` (a drive-letter path) would make: every one of it and
// its parents below the drive root for which `exists` says no, outermost first, each
// ending in a backslash.
std::vector<std::string> MissingFolders(const std::string& folder,
                                        bool (*exists)(const std::string&));

// What the user is told when /ALLUSERS is given without administrator rights.
std::string AllUsersRefusedMessage();
// What the user is told when the uninstaller, the record or the entry could not be made:
// the product is installed, but not registered for removal.
std::string NotRegisteredMessage(const std::string& what, const std::string& reason);

// --- Win32 build only ---

// The facts the registration needs from the run.
struct InstallFacts {
    std::string Folder; // the install folder, ending in a backslash
    bool AllUsers = false;
    // The files the run wrote into the folder: names, sizes and hashes of the bytes written,
    // and whether each was there before the install.
    std::vector<RecordedFile> Files;
    std::vector<std::string> Shortcuts;      // full paths of the links made
    std::vector<std::string> CreatedFolders; // folders the run made, outermost first
};

// Writes the uninstaller into the folder, writes the record (a temporary file, then a
// rename) and writes the entry. Returns an empty text when all is made, else the message
// that says what was not (NotRegisteredMessage).
std::string RegisterInstallation(const InstallFacts& facts);
