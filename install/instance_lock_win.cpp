#include "install/instance_lock.h"

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
