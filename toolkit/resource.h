#pragma once
// Named raw-data (RCDATA) resources of the running module.
#include "toolkit/exception.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace tk {

// Raised when a resource is missing or cannot be loaded; the message names the
// resource exactly as the caller gave it.
class EResNotFound : public Exception {
public:
    explicit EResNotFound(const std::string& name);
};

// The bytes of the RCDATA resource `name` of the executable (names are matched without
// regard to case, as the system does) where the system keeps them: read-only memory of
// the executable's image, valid as long as the program runs. Raises EResNotFound.
std::string_view FindRcData(const std::string& name);

// The RCDATA resource `name` that the build stores as one zlib stream (the window layouts,
// the DOSBox configuration template: resources/CMakeLists.txt), inflated. Raises
// EResNotFound when it is missing or does not inflate.
std::string LoadDeflatedRcData(const std::string& name);

// `stored`, the zlib stream of the resource `name`, inflated. Raises EResNotFound when it
// is not one whole, valid stream: a damaged resource is as good as a missing one.
std::string InflateRcData(const std::string& name, std::string_view stored);

// Where bytes of the executable's mapped image (such as FindRcData gives) lie in the
// executable's file: their offset there, or -1 when they do not lie whole within one
// section's bytes in the file.
std::int64_t ImageFileOffset(std::string_view bytes);

} // namespace tk
