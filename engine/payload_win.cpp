#include "engine/payload.h"

#include <zlib.h>

#include <cstdint>

void LoadPayloadItem(const std::string& name, tInstItem& item) {
    item.FileName.clear();
    const std::string key = BuildPayloadKeyStream();
    // FindRcData finds the resource by name in any case (FindResourceA upper-cases
    // string names). The item is read from the image's own read-only memory: no copy.
    ReadStoredPayload(key, tk::FindRcData(name), item);
}

// zlib's crc32(), which inflate refers to for gzip streams only: the payload bodies are
// zlib streams (window bits 15), so it is never called. Defined here, in a file that
// every installer links, it keeps zlib's table-driven version and its 5 KB of tables out
// of the executable. The plain bit-at-a-time CRC-32 (zlib's polynomial, 0xEDB88320) is
// right if ever used.
uLong crc32(uLong crc, const Bytef* buf, uInt len) {
    if (buf == nullptr) return 0;
    std::uint32_t c = ~static_cast<std::uint32_t>(crc);
    for (uInt i = 0; i < len; ++i) {
        c ^= buf[i];
        for (int bit = 0; bit < 8; ++bit)
            c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1u)));
    }
    return ~c;
}
