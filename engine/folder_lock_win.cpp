#include "engine/folder_lock.h"

#include "toolkit/account_win.h"
#include "toolkit/text_win.h"

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
    // A user without the right to make global objects (no administrator) is refused the
    // global name while nobody has made it; such a user's installs exclude each other in the
    // logon session.
    Outcome outcome = Take(FolderMutexName(folder, true));
    if (outcome == Outcome::NotTaken) outcome = Take(FolderMutexName(folder, false));
    busy_ = outcome == Outcome::Busy;
}

FolderLock::Outcome FolderLock::Take(const std::string& name) {
    const std::wstring wide = tk::AnsiToWide(name);
    HANDLE mutex = CreateMutexW(nullptr, TRUE, wide.c_str());
    if (mutex != nullptr && GetLastError() != ERROR_ALREADY_EXISTS) {
        handle_ = mutex;
        owned_ = true;
        return Outcome::Taken;
    }
    if (mutex != nullptr) {
        // It was there already. Nobody holds it (an install that ended while another process
        // kept the object, or one made unowned): this instance takes it.
        const DWORD wait = WaitForSingleObject(mutex, 0);
        if (wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED) {
            handle_ = mutex;
            owned_ = true;
            return Outcome::Taken;
        }
    } else if (GetLastError() == ERROR_ACCESS_DENIED) {
        // A mutex this user may not take, whose it is decides; or none, and this user may
        // not make one under the name.
        mutex = OpenMutexW(READ_CONTROL, FALSE, wide.c_str());
    }
    // Held by someone, of another kind (ERROR_INVALID_HANDLE), or not to be looked at: only
    // an object that this user, the system or the administrators made stands for an install.
    const bool busy = mutex != nullptr && OwnedByThisUserOrSystem(mutex);
    if (mutex != nullptr) CloseHandle(mutex);
    return busy ? Outcome::Busy : Outcome::NotTaken;
}

FolderLock::~FolderLock() {
    if (handle_ == nullptr) return;
    if (owned_) ReleaseMutex(handle_);
    CloseHandle(handle_);
}
