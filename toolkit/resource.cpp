#include "toolkit/resource.h"

#include "toolkit/format.h"
#include "toolkit/inflate.h"

namespace tk {

EResNotFound::EResNotFound(const std::string& name)
    : Exception(Format("Resource %s not found", name.c_str())) {}

std::string InflateRcData(const std::string& name, std::string_view stored) {
    try {
        return InflateBuffer(stored.data(), stored.size(), 4 * stored.size());
    } catch (const EDecompressionError&) {
        throw EResNotFound(name);
    }
}

} // namespace tk
