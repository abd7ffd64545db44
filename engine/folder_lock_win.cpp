#include "engine/folder_lock.h"

#include "toolkit/account_win.h"

#include <windows.h>

#include <aclapi.h>

#include <vector>

namespace {

// True when the kernel object `handle` is owned by this process's user, the system or the
// administrators: an object of anyone else cannot be an install this one must wait for (a
// user who is no administrator can make an object owned by no one but that user).
bool OwnedByThisUserOrSystem(HANDLE handle) {
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetSecurityInfo(handle, SE_KERNEL_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr,
                        nullptr, nullptr, &descriptor) != ERROR_SUCCESS)
        return false;
    // An object without an owner comes from a system that keeps none (Wine, where every
    // process is one user's); Windows gives every object one.
    bool trusted = owner == nullptr || IsWellKnownSid(owner, WinLocalSystemSid) ||
                   IsWellKnownSid(owner, WinBuiltinAdministratorsSid);
    if (!trusted) {
        std::vector<unsigned char> user = tk::ProcessUserSid();
        trusted = !user.empty() && EqualSid(owner, user.data()) != 0;
    }
    LocalFree(descriptor);
    return trusted;
}

} // namespace

FolderLock::FolderLock(const std::string& folder) {
    const std::string name = FolderMutexName(folder);
    HANDLE mutex = CreateMutexA(nullptr, TRUE, name.c_str());
    if (mutex != nullptr && GetLastError() != ERROR_ALREADY_EXISTS) {
        handle_ = mutex;
        owned_ = true;
        return;
    }
    if (mutex != nullptr) {
        // It was there already. Nobody holds it (an install that ended while another process
        // kept the object, or one made unowned): this instance takes it.
        const DWORD wait = WaitForSingleObject(mutex, 0);
        if (wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED) {
            handle_ = mutex;
            owned_ = true;
            return;
        }
    } else if (GetLastError() == ERROR_ACCESS_DENIED) {
        // A mutex this user may not take; whose it is decides.
        mutex = OpenMutexA(READ_CONTROL, FALSE, name.c_str());
    }
    // Held by someone, of another kind (ERROR_INVALID_HANDLE), or not to be looked at: only
    // an object that this user, the system or the administrators made stands for an install.
    busy_ = mutex != nullptr && OwnedByThisUserOrSystem(mutex);
    if (mutex != nullptr) CloseHandle(mutex);
}

FolderLock::~FolderLock() {
    if (handle_ == nullptr) return;
    if (owned_) ReleaseMutex(handle_);
    CloseHandle(handle_);
}
