// The program entry: the start-up check before any window, then the GUI application
// with the main window until it closes.
#include "app/startup.h"
#include "controls/appearance.h"
#include "engine/ucargo.h"
#include "toolkit/application.h"
#include "toolkit/probe.h"
#include "toolkit/stdctrls.h"
#include "ui/fmMain.h"

#include <windows.h>

#include <cstdlib>

// What runs when an error escapes everything (a bug: WinMain and every window procedure
// catch what the installer raises). The library's default prints the demangled type name
// to a console that a GUI program does not have, and brings a 46 KB demangler along.
namespace __gnu_cxx {
void __verbose_terminate_handler() {
    std::abort();
}
} // namespace __gnu_cxx

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    tk::Probe("WinMain");
    // First of all: no DLL from the installer's own folder (the CD, Downloads) is loaded.
    RestrictDllSearch();
    tk::TApplication& application = tk::Application();
    try {
        if (!StartupCheck()) return 0;
    } catch (const std::exception& error) {
        // "Bad process handle": nothing catches it before the application exists.
        application.HandleException(error);
        return 1;
    }

    tk::Probe("start-up check done");
    application.Initialize();
    tk::RegisterStandardControls();
    RegisterAppearanceControls();
    application.SetTitle("Pentaro Installer Version 3.24");
    int status = 0;
    try {
        tk::Probe("application initialised");
        tMainForm MainForm;
        tk::Probe("main window built");
        application.SetMainForm(&MainForm);
        application.Run();
        application.SetMainForm(nullptr);
    } catch (const std::exception& error) {
        // A window that cannot be built (a broken layout resource) ends the program.
        application.HandleException(error);
        status = 1;
    }
    DosBoxExePath.clear();
    return status;
}
