#pragma once
// The installer's exit codes, one per class of outcome. Deployment tools read them from
// an unattended install (/S); the interactive installer ends with them too. 0 is success
// and nothing else: it is never returned while a file is missing or wrong.
enum class ExitCode : int {
    Success = 0,
    // The user cancelled during the write pass (interactive only); the files written so
    // far stay.
    Cancelled = 1,
    // The start-up check refused: a 64-bit Windows without DOSBox, or "/t" on the
    // command line.
    StartupRefused = 2,
    // The folder was refused before anything was written: empty, not on a drive letter,
    // on a drive that is not removable, fixed or remote, or otherwise unusable.
    FolderRefused = 3,
    // A payload item did not load (damaged installer); nothing was written.
    PayloadDamaged = 4,
    // The install folder could not be created; nothing was written.
    FolderNotCreated = 5,
    // A file could not be written in full (read-only, disk full...); the partial file was
    // removed, the files before it stay.
    WriteFailed = 6,
    // Every file was written, but what makes the product startable was not all made
    // (dosbox.conf, a shortcut).
    StartupSetupFailed = 7,
    // Another instance of the installer is installing; this one wrote nothing.
    AlreadyRunning = 8,
    // Not enough memory to hold the payload; nothing was written.
    OutOfMemory = 9,
    // The command line could not be understood (an unknown switch with /S, /D= without a
    // folder); nothing was written.
    BadCommandLine = 10,
    // An error the installer did not foresee (a missing resource, a COM failure); see the
    // log.
    UnexpectedError = 11,
    // A Windows system DLL (or a function in it) could not be loaded from the system
    // folder; the installer ended before doing anything.
    DllLoadFailed = 12,
};
