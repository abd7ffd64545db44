#include "toolkit/text_win.h"

#include <windows.h>

namespace tk {

std::wstring AnsiToWide(const std::string& text) {
    if (text.empty()) return std::wstring();
    const int length =
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

bool WideToAnsiExact(const std::wstring& text, std::string& ansi) {
    ansi.clear();
    if (text.empty()) return true;
    const int size = static_cast<int>(text.size());
    // Without WC_NO_BEST_FIT_CHARS the system substitutes look-alikes silently; with it,
    // such characters become the default character and the flag below says so.
    BOOL usedDefault = FALSE;
    const int length = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), size, nullptr,
                                           0, "?", &usedDefault);
    if (length <= 0) return false;
    ansi.resize(static_cast<std::size_t>(length));
    usedDefault = FALSE;
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), size, ansi.data(), length, "?",
                        &usedDefault);
    // The way back must give the same characters (a code page may map several to one).
    return !usedDefault && AnsiToWide(ansi) == text;
}

} // namespace tk
