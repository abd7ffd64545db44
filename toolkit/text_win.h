#pragma once
// Conversions between the installer's 8-bit ANSI text and the UTF-16 text that some
// system interfaces take.
#include <string>

namespace tk {

// `text` read in the system's ANSI code page, as UTF-16. Empty text gives empty text.
std::wstring AnsiToWide(const std::string& text);

// `text` in the system's ANSI code page, when it has an exact form there: every character
// converts and reads back as itself. False when one does not, such as the full-width
// solidus U+FF3C, which a plain conversion would replace by its look-alike '\' and so
// change the meaning of a path. `ansi` receives the text either way, with '?' for each
// character that has no exact form (to name the text in a message).
bool WideToAnsiExact(const std::wstring& text, std::string& ansi);

} // namespace tk
