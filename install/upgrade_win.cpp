#include "install/upgrade.h"

#include "engine/files.h"
#include "uninstall/entry.h"

std::string InstalledFolder(bool allUsers) {
    bool found = false;
    const std::string location = EntryInstallLocation(allUsers, found);
    return found ? UpgradeFolder(location, FileExists) : std::string();
}
