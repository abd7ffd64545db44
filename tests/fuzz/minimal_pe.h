#pragma once
// A minimal PE32 image carrying named RCDATA resources, built in memory: for the native
// tests of the PE reader and as the fuzz seed of fuzz_pe.
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace minimal_pe {

inline void Put16(std::string& s, std::size_t at, unsigned v) {
    s[at] = static_cast<char>(v), s[at + 1] = static_cast<char>(v >> 8);
}
inline void Put32(std::string& s, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        s[at + i] = static_cast<char>(v >> (8 * i));
}

// A minimal PE32 image with one section ".rsrc" at RVA 0x1000, file offset 0x200, holding
// a resource directory: RCDATA (10) -> the given names -> language 0 -> the data.
inline std::string MinimalPe(const std::vector<std::pair<std::string, std::string>>& items) {
    std::string rsrc;
    auto dir = [&](unsigned named, unsigned ids) {
        const std::size_t at = rsrc.size();
        rsrc.resize(at + 16 + 8 * (named + ids), '\0');
        Put16(rsrc, at + 12, named), Put16(rsrc, at + 14, ids);
        return at;
    };
    const std::size_t root = dir(0, 1);
    const std::size_t types = dir(static_cast<unsigned>(items.size()), 0);
    Put32(rsrc, root + 16, 10), Put32(rsrc, root + 20, 0x80000000u | types);
    for (std::size_t i = 0; i < items.size(); ++i) {
        const std::size_t lang = dir(0, 1);
        const std::size_t entry = rsrc.size();
        rsrc.resize(entry + 16, '\0');
        const std::size_t name = rsrc.size();
        rsrc.resize(name + 2 + 2 * items[i].first.size(), '\0');
        Put16(rsrc, name, static_cast<unsigned>(items[i].first.size()));
        for (std::size_t c = 0; c < items[i].first.size(); ++c)
            Put16(rsrc, name + 2 + 2 * c, static_cast<unsigned char>(items[i].first[c]));
        const std::size_t data = rsrc.size();
        rsrc += items[i].second;
        Put32(rsrc, types + 16 + 8 * i, 0x80000000u | static_cast<std::uint32_t>(name));
        Put32(rsrc, types + 20 + 8 * i, 0x80000000u | static_cast<std::uint32_t>(lang));
        Put32(rsrc, lang + 16, 0), Put32(rsrc, lang + 20, static_cast<std::uint32_t>(entry));
        Put32(rsrc, entry, 0x1000 + static_cast<std::uint32_t>(data));
        Put32(rsrc, entry + 4, static_cast<std::uint32_t>(items[i].second.size()));
    }
    std::string pe(0x200, '\0');
    pe[0] = 'M', pe[1] = 'Z';
    Put32(pe, 0x3C, 0x40);
    std::memcpy(pe.data() + 0x40, "PE\0\0", 4);
    Put16(pe, 0x46, 1);     // one section
    Put16(pe, 0x54, 224);   // optional header size
    Put16(pe, 0x58, 0x10B); // PE32
    // Section and file alignment, and the headers' size.
    Put32(pe, 0x58 + 32, 0x1000), Put32(pe, 0x58 + 36, 0x200), Put32(pe, 0x58 + 60, 0x200);
    Put32(pe, 0x58 + 92, 16);
    Put32(pe, 0x58 + 96 + 16, 0x1000);
    Put32(pe, 0x58 + 96 + 20, static_cast<std::uint32_t>(rsrc.size()));
    const std::size_t section = 0x58 + 224;
    std::memcpy(pe.data() + section, ".rsrc", 5);
    Put32(pe, section + 8, static_cast<std::uint32_t>(rsrc.size()));
    Put32(pe, section + 12, 0x1000);
    Put32(pe, section + 16, static_cast<std::uint32_t>(rsrc.size()));
    Put32(pe, section + 20, 0x200);
    return pe + rsrc;
}

} // namespace minimal_pe
