#include "engine/folder_access.h"

#include <gtest/gtest.h>

namespace {

using namespace access_right;
constexpr Trustee Admin = Trustee::Administrative;
constexpr Trustee Users = Trustee::StandardUser;
constexpr Trustee Someone = Trustee::Other;

constexpr std::uint32_t FullControl = 0x1F01FF;
constexpr std::uint32_t ReadAndRun = 0x1200A9;
constexpr std::uint32_t Modify = 0x1301BF;
constexpr std::uint8_t OICI = kAceToFiles | kAceToFolders;
constexpr std::uint8_t OICIIO = OICI | kAceInheritOnly;

AccessEntry Allow(Trustee who, std::uint32_t mask, std::uint8_t flags = 0) {
    return {0, true, flags, mask, who};
}
AccessEntry Deny(Trustee who, std::uint32_t mask, std::uint8_t flags = 0) {
    return {1, false, flags, mask, who};
}

AccessLook Look(LookedAt what, std::vector<AccessEntry> entries, Trustee owner = Admin) {
    AccessLook look;
    look.what = what;
    look.read = true;
    look.owner = owner;
    look.entries = std::move(entries);
    return look;
}

// Program Files, as Windows sets it up.
const std::vector<AccessEntry> ProgramFiles = {
    Allow(Admin, FullControl, OICI), Allow(Admin, FullControl, OICI),
    Allow(Users, ReadAndRun, OICI), Allow(Trustee::Creator, GenericAll, OICIIO)};
// The root of C: users may make folders in it, and own and change what they make.
const std::vector<AccessEntry> DriveRoot = {
    Allow(Admin, FullControl, OICI), Allow(Users, ReadAndRun, OICI), Allow(Users, AddSubfolder),
    Allow(Users, Modify, OICIIO), Allow(Trustee::Creator, GenericAll, OICIIO)};

} // namespace

