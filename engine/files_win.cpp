#include "engine/files.h"

#include "toolkit/handles_win.h"

#include <windows.h>

#include <shlobj.h>

namespace {

class RealFolderSystem : public FolderSystem {
public:
    std::string CurrentDirectory() override {
        DWORD size = GetCurrentDirectoryA(0, nullptr);
        if (size == 0) return std::string();
        std::string path(size, '\0');
        path.resize(GetCurrentDirectoryA(size, path.data()));
        return path;
    }
    bool DirectoryExists(const std::string& path) override { return ::DirectoryExists(path); }
    bool CreateFolder(const std::string& path) override {
        return CreateDirectoryA(path.c_str(), nullptr) != FALSE;
    }
};

} // namespace

bool FileExists(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool DirectoryExists(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool EnsureFolder(std::string& folder) {
    RealFolderSystem system;
    return EnsureFolderIn(system, folder);
}

void WriteStringToFile(const std::string& path, const std::string& data) {
    if (data.empty()) {
        DeleteFileA(path.c_str());
        return;
    }
    tk::FileHandle file(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                    CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) return;
    DWORD written = 0;
    WriteFile(file.Get(), data.data(), static_cast<DWORD>(data.size()), &written, nullptr);
}

unsigned long WriteFileChecked(const std::string& path, const std::string& data) {
    tk::FileHandle file(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                    CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) return GetLastError();
    DWORD written = 0;
    const bool ok =
        data.empty() || (WriteFile(file.Get(), data.data(), static_cast<DWORD>(data.size()),
                                   &written, nullptr) != 0 &&
                         written == data.size());
    // A full disk may let WriteFile succeed short, without an error code of its own.
    DWORD error = ok ? 0 : (GetLastError() != 0 ? GetLastError() : ERROR_DISK_FULL);
    if (!file.Close() && ok) error = GetLastError();
    if (error != 0) DeleteFileA(path.c_str());
    return error;
}

unsigned long SetFileDosDate(const std::string& path, std::int32_t dosDateTime) {
    tk::FileHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) return GetLastError();
    auto value = static_cast<std::uint32_t>(dosDateTime);
    FILETIME local{};
    FILETIME utc{};
    // DosDateTimeToFileTime rejects fields out of range (month 13, hour 24) without
    // always setting a last error; a failure must never come back as 0.
    SetLastError(ERROR_SUCCESS);
    if (DosDateTimeToFileTime(static_cast<WORD>(value >> 16), static_cast<WORD>(value & 0xFFFF),
                              &local) &&
        LocalFileTimeToFileTime(&local, &utc) && SetFileTime(file.Get(), nullptr, nullptr, &utc))
        return 0;
    DWORD error = GetLastError();
    return error != ERROR_SUCCESS ? error : ERROR_INVALID_PARAMETER;
}

std::string GetSpecialFolderPath(int csidl) {
    tk::ItemIdList list;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, csidl, list.Receive()))) return std::string();
    return PathFromItemIdList(reinterpret_cast<const _ITEMIDLIST*>(list.Get()));
}

std::string PathFromItemIdList(const _ITEMIDLIST* idList) {
    if (idList == nullptr) return std::string();
    std::string path(MAX_PATH, '\0');
    if (!SHGetPathFromIDListA(reinterpret_cast<LPCITEMIDLIST>(idList), path.data()))
        return std::string();
    TrimAtFirstNul(path);
    return path;
}
