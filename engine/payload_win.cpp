#include "engine/payload.h"

#include <new>

void LoadPayloadItem(const std::string& name, tInstItem& item) {
    item.FileName.clear();
    const std::string key = BuildPayloadKeyStream();
    // LoadRcData finds the resource by name in any case (FindResourceA upper-cases
    // string names), and returns a private copy: resource memory is read-only.
    std::string image;
    try {
        image = tk::LoadRcData(name);
    } catch (const std::bad_alloc&) {
        throw EOutOfMemory();
    }
    ReadPayloadImage(key, image, item);
}
