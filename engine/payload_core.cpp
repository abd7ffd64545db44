#include "engine/payload.h"

#include "engine/files.h"
#include "engine/payload_seed.h"
#include "resources/product.h"
#include "toolkit/format.h"

#include <zlib.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>
#include <new>
#include <numeric>
#include <stdexcept>

std::uint32_t RandSeed = 0;

EOutOfMemory::EOutOfMemory()
    : tk::Exception(tk::Format("Not enough memory to install %s.", ProductName)) {}

int Random(int range) {
    RandSeed = RandSeed * 134775813u + 1u;
    return static_cast<int>((std::uint64_t{RandSeed} * static_cast<std::uint32_t>(range)) >> 32);
}

std::string BuildPayloadKeyStream() {
    RandSeed = PayloadSeed;
    std::string key(PayloadKeyLength, ' ');
    for (char& k : key)
        k = static_cast<char>(Random(256));
    return key;
}

namespace {

// Byte-wise add or subtract of a repeating key. The key is repeated into a block whose
// length is a multiple of 8 so that the bulk runs on 64-bit words, eight lanes at a
// time without carries between them: the loader unscrambles every resource whole, and
// a byte loop with a modulo per byte would cost a sizeable share of the inflate time.
template <bool Subtract> void ApplyKey(const std::string& key, char* buffer, std::size_t length) {
    if (key.empty() || length == 0) return;
    const std::size_t k = key.size();
    auto* p = reinterpret_cast<unsigned char*>(buffer);
    const auto* kb = reinterpret_cast<const unsigned char*>(key.data());

    std::size_t i = 0;
    constexpr std::size_t kMaxBlock = 512;
    const std::size_t block = k * (8 / std::gcd(k, std::size_t{8})); // lcm(k, 8)
    if (block <= kMaxBlock && length >= block) {
        std::uint64_t words[kMaxBlock / 8];
        unsigned char bytes[kMaxBlock];
        for (std::size_t j = 0; j < block; ++j)
            bytes[j] = kb[j % k];
        std::memcpy(words, bytes, block);
        const std::size_t nwords = block / 8;
        constexpr std::uint64_t high = 0x8080808080808080ull;
        for (; i + block <= length; i += block) {
            for (std::size_t w = 0; w < nwords; ++w) {
                std::uint64_t a, r;
                std::memcpy(&a, p + i + w * 8, 8);
                const std::uint64_t b = words[w];
                if constexpr (Subtract)
                    r = ((a | high) - (b & ~high)) ^ ((a ^ ~b) & high);
                else
                    r = ((a & ~high) + (b & ~high)) ^ ((a ^ b) & high);
                std::memcpy(p + i + w * 8, &r, 8);
            }
        }
    }
    // The tail, and keys too long for the block: one byte at a time. i is a multiple
    // of k here, so the key index starts again at 0.
    for (std::size_t j = 0; i < length; ++i) {
        p[i] = static_cast<unsigned char>(Subtract ? p[i] - kb[j] : p[i] + kb[j]);
        if (++j == k) j = 0;
    }
}

// How a body inflated into a buffer of the stated size turned out.
enum class Fit { Exact, Short, Long, Corrupt };

// The stored bytes are unscrambled and inflated in pieces of whole key lengths, so that
// every piece starts at the same key byte and the resource is read once, straight from
// where the system keeps it, without a private copy. Pieces are large: after every call
// but a finishing one, inflate copies the last 32 KB of its output into a window of its
// own, which with small pieces costs more than the copy of the resource saved.
constexpr std::size_t kPieceSize = PayloadKeyLength * 5120;

// Inflates the `length` stored bytes from offset `offset` of `stored` (scrambled with
// `key` from that offset on) into the `size` bytes at `out`. Exact: the stream ended
// after exactly `size` bytes. Short: it ended earlier. Long: it holds more (found as soon
// as one byte more comes out; the rest is not inflated). Corrupt: any zlib error. Never
// throws, so that it can fill a string's storage in place.
Fit InflateStoredInto(const std::string& key, StoredBytes& stored, std::size_t offset,
                      std::size_t length, char* out, std::size_t size) noexcept {
    if (length > UINT_MAX || size > UINT_MAX) return Fit::Corrupt;
    std::string phased; // the key from the body's first byte on
    if (!key.empty()) {
        const std::size_t phase = offset % key.size();
        phased = key.substr(phase) + key.substr(0, phase);
    }
    std::unique_ptr<unsigned char[]> piece(
        new (std::nothrow) unsigned char[std::min(kPieceSize, length)]);
    if (!piece) return Fit::Corrupt;
    z_stream z{};
    if (inflateInit2(&z, 15) != Z_OK) return Fit::Corrupt;
    unsigned char beyond = 0;
    std::size_t fed = 0;
    z.next_out = reinterpret_cast<Bytef*>(out);
    z.avail_out = static_cast<uInt>(size);
    bool full = false;
    Fit fit = Fit::Corrupt;
    for (;;) {
        if (z.avail_in == 0 && fed < length) {
            const std::size_t n = std::min(kPieceSize, length - fed);
            stored.Read(offset + fed, reinterpret_cast<char*>(piece.get()), n);
            UnscrambleBytes(phased, reinterpret_cast<char*>(piece.get()), n);
            fed += n;
            z.next_in = piece.get();
            z.avail_in = static_cast<uInt>(n);
        }
        if (z.avail_out == 0 && !full) {
            // The stated size is reached: room for one byte more tells a longer stream.
            full = true;
            z.next_out = &beyond;
            z.avail_out = 1;
        }
        const int ret = inflate(&z, fed == length ? Z_FINISH : Z_NO_FLUSH);
        if (full && z.avail_out == 0) {
            fit = Fit::Long;
            break;
        }
        if (ret == Z_STREAM_END) {
            fit = full || z.avail_out == 0 ? Fit::Exact : Fit::Short;
            break;
        }
        // Z_BUF_ERROR only asks for room or input; with both there, the input ended before
        // the stream did. Every other code is a data, header, dictionary or memory error.
        if (ret == Z_OK ||
            (ret == Z_BUF_ERROR && (z.avail_out == 0 || (z.avail_in == 0 && fed < length))))
            continue;
        break;
    }
    if (inflateEnd(&z) != Z_OK && fit != Fit::Long) fit = Fit::Corrupt;
    return fit;
}

std::int32_t ReadInt32(const std::string& image, std::size_t offset) {
    const auto* b = reinterpret_cast<const unsigned char*>(image.data() + offset);
    return static_cast<std::int32_t>(std::uint32_t{b[0]} | std::uint32_t{b[1]} << 8 |
                                     std::uint32_t{b[2]} << 16 | std::uint32_t{b[3]} << 24);
}

char AsciiUpper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

} // namespace

