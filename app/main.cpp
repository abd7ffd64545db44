// The program entry: the command line read once; run as uninstall.exe the uninstaller; with
// /S the unattended install; else the start-up check before any window, then the GUI
// application with the main window until it closes. The exit code is the outcome
// (engine/exit_code.h) either way.
#include "app/startup.h"
#include "app/unattended.h"
#include "app/usage.h"
#include "controls/appearance.h"
#include "engine/payload.h"
#include "engine/ucargo.h"
#include "install/gui_front_end.h"
#include "install/instance_lock.h"
#include "install/options.h"
#include "install/registration.h"
#include "install/run.h"
#include "install/uninstall_options.h"
#include "install/upgrade.h"
#include "resources/product.h"
#include "toolkit/account_win.h"
#include "toolkit/application.h"
#include "toolkit/format.h"
#include "toolkit/probe.h"
#include "toolkit/stdctrls.h"
#include "toolkit/text_win.h"
#include "ui/dialogs.h"
#include "ui/fmMain.h"

#include <windows.h>

#include <cstdlib>
#include <new>

// What runs when an error escapes everything (a bug: WinMain and every window procedure
// catch what the installer raises). The library's default prints the demangled type name
// to a console that a GUI program does not have, and brings a 46 KB demangler along.
namespace __gnu_cxx {
void __verbose_terminate_handler() {
    std::abort();
}
} // namespace __gnu_cxx

// The program entry proper is PentaroEntry (app/entry_win.cpp), which restricts the DLL
// search before the C runtime starts and this runs.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    tk::Probe("WinMain");
    // The wide command line in the ANSI code page, every character that has no exact form
    // there as '?': the system's own ANSI copy turns look-alikes such as the full-width
    // solidus into '\' and '.', which would change the meaning of a path.
    std::string commandLine;
    tk::WideToAnsiExact(GetCommandLineW(), commandLine);
    const InstallOptions options = ParseCommandLine(commandLine);
    // The uninstaller has no start-up check and loads no payload item.
    if (IsUninstallMode(!options.uninstallCopy.empty()))
        return static_cast<int>(RunUninstaller(UninstallOptionsOf(options), commandLine));
    if (options.help) return ShowUsage(options);
    if (options.silent) {
        const ExitCode code = RunUnattended(options, commandLine);
        DosBoxExePath.clear();
        return static_cast<int>(code);
    }

    tk::TApplication& application = tk::Application();
    try {
        if (!StartupCheck(options.testSwitchText, options.dosBoxExe))
            return static_cast<int>(ExitCode::StartupRefused);
    } catch (const std::exception& error) {
        // "Bad process handle": nothing catches it before the application exists.
        application.HandleException(error);
        return static_cast<int>(ExitCode::UnexpectedError);
    }

    if (options.allUsers && !tk::HasAdministratorRights()) {
        ShowInfoCaption(ProductName, AllUsersRefusedMessage());
        return static_cast<int>(ExitCode::AllUsersRefused);
    }
    RunSettings settings;
    if (options.allUsers) settings.AllUsers = true;
    settings.StartMenu = !options.noStartMenu;
    tk::Probe("start-up check done");
    application.Initialize();
    tk::RegisterStandardControls();
    RegisterAppearanceControls();
    application.SetTitle(ApplicationTitle());
    // The outcome of the last run; closing the window before any run is a cancel.
    ExitCode outcome = ExitCode::Cancelled;
    try {
        // /D= proposes its folder; a /D= the parser could not use is ignored, like every
        // argument the interactive installer does not know. Without one, the folder where
        // the product is installed for this scope, so that it is replaced where it is.
        std::string proposed = options.hasFolder && options.error.empty()
                                   ? options.folder
                                   : InstalledFolder(options.allUsers || tk::RunsAsSystemAccount());
        if (proposed.empty()) proposed = ProposedInstallFolder();
        // The main window closes after a run that wrote every file; when only a shortcut or
        // dosbox.conf could not be made, the run has said so and the product is installed.
        tk::Probe("application initialised");
        tMainForm MainForm(proposed, [&outcome, &settings](const std::string& folder) {
            GuiFrontEnd frontEnd;
            try {
                outcome = RunInstallationAlone(folder, frontEnd, settings);
            } catch (const std::exception& error) {
                outcome = ExitCodeOfError(error);
                throw;
            }
            return outcome == ExitCode::Success || outcome == ExitCode::StartupSetupFailed;
        });
        tk::Probe("main window built");
        application.SetMainForm(&MainForm);
        application.Run();
        application.SetMainForm(nullptr);
    } catch (const std::exception& error) {
        // A window that cannot be built (a broken layout resource) ends the program.
        application.HandleException(error);
        outcome = ExitCode::UnexpectedError;
    }
    DosBoxExePath.clear();
    return static_cast<int>(outcome);
}
