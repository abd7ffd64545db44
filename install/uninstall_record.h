#pragma once
// The record of what an install made and the removal plan (install/uninstall_core.h) meet
// the system here: the record file written whole into the install folder, and what is on
// disk now (hashes, links, shortcut targets, the folders' listings, the entry) gathered for
// the plan.
#include "install/registration.h"
#include "install/uninstall_core.h"

#include <string>

// Writes the record of `facts` as the folder's uninstall.rec: into a temporary file beside
// it, then renamed over it, so that the record is whole or not there. Installing again into
// the same folder keeps what the record there names and this run did not make again (the
// folders an earlier run created, a shortcut it made); `earlierRoot` receives the root of
// the entry that earlier install registered ("HKCU", "HKLM"; empty when none). 0, or the
// system's error code.
unsigned long WriteInstallRecordFile(const InstallFacts& facts, std::string& earlierRoot);

// The record of the install in `folder` and the plan for removing it, from what is on disk
// now.
struct UninstallPlan {
    InstallRecord Record;
    RemovalPlan Plan;
};

// Reads the folder's record (EUnusableRecord when it is missing, unreadable or names
// something the install cannot have made; ELinkedPath when a folder of the install
// folder's path is a link) and plans its removal.
UninstallPlan PlanUninstall(const std::string& folder);
