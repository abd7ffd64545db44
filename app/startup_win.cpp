#include "app/startup.h"

#include "engine/files.h"
#include "engine/ucargo.h"
#include "toolkit/exception.h"
#include "toolkit/format.h"
#include "toolkit/handles_win.h"
#include "ui/dialogs.h"

#include <windows.h>

#include <shellapi.h>

namespace {

// Exports looked up at run time, where older systems lack them.
template <typename Proc> Proc KernelExport(const char* name) {
    FARPROC address = GetProcAddress(GetModuleHandleA("kernel32"), name);
    return reinterpret_cast<Proc>(reinterpret_cast<void*>(address));
}

void ShowStartupWarning() {
    if (TaskMessageBox(nullptr, StartupWarningText, StartupWarningCaption, StartupWarningFlags) ==
        drOK)
        ShellExecuteA(nullptr, "Open", DosBoxDownloadPage, "", "", SW_SHOWNORMAL);
}

} // namespace

bool LocateDosBox(std::string& path) {
    // On a 64-bit Windows this 32-bit program is given "Program Files (x86)", where a
    // 32-bit DOSBox installs itself.
    const int csidlProgramFiles = 38;
    std::string base =
        tk::AsciiLower(AddTrailingBackslash(GetSpecialFolderPath(csidlProgramFiles)));
    path.clear();
    WIN32_FIND_DATAA entry;
    tk::FindHandle search(FindFirstFileA((base + "*.*").c_str(), &entry));
    if (search.Valid()) {
        do {
            if (IsDosBoxEntry(entry.dwFileAttributes, entry.cFileName)) {
                path = DosBoxExeCandidate(base, entry.cFileName);
                break;
            }
        } while (FindNextFileA(search.Get(), &entry));
    }
    if (path.empty()) return false;
    return FileExists(path);
}

bool StartupCheck() {
    if (Is64BitWindows() && !LocateDosBox(DosBoxExePath)) {
        ShowStartupWarning();
        return false;
    }
    if (!HasTestSwitch(GetCommandLineA())) return true;
    ShowStartupWarning();
    return false;
}

void RestrictDllSearch() {
    // Windows Vista (6.0) with the update that adds SetDefaultDllDirectories can no
    // longer create the shell link object afterwards; the shortcuts need it.
    OSVERSIONINFOA version;
    version.dwOSVersionInfoSize = sizeof version;
    if (GetVersionExA(&version) && version.dwMajorVersion == 6 && version.dwMinorVersion == 0)
        return;
    // Windows 8 and later, and 7 with KB2533623. The application folder is searched
    // before the system folder by default, so without this a planted version.dll or
    // uxtheme.dll beside the installer would be loaded by the system DLLs we use.
    using SetDefaultDllDirectoriesProc = BOOL(WINAPI*)(DWORD);
    auto setDefaultDllDirectories =
        KernelExport<SetDefaultDllDirectoriesProc>("SetDefaultDllDirectories");
    const DWORD searchSystem32 = 0x00000800; // LOAD_LIBRARY_SEARCH_SYSTEM32
    if (setDefaultDllDirectories != nullptr) setDefaultDllDirectories(searchSystem32);
}
