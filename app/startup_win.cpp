#include "app/startup.h"

#include "dosbox/locate.h"
#include "engine/ucargo.h"
#include "toolkit/exception.h"
#include "toolkit/handles_win.h"
#include "ui/dialogs.h"

#include <windows.h>

#include <shellapi.h>

namespace {

void ShowStartupWarning(const StartupResult& result, const std::string& namedDosBox) {
    if (result.Verdict == StartupVerdict::NamedDosBoxMissing) {
        // No download page: DOSBox is where the command line says, or nowhere.
        const unsigned okWarning = 0x30; // MB_OK | MB_ICONEXCLAMATION
        TaskMessageBox(nullptr, NamedDosBoxMissingText(namedDosBox), StartupWarningCaption,
                       okWarning);
        return;
    }
    if (TaskMessageBox(nullptr, StartupWarningText, StartupWarningCaption, StartupWarningFlags) ==
        drOK)
        ShellExecuteA(nullptr, "Open", DosBoxDownloadPage, "", "", SW_SHOWNORMAL);
}

} // namespace

StartupResult CheckStartup(const std::string& testSwitchText, const std::string& namedDosBox) {
    StartupResult result;
    if (Is64BitWindows()) {
        result.DosBox = LocateDosBox(namedDosBox);
        if (!result.DosBox.Found) {
            result.Verdict =
                namedDosBox.empty() ? StartupVerdict::NoDosBox : StartupVerdict::NamedDosBoxMissing;
            return result;
        }
        DosBoxExePath = result.DosBox.Path;
        DosBoxExeBuild = result.DosBox.Build;
    }
    if (HasTestSwitch(testSwitchText)) result.Verdict = StartupVerdict::TestSwitch;
    return result;
}

bool StartupCheck(const std::string& testSwitchText, const std::string& namedDosBox) {
    const StartupResult result = CheckStartup(testSwitchText, namedDosBox);
    if (result.Verdict == StartupVerdict::Passes) return true;
    ShowStartupWarning(result, namedDosBox);
    return false;
}

namespace {

// DLLs that system DLLs load by name on demand, loaded here from the system folder by
// full path first, so that those later loads find them already there: Wine 8 resolves
// the delay imports of its own DLLs (msimg32 for uxtheme's drawing, ole32 for comctl32's
// task dialog) through the default search, application folder first, whatever
// SetDefaultDllDirectories said; and where the search cannot be restricted (Vista, 7
// without KB2533623), these at least come from the system folder.
constexpr const char* SystemDllsLoadedOnDemand[] = {"msimg32.dll", "ole32.dll"};

void PreloadFromSystemFolder() {
    char path[MAX_PATH];
    UINT length = GetSystemDirectoryA(path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH - 16) return;
    for (const char* name : SystemDllsLoadedOnDemand) {
        path[length] = '\\';
        lstrcpynA(path + length + 1, name, MAX_PATH - static_cast<int>(length) - 1);
        LoadLibraryA(path); // kept for the life of the process
    }
}

} // namespace

void RestrictDllSearch() {
    // Windows Vista (6.0) with the update that adds SetDefaultDllDirectories can no
    // longer create the shell link object afterwards; the shortcuts need it.
    OSVERSIONINFOA version;
    version.dwOSVersionInfoSize = sizeof version;
    bool vista =
        GetVersionExA(&version) && version.dwMajorVersion == 6 && version.dwMinorVersion == 0;
    if (!vista) {
        // Windows 8 and later, and 7 with KB2533623. The application folder is searched
        // before the system folder by default, so without this a planted version.dll or
        // uxtheme.dll beside the installer would be loaded by the system DLLs we use.
        using SetDefaultDllDirectoriesProc = BOOL(WINAPI*)(DWORD);
        auto setDefaultDllDirectories =
            tk::KernelExport<SetDefaultDllDirectoriesProc>("SetDefaultDllDirectories");
        const DWORD searchSystem32 = 0x00000800; // LOAD_LIBRARY_SEARCH_SYSTEM32
        if (setDefaultDllDirectories != nullptr) setDefaultDllDirectories(searchSystem32);
    }
    PreloadFromSystemFolder();
}
