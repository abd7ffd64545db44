#pragma once
// The account the process runs as.
#include <vector>

namespace tk {

// The security identifier (SID) of the user whose token this process carries, as its bytes;
// empty when the token cannot be read.
std::vector<unsigned char> ProcessUserSid();

// True when this process runs as the SYSTEM account (a deployment service).
bool RunsAsSystemAccount();
// What this process's desktop is: whether its window station is one shown on a screen
// (services have their own, never shown), the session the process runs in, and whether
// session 0 belongs to the services (from Windows Vista on; on Windows XP the first user
// logs on in it).
struct ProcessDesktop {
    bool visibleWindowStation = true;
    unsigned long session = 1;
    bool sessionZeroForServices = true;
};
ProcessDesktop DesktopOfProcess();

// True when this process may write what every user shares (an elevated administrator, or
// the SYSTEM account).
bool HasAdministratorRights();

} // namespace tk
