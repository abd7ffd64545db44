// The installer's first code, and what happens when a delay-loaded system DLL is missing.
//
// The executable imports only KERNEL32 and the C runtime; every other system DLL is
// delay-loaded (cmake/delay_imports.cmake) and so loads at the first call of one of its
// functions. Windows resolves static imports before any code of ours runs, and it looks
// for the DLLs they bring along (version.dll, uxtheme.dll, imm32.dll...) in the
// program's own folder first: the Downloads folder, where a web page can drop a DLL.
// PentaroEntry therefore restricts the DLL search to the system folder before the C
// runtime starts, before any static constructor could call into such a DLL.
//
// Only KERNEL32 may be called here until the search is restricted; the failure hook must
// not rely on any other DLL either, since the one missing may be user32.dll itself.
#include "app/startup.h"
#include "engine/exit_code.h"
#include "install/options.h"

#include <windows.h>

#include <delayimp.h>

#include <string>

extern "C" int WinMainCRTStartup();

// Named as the entry point at link time (-e).
extern "C" __attribute__((force_align_arg_pointer)) int PentaroEntry() {
    RestrictDllSearch();
    return WinMainCRTStartup();
}

namespace {

// Tells the user and anyone watching: the standard error output (a console, a deployment
// tool's log), the debugger output, and, unless the install is unattended (/S: no window
// at all), a message box when user32.dll can be loaded from the system folder.
void ReportFatal(const std::string& text) {
    std::string line = text + "\r\n";
    HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    if (error != nullptr && error != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(error, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    }
    OutputDebugStringA(line.c_str());
    if (ParseCommandLine(GetCommandLineA()).silent) return;
    HMODULE user32 = LoadLibraryA("user32.dll");
    if (user32 == nullptr) return;
    using MessageBoxProc = int(WINAPI*)(HWND, LPCSTR, LPCSTR, UINT);
    auto messageBox = reinterpret_cast<MessageBoxProc>(
        reinterpret_cast<void*>(GetProcAddress(user32, "MessageBoxA")));
    if (messageBox != nullptr)
        messageBox(nullptr, text.c_str(), ApplicationTitle().c_str(),
                   MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
}

// Called by the delay-load helper when a DLL or a function in it cannot be loaded. Without
// it the helper raises an exception that nothing handles: a crash with no word said.
FARPROC WINAPI DelayLoadFailed(unsigned notify, PDelayLoadInfo info) {
    if (notify != dliFailLoadLib && notify != dliFailGetProc) return nullptr;
    std::string dll = info->szDll != nullptr ? info->szDll : "?";
    std::string function;
    if (notify == dliFailGetProc) {
        function = info->dlp.fImportByName ? std::string(info->dlp.szProcName)
                                           : "#" + std::to_string(info->dlp.dwOrdinal);
    }
    ReportFatal(DllLoadFailureText(dll, function, info->dwLastError));
    ExitProcess(static_cast<UINT>(ExitCode::DllLoadFailed));
}

} // namespace

// Declared with C linkage in <delayimp.h>; this definition takes the place of the
// library's empty one.
PfnDliHook __pfnDliFailureHook2 = DelayLoadFailed;