TEST(UsersMayChange, OnlyWhatNoUserCanTouchIsClosed) {
    AccessLook unread;
    AccessLook noDacl = Look(LookedAt::InstallFolder, {});
    noDacl.hasDacl = false;
    AccessLook systemFailed = Look(LookedAt::InstallFolder, ProgramFiles);
    systemFailed.system = SystemCheck::Failed;
    AccessLook systemDeletes = Look(LookedAt::InstallFolder, ProgramFiles);
    systemDeletes.system = SystemCheck::Granted;
    systemDeletes.systemGranted = ReadAndRun | Delete;
    AccessLook systemReads = systemDeletes;
    systemReads.systemGranted = ReadAndRun;
    const struct {
        const char* what;
        AccessLook look;
        bool open;
    } cases[] = {
        {"Program Files", Look(LookedAt::InstallFolder, ProgramFiles), false},
        {"an empty DACL", Look(LookedAt::InstallFolder, {}), false},
        {"the root of C: above", Look(LookedAt::Root, DriveRoot), false},
        // A data drive as Windows formats it: users may modify the root and all in it. Only a
        // root cannot be renamed.
        {"the root of D: above", Look(LookedAt::Root, {Allow(Users, Modify, OICI)}), false},
        {"the root of D: changed", Look(LookedAt::Root, {Allow(Users, WriteDac, OICI)}), true},
        {"the root of C: as the install folder", Look(LookedAt::InstallFolder, DriveRoot), true},
        // Made under C: by an administrator: the root's entries, inherited.
        {"inherited Modify", Look(LookedAt::InstallFolder, {Allow(Users, Modify, OICI)}), true},
        {"inherited Modify, above", Look(LookedAt::Parent, {Allow(Users, Modify, OICI)}), true},
        {"owned by a user", Look(LookedAt::InstallFolder, ProgramFiles, Someone), true},
        {"owned by the Users group", Look(LookedAt::Parent, ProgramFiles, Users), true},
        {"a named user may change it",
         Look(LookedAt::InstallFolder, {Allow(Admin, FullControl), Allow(Someone, WriteDac)}),
         true},
        {"a named user may only read it",
         Look(LookedAt::InstallFolder, {Allow(Admin, FullControl), Allow(Someone, ReadAndRun)}),
         false},
        {"users may add files above", Look(LookedAt::Parent, {Allow(Users, AddFile)}), false},
        {"users may delete what is in the folder above",
         Look(LookedAt::Parent, {Allow(Users, DeleteChild)}), true},
        {"users may rename the folder above", Look(LookedAt::Parent, {Allow(Users, Delete)}),
         true},
        {"users may add files", Look(LookedAt::InstallFolder, {Allow(Users, AddFile)}), true},
        {"an entry only for what is made in it",
         Look(LookedAt::InstallFolder, {Allow(Users, FullControl, OICIIO)}), false},
        {"generic write", Look(LookedAt::InstallFolder, {Allow(Users, GenericWrite)}), true},
        {"generic read", Look(LookedAt::InstallFolder, {Allow(Users, GenericRead)}), false},
        // The system weighs entries in order: a denied right stays denied.
        {"denied to Everyone, then allowed to Users",
         Look(LookedAt::InstallFolder, {Deny(Users, FullControl), Allow(Users, FullControl)}),
         false},
        {"allowed to Users, then denied to Everyone",
         Look(LookedAt::InstallFolder, {Allow(Users, FullControl), Deny(Users, FullControl)}),
         true},
        {"denied only in part",
         Look(LookedAt::InstallFolder, {Deny(Users, AddFile), Allow(Users, FullControl)}), true},
        // Some user is not among those the denying entry names.
        {"denied to Everyone, allowed to a named user",
         Look(LookedAt::InstallFolder, {Deny(Users, FullControl), Allow(Someone, FullControl)}),
         true},
        {"a callback entry allowing a group",
         Look(LookedAt::InstallFolder, {{9, true, 0, Delete, Someone}}), true},
        {"a callback entry denying",
         Look(LookedAt::InstallFolder, {{10, false, 0, FullControl, Someone}}), false},
        // On an object an administrator owns, OWNER RIGHTS and CREATOR OWNER are no user.
        {"OWNER RIGHTS",
         Look(LookedAt::InstallFolder, {Allow(Trustee::OwnerRights, FullControl)}), false},
        {"CREATOR OWNER", Look(LookedAt::InstallFolder, {Allow(Trustee::Creator, FullControl)}),
         false},
        {"a file users may read", Look(LookedAt::File, {Allow(Users, ReadAndRun)}), false},
        {"a file users may append to", Look(LookedAt::File, {Allow(Users, AddSubfolder)}), true},
        {"not read", unread, true},
        {"no DACL", noDacl, true},
        {"the system's check failed", systemFailed, true},
        {"the system lets users delete it", systemDeletes, true},
        {"the system lets users read it", systemReads, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(UsersMayChange(c.look), c.open) << c.what;
}

TEST(EntriesForNewFiles, WhatAFileMadeInTheFolderWouldGet) {
    const struct {
        const char* what;
        std::vector<AccessEntry> folder;
        bool open;
    } cases[] = {
        {"Program Files (CREATOR OWNER is the installer)", ProgramFiles, false},
        // C:\Pentaro made by hand: the folder's own entries keep users out of it, but every
        // file made in it would be theirs to change.
        {"made in the root of C:",
         {Allow(Admin, FullControl, OICI), Allow(Users, Modify, kAceToFiles | kAceInheritOnly)},
         true},
        {"generic rights for files", {Allow(Users, GenericWrite, OICIIO)}, true},
        {"for folders only", {Allow(Users, FullControl, kAceToFolders)}, false},
        {"for files, one level", {Allow(Users, Delete, kAceToFiles | 0x4)}, true},
        {"nothing inheritable", {Allow(Users, FullControl)}, false},
    };
    for (const auto& c : cases) {
        AccessLook look = Look(LookedAt::File, EntriesForNewFiles(c.folder));
        EXPECT_EQ(UsersMayChange(look), c.open) << c.what;
        for (const AccessEntry& entry : look.entries)
            EXPECT_EQ(entry.flags, 0) << c.what;
    }
}

TEST(FoldersAbove, FromTheRootDown) {
    using List = std::vector<std::string>;
    EXPECT_EQ(FoldersAbove("c:\\games\\pentaro"), (List{"c:\\", "c:\\games\\"}));
    EXPECT_EQ(FoldersAbove("c:\\games\\pentaro\\"), (List{"c:\\", "c:\\games\\"}));
    EXPECT_EQ(FoldersAbove("c:/a/b/c"), (List{"c:\\", "c:\\a\\", "c:\\a\\b\\"}));
    EXPECT_EQ(FoldersAbove("c:\\tq"), (List{"c:\\"}));
    EXPECT_EQ(FoldersAbove("\\\\server\\share\\tq\\x"),
              (List{"\\\\server\\share\\", "\\\\server\\share\\tq\\"}));
    // A root has nothing above it; nor has a path that names no root.
    EXPECT_EQ(FoldersAbove("c:\\"), List{});
    EXPECT_EQ(FoldersAbove("\\\\server\\share"), List{});
    EXPECT_EQ(FoldersAbove("\\\\server"), List{});
    EXPECT_EQ(FoldersAbove("tq\\x"), List{});
    EXPECT_EQ(FoldersAbove(""), List{});
}
