#include "engine/files.h"

#include <windows.h>

#include <shlobj.h>

namespace {

class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    ~FileHandle() {
        if (valid()) CloseHandle(handle_);
    }
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
    HANDLE get() const { return handle_; }

private:
    HANDLE handle_;
};

class ItemIdList {
public:
    ItemIdList() = default;
    ItemIdList(const ItemIdList&) = delete;
    ItemIdList& operator=(const ItemIdList&) = delete;
    ~ItemIdList() { CoTaskMemFree(list_); }
    LPITEMIDLIST* out() { return &list_; }
    LPCITEMIDLIST get() const { return list_; }

private:
    LPITEMIDLIST list_ = nullptr;
};

class RealFolderSystem : public FolderSystem {
public:
    std::string CurrentDirectory() override {
        DWORD size = GetCurrentDirectoryA(0, nullptr);
        if (size == 0) return std::string();
        std::string path(size, '\0');
        path.resize(GetCurrentDirectoryA(size, path.data()));
        return path;
    }
    bool DirectoryExists(const std::string& path) override {
        DWORD attributes = GetFileAttributesA(path.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    }
    bool CreateFolder(const std::string& path) override {
        return CreateDirectoryA(path.c_str(), nullptr) != FALSE;
    }
};

} // namespace

bool EnsureFolder(std::string& folder) {
    RealFolderSystem system;
    return EnsureFolderIn(system, folder);
}

void WriteStringToFile(const std::string& path, const std::string& data) {
    if (data.empty()) {
        DeleteFileA(path.c_str());
        return;
    }
    FileHandle file(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return;
    DWORD written = 0;
    WriteFile(file.get(), data.data(), static_cast<DWORD>(data.size()), &written, nullptr);
}

unsigned long SetFileDosDate(const std::string& path, std::int32_t dosDateTime) {
    FileHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return GetLastError();
    auto value = static_cast<std::uint32_t>(dosDateTime);
    FILETIME local{};
    FILETIME utc{};
    // DosDateTimeToFileTime rejects fields out of range (month 13, hour 24) without
    // always setting a last error; a failure must never come back as 0.
    SetLastError(ERROR_SUCCESS);
    if (DosDateTimeToFileTime(static_cast<WORD>(value >> 16), static_cast<WORD>(value & 0xFFFF),
                              &local) &&
        LocalFileTimeToFileTime(&local, &utc) && SetFileTime(file.get(), nullptr, nullptr, &utc))
        return 0;
    DWORD error = GetLastError();
    return error != ERROR_SUCCESS ? error : ERROR_INVALID_PARAMETER;
}

std::string GetSpecialFolderPath(int csidl) {
    ItemIdList list;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, csidl, list.out()))) return std::string();
    return PathFromItemIdList(reinterpret_cast<const _ITEMIDLIST*>(list.get()));
}

std::string PathFromItemIdList(const _ITEMIDLIST* idList) {
    if (idList == nullptr) return std::string();
    std::string path(MAX_PATH, '\0');
    if (!SHGetPathFromIDListA(reinterpret_cast<LPCITEMIDLIST>(idList), path.data()))
        return std::string();
    TrimAtFirstNul(path);
    return path;
}
