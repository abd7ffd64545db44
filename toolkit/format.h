#pragma once
// printf-style formatting into std::string, for messages built from a format text
// ("%s was not installed.", "Files: %d").
#include <string>

namespace tk {

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

// ASCII-only case conversion: the installer's texts are 8-bit ANSI and only the
// letters A-Z / a-z change case, whatever the code page.
std::string AsciiLower(std::string text);
std::string AsciiUpper(std::string text);

} // namespace tk
