#pragma once
// Text in the system's ANSI code page (the installer's own texts, paths, captions) as the
// UTF-16 text that wide-character interfaces (COM, task dialogs) take.
#include <string>

namespace tk {

// `text` converted from the system's ANSI code page; empty for empty text.
std::wstring AnsiToWide(const std::string& text);

} // namespace tk
