#pragma once
// The uninstaller's command line, read by the one parser (install/options.h).
#include "install/options.h"
#include "uninstall/uninstaller.h"

// `options` as the uninstaller takes them: /S and /LOG= under the installer's rules (an
// unknown argument, an empty or second /LOG= are problems), /UNINSTALLCOPY= and /D= only
// together (the hand-over's), and none of the installer's own switches (/NOSHORTCUT,
// /NOSTARTMENU, /ALLUSERS, /DOSBOX=, /?). Other installers' switches that change nothing
// are accepted.
UninstallOptions UninstallOptionsOf(const InstallOptions& options);
