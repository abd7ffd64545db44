#include "engine/ucargo.h"

#include "toolkit/exception.h"
#include "toolkit/handles_win.h"

#include <windows.h>

bool Is64BitWindows() {
    // IsWow64Process exists from Windows XP SP2 on; looked up so that older systems
    // simply count as 32-bit.
    using IsWow64ProcessProc = BOOL(WINAPI*)(HANDLE, PBOOL);
    const auto isWow64Process = tk::KernelExport<IsWow64ProcessProc>("IsWow64Process");
    if (isWow64Process == nullptr) return false;
    BOOL wow64 = FALSE;
    if (!isWow64Process(GetCurrentProcess(), &wow64)) throw tk::Exception("Bad process handle");
    return wow64 != FALSE;
}
