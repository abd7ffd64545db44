#pragma once
// The installer's exit codes, one per class of outcome. Deployment tools read them from
// an unattended install (/S); the interactive installer ends with the outcome of its last
// run. 0 is success and nothing else: it is never returned while a file is missing or
// wrong. The table in docs/deployment.md lists them for administrators; keep both in step.
enum class ExitCode : int {
    Success = 0,
    // Interactive only: the user cancelled during the write pass (the files written so far
    // stay), or closed the installer before any run.
    Cancelled = 1,
    // The start-up check refused: a 64-bit Windows without DOSBox, or "/t" on the
    // command line.
    StartupRefused = 2,
    // The folder was refused before anything was written: empty, not on a drive letter,
    // on a drive that is not removable, fixed or remote, holding another program's
    // uninstaller or record, or otherwise unusable.
    FolderRefused = 3,
    // A payload item did not load: stored empty, or its body does not inflate (a damaged
    // installer); nothing was written.
    PayloadDamaged = 4,
    // The install folder could not be created; nothing was written.
    FolderNotCreated = 5,
    // A file could not be written in full (read-only, a folder in its place...); the partial
    // file was removed, the files before it stay. A full disk is DiskFull.
    WriteFailed = 6,
    // Every file was written, but what makes the product startable or removable was not all
    // made (dosbox.conf, a shortcut; the uninstaller, its record or the Apps & Features
    // entry). Running the install again finishes it.
    StartupSetupFailed = 7,
    // Another instance of the installer is installing into the same folder; this one wrote
    // nothing.
    AlreadyRunning = 8,
    // Not enough memory to hold the payload; nothing was written.
    OutOfMemory = 9,
    // With /S, a command line that cannot be used as given: an unknown argument, an empty
    // /D= or /LOG=, a switch after /D=; nothing was written.
    BadCommandLine = 10,
    // An error the installer did not foresee (a missing resource, a COM failure); its
    // message is in the log.
    UnexpectedError = 11,
    // A Windows system DLL (or a function in it) could not be loaded from the system
    // folder; the installer ended before doing anything.
    DllLoadFailed = 12,
    // /ALLUSERS without administrator rights; nothing was written.
    AllUsersRefused = 13,
    // Uninstall: the record of what the installer made is missing, unreadable or names
    // something it cannot have made; nothing was deleted.
    RecordUnusable = 14,
    // Uninstall: something it means to delete is in use (a file open in DOSBox); nothing was
    // deleted. Or the files went but the entry could not be deleted: the uninstaller and its
    // record stay, and running it again finishes.
    FilesInUse = 15,
    // Uninstall: this user may not delete something it means to delete (a file, a shortcut,
    // the Apps & Features entry of an install for all users); nothing was deleted. Or the
    // files went but the entry could not be deleted: the uninstaller and its record stay, and
    // running it again (as an administrator) finishes.
    RemovalDenied = 16,
    // An install for all users into a folder that was there already and that users may
    // write: the system account would later run the uninstaller from where any user can
    // replace it. Nothing was written.
    FolderOpenToUsers = 17,
    // A file could not be written in full because the drive is full; the partial file was
    // removed, the files before it stay.
    DiskFull = 18,
};

// The code's name as written above ("Success", "WriteFailed"), for the log.
inline const char* ExitCodeName(ExitCode code) {
    switch (code) {
    case ExitCode::Success:
        return "Success";
    case ExitCode::Cancelled:
        return "Cancelled";
    case ExitCode::StartupRefused:
        return "StartupRefused";
    case ExitCode::FolderRefused:
        return "FolderRefused";
    case ExitCode::PayloadDamaged:
        return "PayloadDamaged";
    case ExitCode::FolderNotCreated:
        return "FolderNotCreated";
    case ExitCode::WriteFailed:
        return "WriteFailed";
    case ExitCode::StartupSetupFailed:
        return "StartupSetupFailed";
    case ExitCode::AlreadyRunning:
        return "AlreadyRunning";
    case ExitCode::OutOfMemory:
        return "OutOfMemory";
    case ExitCode::BadCommandLine:
        return "BadCommandLine";
    case ExitCode::UnexpectedError:
        return "UnexpectedError";
    case ExitCode::DllLoadFailed:
        return "DllLoadFailed";
    case ExitCode::AllUsersRefused:
        return "AllUsersRefused";
    case ExitCode::RecordUnusable:
        return "RecordUnusable";
    case ExitCode::FilesInUse:
        return "FilesInUse";
    case ExitCode::RemovalDenied:
        return "RemovalDenied";
    case ExitCode::FolderOpenToUsers:
        return "FolderOpenToUsers";
    case ExitCode::DiskFull:
        return "DiskFull";
    }
    return "?";
}

// The outcome of a product file that could not be written, from the system's error code:
// DiskFull for a full drive (ERROR_HANDLE_DISK_FULL, ERROR_DISK_FULL), else WriteFailed.
inline ExitCode WriteFailureCode(unsigned long systemError) {
    return systemError == 39 || systemError == 112 ? ExitCode::DiskFull : ExitCode::WriteFailed;
}
