#pragma once
// printf-style formatting into std::string, for messages built from a format text
// ("%s was not installed.", "Files: %d").
#include <cstdarg>
#include <string>

namespace tk {

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
// The same from an argument list (for callers that take "..." themselves).
std::string FormatV(const char* format, va_list args);

// ASCII-only case conversion: the installer's texts are 8-bit ANSI and only the
// letters A-Z / a-z change case, whatever the code page.
std::string AsciiLower(std::string text);
std::string AsciiUpper(std::string text);

} // namespace tk
