// libFuzzer target: a whole file through pentaro-inspect's reading path, the PE
// resource directory and then every payload item found in it.
#include "engine/payload.h"
#include "tools/pe_resources.h"

#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string key = BuildPayloadKeyStream();
    std::vector<PeResource> resources;
    try {
        resources =
            ReadRcDataResources(std::string_view(reinterpret_cast<const char*>(data), size));
    } catch (const EPeError&) {
        return 0;
    }
    for (const PeResource& r : resources) {
        std::string image(r.Data);
        tInstItem item;
        try {
            ReadPayloadImage(key, image, item);
        } catch (const EDecompressionError&) {
        }
    }
    return 0;
}
