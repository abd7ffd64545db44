#include "toolkit/account_win.h"

#include "toolkit/handles_win.h"

#include <windows.h>

namespace tk {

std::vector<unsigned char> ProcessUserSid() {
    HANDLE opened = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &opened)) return {};
    const FileHandle token(opened);
    DWORD size = 0;
    GetTokenInformation(token.Get(), TokenUser, nullptr, 0, &size);
    std::vector<unsigned char> user(size);
    if (size == 0 || !GetTokenInformation(token.Get(), TokenUser, user.data(), size, &size))
        return {};
    const PSID sid = reinterpret_cast<const TOKEN_USER*>(user.data())->User.Sid;
    const auto* first = static_cast<const unsigned char*>(sid);
    return std::vector<unsigned char>(first, first + GetLengthSid(sid));
}

} // namespace tk
