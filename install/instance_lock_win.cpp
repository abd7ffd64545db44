#include "install/instance_lock.h"

#include "engine/files.h"
#include "install/run.h"
#include "resources/product.h"

#include <windows.h>

InstanceLock::InstanceLock(const std::string& folder) {
    HANDLE mutex = CreateMutexA(nullptr, TRUE, InstallMutexName(folder).c_str());
    // ERROR_ALREADY_EXISTS: another instance made it (and holds it for its whole run).
    // ERROR_ACCESS_DENIED: it exists and belongs to another user, such as a deployment
    // service's install. Either way this instance must not write.
    if (mutex != nullptr && GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        mutex = nullptr;
    }
    handle_ = mutex;
}

InstanceLock::~InstanceLock() {
    if (handle_ == nullptr) return;
    ReleaseMutex(handle_);
    CloseHandle(handle_);
}

ExitCode RunInstallationAlone(const std::string& folder, InstallFrontEnd& frontEnd,
                              const RunSettings& settings) {
    InstanceLock lock(folder);
    if (!lock.Held()) {
        frontEnd.Tell(ProductName, AlreadyInstallingMessage(AddTrailingBackslash(folder)));
        return ExitCode::AlreadyRunning;
    }
    return RunInstallationOf(folder, frontEnd, settings);
}
