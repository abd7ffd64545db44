#include "app/unattended.h"

#include "app/startup.h"
#include "controls/appearance.h"
#include "engine/files.h"
#include "engine/log.h"
#include "engine/payload.h"
#include "install/instance_lock.h"
#include "install/progress_front_end.h"
#include "install/registration.h"
#include "install/run.h"
#include "install/silent_front_end.h"
#include "install/upgrade.h"
#include "resources/product.h"
#include "toolkit/account_win.h"
#include "toolkit/format.h"
#include "toolkit/handles_win.h"
#include "toolkit/stdctrls.h"
#include "ui/ui_core.h"

#include <windows.h>

#include <new>

namespace {

// As the folder field of the main window shows it: lower case in the system's code page.
std::string LowerCase(std::string text) {
    if (!text.empty()) CharLowerBuffA(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

// `path` as a full path against the current folder; as given where the system cannot say.
std::string FullPath(const std::string& path) {
    if (path.empty()) return path;
    char full[MAX_PATH];
    const DWORD length = GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
    return length > 0 && length < MAX_PATH ? std::string(full, length) : path;
}

void LogMessage(InstallLog& log, const std::string& caption, const std::string& text) {
    log.Write(caption.empty() ? "Message:" : "Message [" + caption + "]:", text);
}

ExitCode Install(const InstallOptions& options, InstallLog& log) {
    // A path cut at a blank is the line's problem: the start-up check would look for the cut
    // /DOSBOX= path, or say that DOSBox is missing.
    if (options.pathCut) {
        log.Write("Command line: " + options.Problem());
        return ExitCode::BadCommandLine;
    }
    const StartupResult startup = CheckStartup(options.testSwitchText, options.dosBoxExe);
    switch (startup.Verdict) {
    case StartupVerdict::Passes:
        if (!DosBoxExePath.empty())
            log.Write("DOSBox: " + DosBoxExePath +
                      (DosBoxExeBuild == DosBoxBuild::Staging ? " (DOSBox Staging)" : ""));
        break;
    case StartupVerdict::NamedDosBoxMissing:
        LogMessage(log, StartupWarningCaption, NamedDosBoxMissingText(options.dosBoxExe));
        return ExitCode::StartupRefused;
    case StartupVerdict::TestSwitch:
        // "/t" forces the start-up warning on any Windows: say so rather than what the
        // warning says.
        log.Write("Start-up: the command line contains /t, which forces the start-up warning");
        return ExitCode::StartupRefused;
    case StartupVerdict::NoDosBox: {
        // The interactive installer would show the warning and offer the download page.
        LogMessage(log, StartupWarningCaption, StartupWarningText);
        std::string places;
        for (const std::string& place : startup.DosBox.Searched)
            places += (places.empty() ? "" : "\r\n") + place;
        log.Write("DOSBox not found in:", places);
        return ExitCode::StartupRefused;
    }
    }
    if (options.Bad()) {
        log.Write("Command line: " + options.Problem());
        return ExitCode::BadCommandLine;
    }
    if (options.allUsers && !tk::HasAdministratorRights()) {
        LogMessage(log, ProductName, AllUsersRefusedMessage());
        return ExitCode::AllUsersRefused;
    }
    RunSettings settings;
    if (options.allUsers) settings.AllUsers = true;
    settings.StartMenu = !options.noStartMenu;
    std::string folder = options.folder;
    if (!options.hasFolder) {
        // An upgrade (the package manager passes no folder for one) replaces the install
        // where it is, as the run decides the scope.
        folder = InstalledFolder(options.allUsers || tk::RunsAsSystemAccount());
        if (!folder.empty())
            log.Write(tk::Format("Installed before: %s is in %s (its Apps & Features entry)",
                                 ProductName, folder.c_str()));
        else
            folder = ProposedInstallFolder();
    }
    folder = LowerCase(folder);
    log.Write("Folder: " + NormalFolderPath(folder));
    // A character of the wide command line without an exact form in the ANSI code page came
    // as '?', which no path may hold: the folder it names cannot be used (a full-width
    // solidus would otherwise have become '\').
    if (folder.find('?') != std::string::npos) {
        LogMessage(log, "", UnusableFolderMessage(folder));
        return ExitCode::FolderRefused;
    }
    // The main window's drive check (tMainForm::CheckInstallDevice).
    std::string root = InstallRoot(folder);
    if (!IsDriveRoot(root) || !IsInstallableDriveType(GetDriveTypeA(root.c_str()))) {
        LogMessage(log, "", "Install Directory is not on a valid device.");
        return ExitCode::FolderRefused;
    }
    // The shortcuts need COM, which the GUI application would have initialised.
    tk::ComInitialization com;
    if (options.showProgress) {
        tk::RegisterStandardControls();
        RegisterAppearanceControls();
        SilentProgressFrontEnd frontEnd(log, !options.noShortcut);
        return RunInstallationAlone(folder, frontEnd, settings);
    }
    SilentFrontEnd frontEnd(log, !options.noShortcut);
    return RunInstallationAlone(folder, frontEnd, settings);
}

} // namespace

ExitCode RunUnattended(const InstallOptions& options, const std::string& commandLine) {
    // No system box either: a drive without a disk in it must fail, not ask.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    // Held until the run knows that the log is none of its files (SilentFrontEnd::Refusal),
    // or to the end of a run that stops before; relative to the folder the install starts in.
    InstallLog log(FullPath(options.logFile), true);
    log.Write(tk::Format("Start: %s %s unattended install, command line: %s", ProductName,
                         ProductVersion, commandLine.c_str()));
    for (const std::string& word : options.ignored)
        log.Write("Accepted: " + word + " (another installer's switch; nothing to do here)");
    ExitCode code;
    try {
        code = Install(options, log);
    } catch (const std::exception& error) {
        code = ExitCodeOfError(error);
        if (dynamic_cast<const std::bad_alloc*>(&error))
            log.Write("Error: out of memory");
        else if (code == ExitCode::UnexpectedError)
            log.Write("Error:", error.what());
        else
            // What the interactive installer would show for it.
            LogMessage(log, "", error.what());
    }
    log.Release();
    log.Write(tk::Format("Exit code: %d (%s)", static_cast<int>(code), ExitCodeName(code)));
    return code;
}
