#pragma once
// Conversions between the installer's 8-bit ANSI text and the UTF-16 text that some
// system interfaces take.
#include <string>

namespace tk {

// `text` read in the system's ANSI code page, as UTF-16. Empty text gives empty text.
std::wstring AnsiToWide(const std::string& text);

} // namespace tk
