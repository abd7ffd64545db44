#include "dosbox/locate.h"

#include "engine/files.h"
#include "toolkit/handles_win.h"

#include <windows.h>

namespace {

// The file system, the registry and the executables' version resources as they are.
class SystemPlaces : public DosBoxPlaces {
public:
    std::vector<FolderEntry> List(const std::string& folder) override {
        std::vector<FolderEntry> entries;
        WIN32_FIND_DATAA entry;
        tk::FindHandle search(FindFirstFileA((folder + "*.*").c_str(), &entry));
        if (!search.Valid()) return entries;
        do
            entries.push_back({entry.cFileName, entry.dwFileAttributes});
        while (FindNextFileA(search.Get(), &entry));
        return entries;
    }

    std::string Read(const DosBoxRegistryValue& value) override {
        tk::RegistryKey key;
        const REGSAM view = value.View64 ? KEY_WOW64_64KEY : KEY_WOW64_32KEY;
        if (RegOpenKeyExA(value.LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER,
                          value.Key.c_str(), 0, KEY_QUERY_VALUE | view,
                          key.Receive()) != ERROR_SUCCESS)
            return {};
        DWORD type = 0;
        char text[MAX_PATH * 2] = {};
        DWORD size = sizeof text - 1;
        if (RegQueryValueExA(key.Get(), value.Name.c_str(), nullptr, &type,
                             reinterpret_cast<BYTE*>(text), &size) != ERROR_SUCCESS)
            return {};
        if (type == REG_SZ) return text;
        if (type != REG_EXPAND_SZ) return {};
        char expanded[MAX_PATH * 2];
        const DWORD length = ExpandEnvironmentStringsA(text, expanded, sizeof expanded);
        return length > 0 && length <= sizeof expanded ? expanded : "";
    }

    bool IsFile(const std::string& path) override { return FileExists(path); }

    std::string ProductName(const std::string& exe) override {
        // As data only: the executable is a 64-bit program for all we know, and never runs.
        tk::Library image(exe.c_str(), LOAD_LIBRARY_AS_DATAFILE);
        if (image.Get() == nullptr) return {};
        HRSRC found = FindResourceA(image.Get(), MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(16));
        if (found == nullptr) return {};
        HGLOBAL loaded = LoadResource(image.Get(), found);
        const void* data = loaded != nullptr ? LockResource(loaded) : nullptr;
        if (data == nullptr) return {};
        return VersionProductName(
            std::string(static_cast<const char*>(data), SizeofResource(image.Get(), found)));
    }
};

std::string Environment(const char* name) {
    char value[MAX_PATH];
    const DWORD length = GetEnvironmentVariableA(name, value, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::string(value, length) : std::string();
}

} // namespace

DosBoxFolders SystemDosBoxFolders() {
    const int csidlProgramFiles = 38, csidlLocalAppData = 28;
    DosBoxFolders folders;
    // On a 64-bit Windows this 32-bit program is given "Program Files (x86)".
    folders.ProgramFiles = GetSpecialFolderPath(csidlProgramFiles);
    // The shell will not name the 64-bit folder to a 32-bit program (FOLDERID_ProgramFilesX64
    // fails under WOW64); the environment names it from Windows 7 on.
    folders.ProgramFiles64 = Environment("ProgramW6432");
    if (folders.ProgramFiles64.empty()) {
        DosBoxRegistryValue value;
        value.LocalMachine = true;
        value.Key = "Software\\Microsoft\\Windows\\CurrentVersion";
        value.Name = "ProgramFilesDir";
        folders.ProgramFiles64 = SystemPlaces().Read(value);
    }
    const std::string localAppData = GetSpecialFolderPath(csidlLocalAppData);
    if (!localAppData.empty())
        folders.UserPrograms = AddTrailingBackslash(localAppData) + "Programs";
    char windows[MAX_PATH];
    const UINT length = GetSystemWindowsDirectoryA(windows, MAX_PATH);
    if (length >= 2 && length < MAX_PATH && windows[1] == ':')
        folders.WindowsDrive = std::string(windows, 2) + "\\";
    return folders;
}

DosBoxSearch LocateDosBox(const std::string& named) {
    SystemPlaces places;
    if (named.empty()) return SearchDosBox(SystemDosBoxFolders(), places);
    char full[MAX_PATH];
    const DWORD length = GetFullPathNameA(named.c_str(), MAX_PATH, full, nullptr);
    return NamedDosBox(length > 0 && length < MAX_PATH ? std::string(full, length) : named, places);
}
