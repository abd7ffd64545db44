#include "engine/ucargo.h"

#include "toolkit/exception.h"

#include <windows.h>

bool Is64BitWindows() {
    // IsWow64Process exists from Windows XP SP2 on; looked up so that older systems
    // simply count as 32-bit.
    using IsWow64ProcessProc = BOOL(WINAPI*)(HANDLE, PBOOL);
    FARPROC address = GetProcAddress(GetModuleHandleA("kernel32"), "IsWow64Process");
    auto isWow64Process = reinterpret_cast<IsWow64ProcessProc>(reinterpret_cast<void*>(address));
    if (isWow64Process == nullptr) return false;
    BOOL wow64 = FALSE;
    if (!isWow64Process(GetCurrentProcess(), &wow64)) throw tk::Exception("Bad process handle");
    return wow64 != FALSE;
}
