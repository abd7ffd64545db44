#pragma once
#include <string>

namespace tk {

// The system's own text for an error code (GetLastError, HRESULT), without the
// trailing line break; empty when the system has none.
std::string SystemErrorMessage(unsigned long code);

} // namespace tk
