#include "toolkit/format.h"

#include <cstdarg>
#include <cstdio>

namespace tk {

std::string Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string result = FormatV(format, args);
    va_end(args);
    return result;
}

namespace {

// On Windows the system's C runtime formats: std::vsnprintf would link MinGW's own
// printf (about 27 KB) for the same result with the plain conversions the installer
// uses (%s, %d, %c, %X with flags and widths).
#ifdef _WIN32
int FormattedLength(const char* format, va_list args) {
    return _vscprintf(format, args);
}
void FormatInto(char* buffer, size_t size, const char* format, va_list args) {
    // Room for the text and its terminator: _vsnprintf writes it then.
    _vsnprintf(buffer, size, format, args);
}
#else
int FormattedLength(const char* format, va_list args) {
    return std::vsnprintf(nullptr, 0, format, args);
}
void FormatInto(char* buffer, size_t size, const char* format, va_list args) {
    std::vsnprintf(buffer, size, format, args);
}
#endif

} // namespace

std::string FormatV(const char* format, va_list args) {
    va_list copy;
    va_copy(copy, args);
    int length = FormattedLength(format, copy);
    va_end(copy);
    std::string result;
    if (length > 0) {
        result.resize(static_cast<size_t>(length));
        FormatInto(result.data(), result.size() + 1, format, args);
    }
    return result;
}

std::string AsciiLower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

std::string AsciiUpper(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

} // namespace tk
