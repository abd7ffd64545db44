#pragma once
// The account the process runs as.
#include <vector>

namespace tk {

// The security identifier (SID) of the user whose token this process carries, as its bytes;
// empty when the token cannot be read.
std::vector<unsigned char> ProcessUserSid();

// True when this process runs as the SYSTEM account (a deployment service).
bool RunsAsSystemAccount();
// True when this process may write what every user shares (an elevated administrator, or
// the SYSTEM account).
bool HasAdministratorRights();

} // namespace tk
