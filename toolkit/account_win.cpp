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

namespace {

// True when the calling thread's token holds the well-known group or user made from these
// sub-authorities of the NT authority.
bool TokenIs(bool asUser, DWORD first, DWORD second, BYTE count) {
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    PSID sid = nullptr;
    if (!AllocateAndInitializeSid(&nt, count, first, second, 0, 0, 0, 0, 0, 0, &sid)) return false;
    BOOL result = FALSE;
    if (asUser) {
        std::vector<unsigned char> user = tk::ProcessUserSid();
        result = !user.empty() && EqualSid(user.data(), sid);
    } else if (!CheckTokenMembership(nullptr, sid, &result)) {
        result = FALSE;
    }
    FreeSid(sid);
    return result != FALSE;
}

} // namespace

bool tk::RunsAsSystemAccount() {
    return TokenIs(true, SECURITY_LOCAL_SYSTEM_RID, 0, 1);
}

bool tk::HasAdministratorRights() {
    // Membership counts only where the group is enabled in the token: under UAC an
    // administrator's unelevated token holds it for denying only.
    return TokenIs(false, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 2);
}

tk::ProcessDesktop tk::DesktopOfProcess() {
    ProcessDesktop desktop;
    USEROBJECTFLAGS flags{};
    if (HWINSTA station = GetProcessWindowStation();
        station != nullptr &&
        GetUserObjectInformationW(station, UOI_FLAGS, &flags, sizeof flags, nullptr))
        desktop.visibleWindowStation = (flags.dwFlags & WSF_VISIBLE) != 0;
    DWORD session = 1;
    if (ProcessIdToSessionId(GetCurrentProcessId(), &session)) desktop.session = session;
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    desktop.sessionZeroForServices = !GetVersionExA(&version) || version.dwMajorVersion >= 6;
    return desktop;
}
