// libFuzzer target: one payload resource image through the installer's parser
// (unscramble, header, inflate). The input is the image as it reads after unscrambling,
// so that the fuzzer's comparisons line up with the header fields; it is scrambled here
// as pentaro-pack would store it. Whatever the bytes, the parser must stay inside them
// and either raise EDecompressionError or give an item that is consistent.
// The same bytes, taken as a product file and packed as pentaro-pack packs it, must load
// back whole: a refusal is no answer for an image the packer made.
#include "engine/payload.h"
#include "tools/pack_core.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

namespace {

void PackedFileLoadsBack(const std::string& key, const std::string& contents) {
    const std::string stored = ScramblePayloadImage(MakePayloadImage("f.bin", 1, contents));
    tInstItem direct;
    ReadStoredPayload(key, std::string_view(stored), direct);
    std::string copy = stored;
    tInstItem item;
    ReadPayloadImage(key, copy, item);
    if (direct.Contents != contents || item.Contents != contents || item.FileName != "f.bin")
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string key = BuildPayloadKeyStream();
    // An empty file loads empty, which the run counts as a read error: no round trip.
    if (size > 0) PackedFileLoadsBack(key, std::string(reinterpret_cast<const char*>(data), size));
    std::string image(reinterpret_cast<const char*>(data), size);
    ScrambleBytes(key, image.data(), image.size());
    // Read where the bytes lie, as the installer does; the reader must stay inside them.
    tInstItem direct;
    bool directFailed = false;
    try {
        ReadStoredPayload(key, std::string_view(image), direct);
    } catch (const EDecompressionError&) {
        directFailed = true;
    }
    tInstItem item;
    try {
        ReadPayloadImage(key, image, item);
    } catch (const EDecompressionError&) {
        if (!item.Contents.empty() || !directFailed || !direct.Contents.empty()) std::abort();
        return 0;
    }
    if (directFailed || direct.Contents != item.Contents || direct.FileName != item.FileName)
        std::abort();
    if (!item.Contents.empty()) {
        // A loaded item is a bare name of at most 30 characters and exactly the stated size.
        if (!IsBareFileName(item.FileName) || item.FileName.size() > PayloadMaxNameLength)
            std::abort();
        std::int32_t stated;
        std::memcpy(&stated, data + 4, 4); // little-endian hosts only, as the fuzzer runs
        if (item.Contents.size() != static_cast<std::size_t>(stated)) std::abort();
    }
    return 0;
}
