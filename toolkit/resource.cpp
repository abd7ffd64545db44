#include "toolkit/resource.h"

#include "toolkit/format.h"

namespace tk {

EResNotFound::EResNotFound(const std::string& name)
    : Exception(Format("Resource %s not found", name.c_str())) {}

} // namespace tk
