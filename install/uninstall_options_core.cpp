#include "install/uninstall_options.h"

UninstallOptions UninstallOptionsOf(const InstallOptions& options) {
    UninstallOptions result;
    result.silent = options.silent;
    result.logFile = options.logFile;
    result.copyHandles = options.uninstallCopy;
    result.folder = options.folder;
    result.problem = options.Problem();
    if (!result.problem.empty()) return result;
    const bool copy = !options.uninstallCopy.empty();
    if (options.help)
        result.problem = "/? is not for the uninstaller";
    else if (options.noShortcut)
        result.problem = "/NOSHORTCUT is not for the uninstaller";
    else if (options.noStartMenu)
        result.problem = "/NOSTARTMENU is not for the uninstaller";
    else if (options.allUsers)
        result.problem = "/ALLUSERS is not for the uninstaller";
    else if (!options.dosBoxExe.empty())
        result.problem = "/DOSBOX= is not for the uninstaller";
    else if (options.hasFolder != copy)
        result.problem = copy ? "/UNINSTALLCOPY= without /D=" : "/D= is not for the uninstaller";
    return result;
}
