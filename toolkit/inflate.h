#pragma once
// Inflating one zlib stream (RFC 1950, window bits 15) held whole in memory: the payload
// loader's general path and the resources the build stores deflated (window layouts, the
// DOSBox configuration template). Portable.
#include "toolkit/exception.h"

#include <cstddef>
#include <string>

namespace tk {

// Raised by the zlib wrapper; the base of its decompression error.
class EZlibError : public Exception {
public:
    using Exception::Exception;
};

// A body that is not one valid zlib stream (bad header, bad block data, wrong Adler-32,
// input ending early). Its message is "Error".
class EDecompressionError : public EZlibError {
public:
    EDecompressionError() : EZlibError("Error") {}
};

// Inflates the zlib stream of `length` bytes at `input` into `out`. The output starts with
// `estimate` bytes of room (0: the growth step) and grows, when full, by `length` rounded
// up to a multiple of 256. Bytes after the stream's end are ignored. Returns false, without
// finishing, as soon as the output is known to exceed `limit` bytes (SIZE_MAX: no limit),
// so that a lying stream cannot make the caller inflate gigabytes. Raises
// EDecompressionError on any zlib error, including a stream that ends early or has a wrong
// Adler-32 trailer; std::bad_alloc when the output cannot be held.
bool InflateInto(const char* input, std::size_t length, std::size_t estimate, std::size_t limit,
                 std::string& out);

// The whole inflated stream, as InflateInto gives it without a limit.
std::string InflateBuffer(const char* input, std::size_t length, std::size_t estimate);

} // namespace tk
