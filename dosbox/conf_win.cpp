#include "dosbox/conf.h"

#include "dosbox/conf_core.h"
#include "engine/files.h"
#include "toolkit/resource.h"

#include <windows.h>

#include <shellapi.h>

// The shell's record is byte-packed in 32-bit code; a padded one would put the flags elsewhere.
static_assert(sizeof(SHFILEOPSTRUCTA) == 30);

unsigned long WriteDosBoxConf(const std::string& programPath) {
    // Loaded first, so that a missing template leaves the old files in place.
    const std::string confTemplate = tk::LoadRcData(kDosBoxConfResource);
    const std::string folder = SplitProgramPath(programPath).Folder;
    ShellDeleteFiles(folder + "*.conf");
    return WriteFileChecked(folder + kDosBoxConfName, BuildDosBoxConf(confTemplate, programPath));
}

bool ShellDeleteFiles(const std::string& pattern) {
    // The source is a list of names, each ended by a NUL, the list by an empty name.
    std::string from = pattern;
    from.push_back('\0');
    from.push_back('\0');
    SHFILEOPSTRUCTA operation{};
    operation.hwnd = nullptr;
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    operation.pTo = nullptr;
    operation.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_ALLOWUNDO | FOF_NOCONFIRMMKDIR |
                       FOF_NOERRORUI; // 0x0654
    return SHFileOperationA(&operation) == 0;
}