void UnscrambleBytes(const std::string& key, char* buffer, std::size_t length) {
    ApplyKey<true>(key, buffer, length);
}

void ScrambleBytes(const std::string& key, char* buffer, std::size_t length) {
    ApplyKey<false>(key, buffer, length);
}

bool IsBareFileName(std::string_view name) {
    if (name.empty()) return false;
    for (char c : name) {
        if (static_cast<unsigned char>(c) < 32) return false;
        if (std::strchr("<>:\"/\\|?*", c) != nullptr && c != '\0') return false;
    }
    // Windows drops trailing dots and blanks when it opens a name, so "..." would name
    // the folder itself and "readme.txt." another file than the one shown.
    if (name.back() == '.' || name.back() == ' ') return false;

    // A device name stays a device with any extension ("con.txt", "nul .txt"): compare
    // the part before the first dot, trailing blanks removed.
    std::string_view stem = name.substr(0, name.find('.'));
    while (!stem.empty() && stem.back() == ' ')
        stem.remove_suffix(1);
    std::string upper;
    for (char c : stem)
        upper += AsciiUpper(c);
    for (const char* device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"})
        if (upper == device) return false;
    if (upper.size() == 4 && (upper.starts_with("COM") || upper.starts_with("LPT"))) {
        // Windows reserves the digits 1-9 and, in code page 1252, the superscripts 1-3.
        const auto d = static_cast<unsigned char>(upper[3]);
        if ((d >= '1' && d <= '9') || d == 0xB9 || d == 0xB2 || d == 0xB3) return false;
    }
    return true;
}

std::string FileNameKey(std::string_view name) {
    std::string key(name);
    for (char& c : key) {
        const auto b = static_cast<unsigned char>(c);
        if ((b >= 'a' && b <= 'z') || (b >= 0xE0 && b <= 0xFE && b != 0xF7))
            c = static_cast<char>(b - 0x20);
        else if (b == 0x9A || b == 0x9C || b == 0x9E)
            c = static_cast<char>(b - 0x10);
        else if (b == 0xFF)
            c = static_cast<char>(0x9F);
    }
    return key;
}

std::vector<std::string> CatalogueNames() {
    std::vector<std::string> names;
    std::string catalogue = PayloadCatalogue;
    while (!catalogue.empty())
        names.push_back(SplitNextToken(catalogue, ","));
    return names;
}

std::string DuplicateFileNameLines(const std::string& catalogue,
                                   const std::vector<tInstItem>& items) {
    std::vector<std::string> names;
    std::string rest = catalogue;
    for (std::size_t i = 0; i < items.size(); ++i)
        names.push_back(SplitNextToken(rest, ","));
    std::string lines;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (items[i].FileName.empty()) continue;
        const std::string key = FileNameKey(items[i].FileName);
        for (std::size_t j = 0; j < i; ++j) {
            if (items[j].FileName.empty() || FileNameKey(items[j].FileName) != key) continue;
            lines += tk::Format(
                "\r\nError Reading resource item %s, Filename %s is also the file name of %s",
                names[i].c_str(), items[i].FileName.c_str(), names[j].c_str());
            break;
        }
    }
    return lines;
}

