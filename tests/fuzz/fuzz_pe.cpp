// libFuzzer target: a whole file through pentaro-inspect's reading path: the PE resource
// directory, every payload item of the installer's catalogue found in it by name (any
// case, as FindResourceA matches), the check for items sharing a file name, and the
// signature's table; and the uninstaller's image made from it, which must be the same when
// made again from itself (one canonical layout).
#include "engine/files.h"
#include "engine/payload.h"
#include "engine/pe_resources.h"
#include "engine/uninstaller_image.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string key = BuildPayloadKeyStream();
    const std::string_view file(reinterpret_cast<const char*>(data), size);
    try {
        const std::string image = UninstallerImage(PeFileInMemory(file));
        if (UninstallerImage(PeFileInMemory(image)) != image) __builtin_trap();
    } catch (const EPeError&) {
    }
    std::vector<PeResource> resources;
    try {
        resources = ReadRcDataResources(file);
    } catch (const EPeError&) {
        return 0;
    }
    try {
        ReadCertificateTable(file);
    } catch (const EPeError&) {
    }
    std::vector<tInstItem> items;
    std::string names = PayloadCatalogue;
    while (!names.empty()) {
        const PeResource* r = FindResource(resources, SplitNextToken(names, ","));
        tInstItem& item = items.emplace_back();
        if (r == nullptr) continue;
        std::string image(r->Data);
        try {
            ReadPayloadImage(key, image, item);
        } catch (const EDecompressionError&) {
        }
    }
    DuplicateFileNameLines(PayloadCatalogue, items);
    return 0;
}
