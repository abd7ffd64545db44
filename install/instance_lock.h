#pragma once
// One installation at a time into a folder (engine/folder_lock.h).
#include "engine/exit_code.h"
#include "install/front_end.h"
#include "install/run.h"

#include <string>

// "Pentaro is already being installed into <folder>."
std::string AlreadyInstallingMessage(const std::string& folder);

// Installs into `folder` (RunInstallationOf with `settings`) while holding its mutex. When
// another instance holds it, tells AlreadyInstallingMessage (caption "Pentaro"), writes
// nothing and returns AlreadyRunning.
ExitCode RunInstallationAlone(const std::string& folder, InstallFrontEnd& frontEnd,
                              const RunSettings& settings = {});
