#include "engine/payload.h"

void LoadPayloadItem(const std::string& name, tInstItem& item) {
    item.FileName.clear();
    const std::string key = BuildPayloadKeyStream();
    // LoadRcData finds the resource by name in any case (FindResourceA upper-cases
    // string names), and returns a private copy: resource memory is read-only.
    std::string image = tk::LoadRcData(name);
    ReadPayloadImage(key, image, item);
}
