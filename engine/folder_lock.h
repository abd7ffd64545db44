#pragma once
// One installation or removal at a time in a folder: a named mutex per install folder, taken
// before anything is written or deleted there and held until the run ends. Two spellings of
// one folder (other case, '/' for '\', doubled backslashes, "." and "..", trailing
// backslashes) share one mutex. The installer and the uninstaller take the same one.
#include <string>

// "Local\PentaroSetup-" and 16 hex digits (FNV-1a, 64 bits) of the folder in one spelling:
// NormalFolderPath, its letters in one case by the system's rule (FoldedName). In the namespace of
// the logon session, where processes of other users' sessions cannot create objects (a name in the
// global namespace could be taken by anyone to stop every install into the folder).
std::string FolderMutexName(const std::string& folder);

class FolderLock {
public:
    // Tries to take the mutex of `folder`; never waits. A mutex of that name that nobody
    // holds is taken over. An object under the name that cannot be another install or uninstall
    // of this user does not stop this one: one of another kind, or one whose owner is neither this
    // user nor the system or the administrators (who alone could have made it for an
    // install), or one this user may not even look at.
    explicit FolderLock(const std::string& folder);
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    // False when another install or uninstall holds the folder.
    bool Held() const { return !busy_; }

private:
    void* handle_ = nullptr;
    bool owned_ = false;
    bool busy_ = false;
};
