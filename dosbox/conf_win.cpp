#include "dosbox/conf.h"

#include "dosbox/conf_core.h"
#include "engine/files.h"
#include "toolkit/format.h"
#include "toolkit/handles_win.h"
#include "toolkit/resource.h"

#include <windows.h>

#include <shellapi.h>

// The shell's record is byte-packed in 32-bit code; a padded one would put the flags elsewhere.
static_assert(sizeof(SHFILEOPSTRUCTA) == 30);

unsigned long WriteDosBoxConf(const std::string& programPath) {
    // Loaded first, so that a missing template leaves the old files in place.
    const std::string confTemplate = tk::LoadDeflatedRcData(kDosBoxConfResource);
    const std::string folder = SplitProgramPath(programPath).Folder;
    // Where the old files cannot go to a Recycle Bin they stay: the shell would delete them
    // for good, and they may be the user's own. dosbox.conf is overwritten all the same.
    if (DriveHasRecycleBin(folder)) ShellDeleteFiles(OldConfFiles(folder));
    return WriteFileChecked(folder + kDosBoxConfName, BuildDosBoxConf(confTemplate, programPath));
}

std::vector<std::string> OldConfFiles(const std::string& folder) {
    std::vector<std::string> files;
    WIN32_FIND_DATAA found{};
    tk::FindHandle search(FindFirstFileA((folder + "*.conf").c_str(), &found));
    if (!search.Valid()) return files;
    do {
        const std::string name = found.cFileName;
        // The pattern also matches by short names; only a name that ends in ".conf" counts.
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || name.size() < 5 ||
            tk::AsciiLower(name.substr(name.size() - 5)) != ".conf")
            continue;
        if (!IsLinkedName(folder + name)) files.push_back(folder + name);
    } while (FindNextFileA(search.Get(), &found));
    return files;
}

bool ShellDeleteFiles(const std::vector<std::string>& paths) {
    if (paths.empty()) return true;
    // The source is a list of names, each ended by a NUL, the list by an empty name.
    std::string from;
    for (const std::string& path : paths) {
        from += path;
        from.push_back('\0');
    }
    from.push_back('\0');
    SHFILEOPSTRUCTA operation{};
    operation.hwnd = nullptr;
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    operation.pTo = nullptr;
    // Files only: a folder whose name matches the pattern (nginx.conf) is the user's.
    operation.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_ALLOWUNDO | FOF_FILESONLY |
                       FOF_NOCONFIRMMKDIR | FOF_NOERRORUI; // 0x06D4
    return SHFileOperationA(&operation) == 0;
}

bool DriveHasRecycleBin(const std::string& folder) {
    // Windows keeps a Recycle Bin on fixed drives only; on removable and network drives
    // FOF_ALLOWUNDO quietly becomes a permanent deletion. The shell's own answer for the
    // drive must agree (Wine's bin is the desktop's trash, which may not be there).
    if (folder.size() < 3 || folder[1] != ':' || folder[2] != '\\') return false;
    const std::string root = folder.substr(0, 3);
    if (GetDriveTypeA(root.c_str()) != DRIVE_FIXED) return false;
    SHQUERYRBINFO bin{};
    bin.cbSize = sizeof(bin);
    return SUCCEEDED(SHQueryRecycleBinA(root.c_str(), &bin));
}
