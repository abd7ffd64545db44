#pragma once
// Whether a user who is no administrator may change what the system account will run from a
// folder: the rule over a folder's owner and access entries (portable), and where it meets the
// system's own access check (folder_access_win.cpp). An install for all users is removed by the
// system account, which runs the uninstaller from the install folder: whoever may change that
// folder, what is in it, what is made in it, or a folder above it (to put another folder in
// its place), may run their own program as SYSTEM.
#include <cstdint>
#include <string>
#include <vector>

// The rights of a file or folder that the rule weighs, as Windows numbers them.
namespace access_right {
constexpr std::uint32_t AddFile = 0x2;      // a folder's; a file's "write data"
constexpr std::uint32_t AddSubfolder = 0x4; // a folder's; a file's "append data"
constexpr std::uint32_t DeleteChild = 0x40;
constexpr std::uint32_t Delete = 0x10000;
constexpr std::uint32_t WriteDac = 0x40000;
constexpr std::uint32_t WriteOwner = 0x80000;
constexpr std::uint32_t GenericAll = 0x10000000;
constexpr std::uint32_t GenericExecute = 0x20000000;
constexpr std::uint32_t GenericWrite = 0x40000000;
constexpr std::uint32_t GenericRead = 0x80000000;
} // namespace access_right

// `mask` with its generic rights turned into the file rights they stand for, as the system
// does when an entry is inherited by a file.
std::uint32_t FileRights(std::uint32_t mask);

// Who an access entry or an owner names.
enum class Trustee {
    Administrative, // SYSTEM, Administrators, TrustedInstaller, the administrator installing
    StandardUser,   // a group every user is in: Everyone, Users, Authenticated Users,
                    // Interactive, Local
    Creator,        // CREATOR OWNER or CREATOR GROUP: whoever creates (for what the install
                    // makes: the administrator installing)
    OwnerRights,    // OWNER RIGHTS: the owner
    Other,          // anyone else: a named user, a domain group, a service
};

// One entry of a folder's or file's DACL, as the system stores it.
struct AccessEntry {
    // The ACE type: 0 allows, 1 denies; any other (object, callback, conditional entries) is
    // read by its name: a type that allows counts as allowing its rights to anyone.
    std::uint8_t type = 0;
    bool allowing = true; // for types other than 0 and 1: whether the type allows
    std::uint8_t flags = 0; // inheritance: 1 to files, 2 to folders, 4 one level, 8 only to them
    std::uint32_t mask = 0;
    Trustee trustee = Trustee::Other;
};
inline constexpr std::uint8_t kAceToFiles = 0x1;
inline constexpr std::uint8_t kAceToFolders = 0x2;
inline constexpr std::uint8_t kAceInheritOnly = 0x8;

// What is looked at, which decides the rights that count as changing it.
enum class LookedAt {
    InstallFolder, // the folder itself: adding, deleting or renaming what is in it, deleting or
                   // renaming it, changing its access
    Parent,        // a folder above it: renaming or deleting what is in it (the install folder
                   // or the folder on its way), renaming it, changing its access. Making new
                   // folders in it is allowed (every user may make folders at the root of C:).
    Root,          // the root above it, as Parent; a root cannot be renamed (users may "delete"
                   // the root of a data drive, which Windows formats so)
    File,          // a file in the folder, or what a new one would get: writing it, deleting
                   // it, changing its access
};

// The system's own access check for a user with only the standard user's groups.
enum class SystemCheck {
    Granted,     // it answered: `systemGranted` holds the rights
    Failed,      // it failed: the rule cannot know, and the answer is yes
    Unavailable, // this system has no such check (its functions are not implemented): the
                 // entries alone decide
};

// One object looked at: its owner, its DACL and the system's answer.
struct AccessLook {
    LookedAt what = LookedAt::InstallFolder;
    bool read = false;       // owner and DACL were read
    Trustee owner = Trustee::Other;
    bool hasDacl = true;     // no DACL at all gives everyone every right
    std::vector<AccessEntry> entries;
    SystemCheck system = SystemCheck::Unavailable;
    std::uint32_t systemGranted = 0;
};

// The rights that change the object looked at (see LookedAt).
std::uint32_t ChangingRights(LookedAt what);

// The rights users have by the entries that apply to the object itself (inherit-only entries
// do not): for the standard user's groups as the system weighs entries in their order (a
// denied right stays denied), plus every right any entry allows to another trustee (a named
// user, a group some users are in) or allows by a type the rule does not read.
std::uint32_t UsersRightsByEntries(const std::vector<AccessEntry>& entries);

// The entries a new file made in a folder with `entries` would get: those inherited by files,
// as the file's own, their generic rights mapped; CREATOR OWNER becomes whoever makes it (the
// administrator installing).
std::vector<AccessEntry> EntriesForNewFiles(const std::vector<AccessEntry>& entries);

// The rule: true unless everything read shows that no user who is no administrator may change
// the object. An error (not read, the system's check failed) is a yes; so is an owner who is no
// administrator (an owner may always change the access) and a missing DACL.
bool UsersMayChange(const AccessLook& look);

// The folders above `folder` (rooted: "c:\..." or "\\server\share\..."), from the root down,
// each ending in a backslash: "c:\a\b" gives "c:\", "c:\a\". The root of a network path is
// its share. Empty for a root or a folder that is not rooted.
std::vector<std::string> FoldersAbove(const std::string& folder);

// --- Win32 build only ---

// For an install for all users into `folder` (rooted; it exists or is about to be made):
// the first place, from the root down, that a user who is no administrator may change: a
// folder above it that exists (UsersMayChange as a Root or Parent), then, where `folder` exists, the
// folder itself, what a file made in it would get and each file and folder in it. Each
// owner and DACL is read through a handle opened on the name itself (links not followed) and
// put to the system's access check (AuthzAccessCheck) for a user with the standard user's
// groups, and to UsersMayChange. Empty when there is none.
std::string PlaceOpenToUsers(const std::string& folder);
