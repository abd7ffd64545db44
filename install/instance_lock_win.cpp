#include "install/instance_lock.h"

#include "engine/files.h"
#include "engine/folder_lock.h"
#include "resources/product.h"

ExitCode RunInstallationAlone(const std::string& folder, InstallFrontEnd& frontEnd,
                              const RunSettings& settings) {
    FolderLock lock(folder);
    if (!lock.Held()) {
        frontEnd.Tell(ProductName, AlreadyInstallingMessage(NormalFolderPath(folder)));
        return ExitCode::AlreadyRunning;
    }
    return RunInstallationOf(folder, frontEnd, settings);
}
