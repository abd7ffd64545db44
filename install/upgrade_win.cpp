#include "install/upgrade.h"

#include "engine/files.h"
#include "uninstall/entry.h"
#include "uninstall/uninstall_record.h"

namespace {

// Only a record that reads and names its own folder: a cut record, or a file of that name
// that is someone else's, sends no install into a folder of the user's.
bool UsableRecord(const std::string& recordPath) {
    InstallRecord record;
    return ReadEarlierRecord(ParentPart(recordPath), record);
}

} // namespace

std::string InstalledFolder(bool allUsers) {
    bool found = false;
    const std::string location = EntryInstallLocation(allUsers, found);
    return found ? UpgradeFolder(location, UsableRecord) : std::string();
}
