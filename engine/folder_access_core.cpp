#include "engine/folder_access.h"

#include "engine/files.h"

std::uint32_t FileRights(std::uint32_t mask) {
    using namespace access_right;
    // FILE_GENERIC_READ, FILE_GENERIC_WRITE, FILE_GENERIC_EXECUTE, FILE_ALL_ACCESS.
    std::uint32_t rights = mask & ~(GenericAll | GenericExecute | GenericWrite | GenericRead);
    if (mask & GenericRead) rights |= 0x120089;
    if (mask & GenericWrite) rights |= 0x120116;
    if (mask & GenericExecute) rights |= 0x1200A0;
    if (mask & GenericAll) rights |= 0x1F01FF;
    return rights;
}

std::uint32_t ChangingRights(LookedAt what) {
    using namespace access_right;
    const std::uint32_t access = Delete | WriteDac | WriteOwner;
    switch (what) {
    case LookedAt::InstallFolder:
        return access | AddFile | AddSubfolder | DeleteChild;
    case LookedAt::Parent:
        return access | DeleteChild;
    case LookedAt::Root:
        return WriteDac | WriteOwner | DeleteChild;
    case LookedAt::File:
        break;
    }
    return access | AddFile | AddSubfolder;
}

std::uint32_t UsersRightsByEntries(const std::vector<AccessEntry>& entries) {
    std::uint32_t granted = 0, denied = 0, others = 0;
    for (const AccessEntry& entry : entries) {
        if (entry.flags & kAceInheritOnly) continue;
        const std::uint32_t rights = FileRights(entry.mask);
        if (entry.type > 1) {
            // Object, callback and conditional entries: what they allow may reach a user.
            if (entry.allowing && entry.trustee != Trustee::Administrative) others |= rights;
            continue;
        }
        const bool allows = entry.type == 0;
        if (entry.trustee == Trustee::StandardUser) {
            if (allows)
                granted |= rights & ~denied;
            else
                denied |= rights & ~granted;
        } else if (entry.trustee == Trustee::Other && allows) {
            // Some user has it, whatever a denying entry for the standard groups says.
            others |= rights;
        }
        // The administrators' entries, and CREATOR OWNER and OWNER RIGHTS on an object whose
        // owner is an administrator, give no user anything.
    }
    return granted | others;
}

std::vector<AccessEntry> EntriesForNewFiles(const std::vector<AccessEntry>& entries) {
    std::vector<AccessEntry> inherited;
    for (const AccessEntry& entry : entries) {
        if (!(entry.flags & kAceToFiles)) continue;
        AccessEntry own = entry;
        own.flags = 0;
        own.mask = FileRights(entry.mask);
        if (own.trustee == Trustee::Creator) own.trustee = Trustee::Administrative;
        inherited.push_back(own);
    }
    return inherited;
}

bool UsersMayChange(const AccessLook& look) {
    if (!look.read || look.owner != Trustee::Administrative || !look.hasDacl) return true;
    const std::uint32_t changing = ChangingRights(look.what);
    if (UsersRightsByEntries(look.entries) & changing) return true;
    switch (look.system) {
    case SystemCheck::Failed:
        return true;
    case SystemCheck::Granted:
        return (look.systemGranted & changing) != 0;
    case SystemCheck::Unavailable:
        break;
    }
    return false;
}

std::vector<std::string> FoldersAbove(const std::string& folder) {
    const std::string path = AddTrailingBackslash(WithBackslashes(folder));
    std::string::size_type rootEnd = std::string::npos;
    if (path.rfind("\\\\", 0) == 0) {
        // \\server\share\: the share is the root.
        const std::string::size_type server = path.find('\\', 2);
        if (server != std::string::npos) rootEnd = path.find('\\', server + 1);
    } else if (path.size() >= 3 && path[1] == ':' && path[2] == '\\') {
        rootEnd = 2;
    }
    std::vector<std::string> above;
    if (rootEnd == std::string::npos) return above;
    for (std::string::size_type end = rootEnd; end + 1 < path.size();
         end = path.find('\\', end + 1))
        above.push_back(path.substr(0, end + 1));
    return above;
}