void ReadPayloadImage(const std::string& key, std::string& image, tInstItem& item) {
    // The item comes from the stored bytes; the image is left unscrambled on every path,
    // errors included, for callers that look into it afterwards.
    struct UnscrambleOnExit {
        const std::string& key;
        std::string& image;
        ~UnscrambleOnExit() { UnscrambleBytes(key, image.data(), image.size()); }
    } unscramble{key, image};
    ReadStoredPayload(key, image, item);
}

void StoredBytesInMemory::Read(std::size_t offset, char* out, std::size_t n) noexcept {
    std::memcpy(out, bytes_.data() + offset, n);
}

void ReadStoredPayload(const std::string& key, std::string_view stored, tInstItem& item) {
    StoredBytesInMemory bytes(stored);
    ReadStoredPayload(key, bytes, item);
}

void ReadStoredPayload(const std::string& key, StoredBytes& stored, tInstItem& item) {
    item.FileName.clear();
    if (stored.Size() < PayloadHeaderSize) {
        item.Contents.clear();
        return;
    }
    std::string header(PayloadHeaderSize, '\0');
    stored.Read(0, header.data(), header.size());
    UnscrambleBytes(key, header.data(), header.size());
    const std::size_t nameLength = static_cast<unsigned char>(header[PayloadNameOffset]);
    const std::int32_t stated = ReadInt32(header, 4);
    item.FileDate = ReadInt32(header, 12);
    if (nameLength <= PayloadMaxNameLength) {
        std::string name = header.substr(PayloadNameOffset + 1, nameLength);
        if (IsBareFileName(name)) item.FileName = std::move(name);
    }
    if (item.FileName.empty() || stated < 0) {
        item.Contents.clear();
        return;
    }

    const std::size_t size = static_cast<std::size_t>(stated);
    try {
        const std::size_t length = stored.Size() - PayloadHeaderSize;
        // Deflate expands at most 1032:1: a stated size beyond that cannot be right, and a
        // lying header must not make the loader allocate it. Such an item takes the general
        // path, which grows its buffer only as the body delivers.
        if (length <= (SIZE_MAX - 1024) / 1032 && size > length * 1032 + 1024) {
            std::string image(stored.Size(), '\0');
            stored.Read(0, image.data(), image.size());
            UnscrambleBytes(key, image.data(), image.size());
            std::string out;
            bool fits;
            try {
                fits = tk::InflateInto(image.data() + PayloadHeaderSize, length, size, size, out);
            } catch (...) {
                item.Contents.clear();
                throw;
            }
            if (fits && out.size() == size)
                item.Contents = std::move(out);
            else
                item.Contents.clear();
            return;
        }

        // The operation fills exactly the stated size, whatever count the library hands it:
        // libstdc++ 12 passes the grown capacity instead of the size asked for (20 bytes
        // arrive as 30, the small buffer's 15 doubled), which read as a body too short.
        Fit fit = Fit::Corrupt;
        auto fill = [&](char* out, std::size_t) {
            fit = InflateStoredInto(key, stored, PayloadHeaderSize, length, out, size);
            return fit == Fit::Exact ? size : 0;
        };
        std::string contents;
#if defined(__cpp_lib_string_resize_and_overwrite)
        // Inflate writes every byte: no zero-fill first.
        contents.resize_and_overwrite(size, fill);
#else
        contents.resize(size);
        contents.resize(fill(contents.data(), size));
#endif
        if (fit == Fit::Corrupt) {
            item.Contents.clear();
            throw EDecompressionError();
        }
        item.Contents = std::move(contents);
    } catch (const std::bad_alloc&) {
        item.Contents.clear();
        throw EOutOfMemory();
    } catch (const std::length_error&) {
        // A size above what one string can hold on this platform: the same shortage.
        item.Contents.clear();
        throw EOutOfMemory();
    }
}
