#pragma once
// One installation or removal at a time in a folder: a named mutex per install folder, taken
// before anything is written or deleted there and held until the run ends. Two spellings of
// one folder (other case, '/' for '\', doubled backslashes, "." and "..", trailing
// backslashes) share one mutex. The installer and the uninstaller take the same one.
#include <string>

// "Global\PentaroSetup-" (or, `global` false, "Local\PentaroSetup-") and 16 hex digits (FNV-1a,
// 64 bits) of the folder in one spelling: NormalFolderPath, its letters in one case by the
// system's rule (FoldedName). The global name is seen from every session (the system account
// in session 0 and a user at the screen alike); the logon session's own is for a user who may
// not make global objects (no administrator).
std::string FolderMutexName(const std::string& folder, bool global = true);

class FolderLock {
public:
    // Tries to take the mutex of `folder`, the global one, else the logon session's; never
    // waits. A mutex of that name that nobody holds is taken over. An object under the name
    // that cannot be another install or uninstall of this user does not stop this one: one of
    // another kind, or one whose owner is neither this user nor the system or the
    // administrators (who alone could have made it for an install), or one this user may not
    // even look at; the session's name is tried then.
    explicit FolderLock(const std::string& folder);
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    // False when another install or uninstall holds the folder.
    bool Held() const { return !busy_; }

private:
    enum class Outcome { Taken, Busy, NotTaken };
    Outcome Take(const std::string& name);
    void* handle_ = nullptr;
    bool owned_ = false;
    bool busy_ = false;
};
