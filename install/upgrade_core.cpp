#include "install/upgrade.h"

#include "engine/files.h"
#include "resources/product.h"

#include <cstring>

std::string UpgradeFolder(const std::string& location,
                          bool (*usableRecord)(const std::string& recordPath)) {
    const auto letter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
    if (location.size() < 3 || !letter(location[0]) || location[1] != ':' || location[2] != '\\')
        return {};
    for (char c : location)
        if (static_cast<unsigned char>(c) < 0x20 || std::strchr("\"?*/<>|", c) != nullptr)
            return {};
    const std::string folder = AddTrailingBackslash(location);
    if (!usableRecord(folder + InstallRecordFile)) return {};
    return folder.size() > 3 ? StripTrailingBackslashes(folder) : folder;
}
