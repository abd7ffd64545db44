// Drives the DOSBox set-up from the test scripts, in a throw-away Wine prefix:
//   dosbox_setup_helper setup <install folder> <DosBoxExePath> <message file>
//       SetUpDosBox for the folder and the user's desktop; the message it returns is written to
//       the message file. Exits with 4 when something could not be made.
//   dosbox_setup_helper link <link> <target> <arguments> <description> <icon> <index> <hotkey>
//       CreateShellLink with these values.
//   dosbox_setup_helper conf <program path>
//       WriteDosBoxConf for the program.
// Prints an error's message and exits with 1 when the set-up raises, with 3 when it left COM
// initialised once more than it found it; "link" exits with 4 when the link was not saved.
#include "dosbox/conf.h"
#include "dosbox/shortcuts.h"
#include "engine/files.h"
#include "engine/ucargo.h"
#include "toolkit/exception.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

int Run(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "setup" && argc == 5) {
        DosBoxExePath = argv[3];
        // As the installation run does: the desktop of CSIDL_DESKTOP with its backslash.
        const DosBoxSetUpResult result = SetUpDosBox(AddTrailingBackslash(argv[2]),
                                                     AddTrailingBackslash(GetSpecialFolderPath(0)));
        std::ofstream(argv[4], std::ios::binary) << result.Message;
        return result.Made ? 0 : 4;
    }
    if (command == "link" && argc == 9) {
        return CreateShellLink(argv[2], argv[3], argv[4], argv[5], argv[6], std::atoi(argv[7]),
                               static_cast<int>(std::strtol(argv[8], nullptr, 0))) == 0
                   ? 0
                   : 4;
    }
    if (command == "conf" && argc == 3) return WriteDosBoxConf(argv[2]) == 0 ? 0 : 4;
    std::fprintf(stderr, "usage: dosbox_setup_helper setup|link|conf ...\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    // The GUI thread's apartment, as the installer's start-up sets it up.
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    int result = 1;
    try {
        result = Run(argc, argv);
    } catch (const tk::Exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
    }
    // The set-up must leave COM as it found it, on every path: after our one CoUninitialize the
    // apartment is gone, so a new CoInitializeEx gives S_OK; S_FALSE means a level was left over.
    CoUninitialize();
    if (CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED) != S_OK) {
        std::fprintf(stderr, "COM was left initialised\n");
        result = 3;
    }
    CoUninitialize();
    return result;
}
