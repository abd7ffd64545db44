#pragma once
// The account the process runs as.
#include <vector>

namespace tk {

// The security identifier (SID) of the user whose token this process carries, as its bytes;
// empty when the token cannot be read.
std::vector<unsigned char> ProcessUserSid();

} // namespace tk
