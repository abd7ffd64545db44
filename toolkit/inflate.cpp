#include "toolkit/inflate.h"

#include <zlib.h>

#include <algorithm>
#include <climits>
#include <cstdint>

namespace tk {

namespace {

// Closes the inflate stream on every path; Close() reports whether zlib agreed.
class InflateStream {
public:
    InflateStream() {
        if (inflateInit2(&z_, 15) != Z_OK) throw EDecompressionError();
        open_ = true;
    }
    ~InflateStream() {
        if (open_) inflateEnd(&z_);
    }
    InflateStream(const InflateStream&) = delete;
    InflateStream& operator=(const InflateStream&) = delete;
    bool Close() {
        open_ = false;
        return inflateEnd(&z_) == Z_OK;
    }
    z_stream* operator->() { return &z_; }
    z_stream* get() { return &z_; }

private:
    z_stream z_{};
    bool open_ = false;
};

} // namespace

bool InflateInto(const char* input, std::size_t length, std::size_t estimate, std::size_t limit,
                 std::string& out) {
    // zlib counts input in 32-bit units; nothing the installer inflates is that large.
    if (length > UINT_MAX) throw EDecompressionError();
    const std::size_t step = (length + 255) & ~std::size_t{255};
    std::size_t capacity = estimate != 0 ? estimate : step;
    // Deflate expands at most 1032:1, so more room than that at the start is never
    // used; a lying estimate (up to 2 GiB) must not allocate it up front.
    // (Saturating: on the 32-bit installer a body of over 4 MB would overflow.)
    const std::size_t most = length > (SIZE_MAX - 1024) / 1032 ? SIZE_MAX : length * 1032 + 1024;
    capacity = std::min({capacity, most, limit == SIZE_MAX ? SIZE_MAX : limit + 1});

    InflateStream z;
    out.resize(capacity);
    z->next_in = reinterpret_cast<Bytef*>(const_cast<char*>(input));
    z->avail_in = static_cast<uInt>(length);
    std::size_t produced = 0;
    for (;;) {
        const std::size_t room = std::min<std::size_t>(out.size() - produced, UINT_MAX);
        z->next_out = reinterpret_cast<Bytef*>(out.data() + produced);
        z->avail_out = static_cast<uInt>(room);
        const int ret = inflate(z.get(), Z_FINISH);
        produced += room - z->avail_out;
        if (ret == Z_STREAM_END) break;
        if ((ret == Z_OK || ret == Z_BUF_ERROR) && z->avail_out == 0) {
            if (produced > limit) return false;
            if (out.size() == produced) {
                if (step == 0 || out.size() > SIZE_MAX - step) throw EDecompressionError();
                out.resize(out.size() + step);
            }
            continue;
        }
        if (ret == Z_OK && z->avail_in != 0) continue;
        // Z_BUF_ERROR with room left: the input ended before the stream did. Every other
        // code is a data, header, dictionary or memory error.
        throw EDecompressionError();
    }
    if (!z.Close()) throw EDecompressionError();
    out.resize(produced);
    return produced <= limit;
}

std::string InflateBuffer(const char* input, std::size_t length, std::size_t estimate) {
    std::string out;
    InflateInto(input, length, estimate, SIZE_MAX, out);
    return out;
}

} // namespace tk
