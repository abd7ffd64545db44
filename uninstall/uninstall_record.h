#pragma once
// The record of what an install made and the removal plan (uninstall/uninstall_core.h) meet
// the system here: the record file written whole into the install folder, what an install
// finds of its files before it writes them, and what is on disk now (hashes, links,
// shortcut targets, the folders' listings, the entry) gathered for the plan.
#include "uninstall/uninstall_core.h"

#include "toolkit/handles_win.h"

#include <memory>
#include <string>
#include <vector>

// The folders shortcuts go to, as they are now: the user's and the public desktop, the user's
// and all users' programs in the Start menu; each ending in a backslash, those the system
// cannot name left out.
std::vector<std::string> ShortcutFolders();

// The record of an earlier install in `folder` (ending in a backslash), when there is one
// that can be used: ours, whole, no longer than any install writes (a longer file is not
// read), and naming that folder.
bool ReadEarlierRecord(const std::string& folder, InstallRecord& record);

// The name of a file in `folder` that belongs to another program, where an install would
// write its uninstaller or its record: an uninstall.exe that is not this installer's
// uninstaller, an uninstall.rec that is no record of this installer. Empty when there is
// none. Links are left to the rule of links (replaced by their own name).
std::string ForeignUninstallerFile(const std::string& folder);

// Writes `record` as its folder's uninstall.rec, a new file whole or not there
// (WriteFileAnew). Installing again into the
// same folder keeps what the record there names and this run did not make again (the
// folders an earlier run created, a file, a shortcut it made, the entry it registered when
// `record` names none); `earlierRoot` receives the root of the entry that earlier install
// registered ("HKCU", "HKLM"; empty when none). 0, or the system's error code.
unsigned long WriteInstallRecordFile(InstallRecord record, std::string& earlierRoot);

// What an install finds of its own files in the folder before it writes them
// (ActionForFoundFile): a file whose bytes are not the product's is moved aside under
// KeptVersionName, so that writing the product's file loses nothing, and the uninstaller
// later keeps it; a file an earlier install recorded as found there stays recorded so.
class FoundFiles {
public:
    explicit FoundFiles(const std::string& folder);
    // Before the file `name` is written with `itemSize` bytes hashing to `itemSha256`. 0, or
    // the system's error code when a file could not be looked at or moved aside (it must
    // then not be written over).
    unsigned long Prepare(const std::string& name, std::uint64_t itemSize,
                          const std::string& itemSha256);
    bool ExistedBefore(const std::string& name) const;
    // "<path>, kept as <new name>" for each file moved aside.
    const std::vector<std::string>& Kept() const { return kept_; }

private:
    std::string folder_;
    bool hasEarlier_ = false;
    InstallRecord earlier_;
    std::vector<std::string> existed_;
    std::vector<std::string> kept_;
};

// The listing of `folder` (ending in a backslash), links marked; a folder that is a link is
// not looked into.
FolderOnDisk LookAtFolder(const std::string& folder);

// The record of the install in `folder` and the plan for removing it, from what is on disk
// now.
struct UninstallPlan {
    InstallRecord Record;
    RemovalPlan Plan;
};

// Reads the folder's record (EUnusableRecord when it is missing, unreadable, too long or
// names something the install cannot have made; ELinkedPath when a folder of the install
// folder's path is a link) and plans its removal from a first look, without reading the
// files: what it refuses, it refuses before the user is asked.
UninstallPlan PlanUninstall(const std::string& folder);

// The plan made on what is on disk at the moment of deletion: the record and every recorded
// file and shortcut there are held open with no sharing (OpenForRemoval) and looked at
// through those handles, so nothing can change between the look and the deletion.
struct HeldRemoval {
    UninstallPlan Planned;
    // What could not be opened: "<path>: <the system's reason>".
    std::vector<std::string> Refused;
    // True when every refusal is for want of rights (not a file in use).
    bool Denied = true;
    // The handles, by path (folded name) as the plan names them.
    struct Held {
        std::string path;
        std::unique_ptr<tk::FileHandle> handle;
        bool readOnly = false;
    };
    std::vector<Held> Handles;
    // The handle held for `path`; null when it is not held.
    const Held* Find(const std::string& path) const;
};
// Raises as PlanUninstall does.
HeldRemoval HoldAndPlan(const std::string& folder);
