#pragma once
// One installation at a time into a folder: a named mutex per install folder, taken
// before anything is written and held until the run ends. Two spellings of one folder
// (other case, '/' for '\', doubled backslashes, "." and "..", trailing backslashes) share
// one mutex.
#include "install/exit_code.h"
#include "install/front_end.h"
#include "install/run.h"

#include <string>

// "Local\PentaroSetup-" and 16 hex digits (FNV-1a, 64 bits) of the folder in one spelling:
// NormalFolderPath, ASCII letters in lower case. In the namespace of the logon session,
// where processes of other users' sessions cannot create objects (a name in the global
// namespace could be taken by anyone to stop every install into the folder).
std::string InstallMutexName(const std::string& folder);

// "Pentaro is already being installed into <folder>."
std::string AlreadyInstallingMessage(const std::string& folder);

class InstanceLock {
public:
    // Tries to take the mutex of `folder`; never waits. A mutex of that name that nobody
    // holds is taken over. An object under the name that cannot be another install of this
    // user does not stop this one: one of another kind, or one whose owner is neither this
    // user nor the system or the administrators (who alone could have made it for an
    // install), or one this user may not even look at.
    explicit InstanceLock(const std::string& folder);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // False when another install holds the folder.
    bool Held() const { return !busy_; }

private:
    void* handle_ = nullptr;
    bool owned_ = false;
    bool busy_ = false;
};

// Installs into `folder` (RunInstallationOf with `settings`) while holding its mutex. When
// another instance holds it, tells AlreadyInstallingMessage (caption "Pentaro"), writes
// nothing and returns AlreadyRunning.
ExitCode RunInstallationAlone(const std::string& folder, InstallFrontEnd& frontEnd,
                              const RunSettings& settings = {});
