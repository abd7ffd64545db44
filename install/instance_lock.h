#pragma once
// One installation at a time into a folder: a named mutex per install folder, taken
// before anything is written and held until the run ends. Two folders that name the same
// place in other case, with other separators or trailing backslashes share one mutex.
#include "install/exit_code.h"
#include "install/front_end.h"
#include "install/run.h"

#include <string>

// "Global\PentaroSetup-" and 16 hex digits of the normalised folder (lower case, '/' as
// '\', exactly one trailing backslash). Global, so that an install started by a
// deployment service in session 0 and one started by a user see each other.
std::string InstallMutexName(const std::string& folder);

// "Pentaro is already being installed into <folder>."
std::string AlreadyInstallingMessage(const std::string& folder);

class InstanceLock {
public:
    // Tries to take the mutex of `folder`; never waits.
    explicit InstanceLock(const std::string& folder);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // False when another instance holds the folder (or the mutex could not be made).
    bool Held() const { return handle_ != nullptr; }

private:
    void* handle_ = nullptr;
};

// Installs into `folder` (RunInstallationOf with `settings`) while holding its mutex. When
// another instance holds it, tells AlreadyInstallingMessage (caption "Pentaro"), writes
// nothing and returns AlreadyRunning.
ExitCode RunInstallationAlone(const std::string& folder, InstallFrontEnd& frontEnd,
                              const RunSettings& settings = {});
