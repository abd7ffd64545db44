#include "engine/files.h"

#include "toolkit/handles_win.h"
#include "toolkit/text_win.h"

#include <windows.h>

#include <sddl.h>
#include <shlobj.h>

#include <algorithm>
#include <utility>
#include <vector>

namespace {

class RealFolderSystem : public FolderSystem {
public:
    // Each folder made gets `access` (null: what it inherits).
    explicit RealFolderSystem(SECURITY_ATTRIBUTES* access) : access_(access) {}
    std::string CurrentDirectory() override {
        DWORD size = GetCurrentDirectoryA(0, nullptr);
        if (size == 0) return std::string();
        std::string path(size, '\0');
        path.resize(GetCurrentDirectoryA(size, path.data()));
        return path;
    }
    bool DirectoryExists(const std::string& path) override { return ::DirectoryExists(path); }
    bool CreateFolder(const std::string& path) override {
        return CreateDirectoryW(tk::AnsiToWide(path).c_str(), access_) != FALSE;
    }

private:
    SECURITY_ATTRIBUTES* access_;
};

// The path the system reaches when it opens `handle`, links followed, as "C:\\..." or
// "\\\\server\\..."; empty where the system cannot tell (before Vista).
std::wstring FinalPath(HANDLE handle) {
    using FinalPathProc = DWORD(WINAPI*)(HANDLE, LPWSTR, DWORD, DWORD);
    static const auto finalPath = tk::KernelExport<FinalPathProc>("GetFinalPathNameByHandleW");
    if (finalPath == nullptr) return std::wstring();
    std::wstring path(MAX_PATH, L'\0');
    DWORD length = finalPath(handle, path.data(), static_cast<DWORD>(path.size()), 0);
    if (length >= path.size()) {
        path.resize(length + 1);
        length = finalPath(handle, path.data(), static_cast<DWORD>(path.size()), 0);
    }
    if (length == 0 || length >= path.size()) return std::wstring();
    path.resize(length);
    if (path.rfind(L"\\\\?\\UNC\\", 0) == 0) return L"\\" + path.substr(7);
    if (path.rfind(L"\\\\?\\", 0) == 0) return path.substr(4);
    return path;
}

// True when `handle` reaches the path `expected` (also when either is unknown).
bool LeadsTo(HANDLE handle, const std::wstring& expected) {
    const std::wstring reachedPath = FinalPath(handle);
    return expected.empty() || reachedPath.empty() ||
           lstrcmpiW(reachedPath.c_str(), expected.c_str()) == 0;
}

tk::FileHandle OpenName(const std::string& path, DWORD access, DWORD flags) {
    return tk::FileHandle(CreateFileW(tk::AnsiToWide(path).c_str(), access,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, flags | FILE_FLAG_BACKUP_SEMANTICS,
                                      nullptr));
}

// True when `path` (whose attributes are given) is a reparse point that leads elsewhere: a
// symbolic link, junction or mounted volume. Reparse points that keep the data in place
// (cloud placeholders of OneDrive, deduplicated files: Microsoft tags without the
// name-surrogate bit) are no links. A tag the system does not give (Wine reports none for
// its symbolic links) counts as a link.
bool IsLink(const std::string& path, DWORD attributes) {
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return false;
    WIN32_FIND_DATAA found{};
    tk::FindHandle search(FindFirstFileA(path.c_str(), &found));
    if (!search.Valid()) return true;
    const DWORD tag = found.dwReserved0;
    return !IsReparseTagMicrosoft(tag) || IsReparseTagNameSurrogate(tag);
}

} // namespace

void RefuseLinkedFolders(const std::string& path) {
    std::string::size_type start = 3;
    if (path.rfind("\\\\", 0) == 0) {
        start = path.find('\\', 2);
        start = start == std::string::npos ? path.size() : path.find('\\', start + 1);
        if (start == std::string::npos) return;
        ++start;
    }
    for (std::string::size_type end = path.find('\\', start); end != std::string::npos;
         end = path.find('\\', end + 1)) {
        const std::string folder = path.substr(0, end);
        if (IsLink(folder, GetFileAttributesA(folder.c_str()))) throw ELinkedPath(folder);
    }
}

bool FileExists(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool DirectoryExists(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

namespace {

// Where the name `path` lies when nothing is followed: its folder's own place (a drive letter
// behind a SUBST, a share behind a mapped drive, long names for short ones) and the name
// itself. Empty where the system cannot tell.
std::wstring PlaceOfName(const std::string& path) {
    const std::string::size_type slash = path.find_last_of('\\');
    tk::FileHandle folder = OpenName(path.substr(0, slash == std::string::npos ? 0 : slash + 1),
                                     FILE_READ_ATTRIBUTES, 0);
    std::wstring place = folder.Valid() ? FinalPath(folder.Get()) : std::wstring();
    if (!place.empty()) {
        if (place.back() != L'\\') place += L'\\';
        place += tk::AnsiToWide(path.substr(slash + 1));
    }
    return place;
}

enum class NameKind { Nothing, Folder, Ordinary, Linked };

// What stands at `path`, seen without changing anything.
NameKind KindOfName(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        // Nothing the system can reach; a link that leads nowhere still has its name in the
        // folder (Wine looks through it, and reports no file at all).
        WIN32_FIND_DATAA found{};
        tk::FindHandle search(FindFirstFileA(path.c_str(), &found));
        return search.Valid() ? NameKind::Linked : NameKind::Nothing;
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return NameKind::Folder;
    if (IsLink(path, attributes)) return NameKind::Linked;
    tk::FileHandle reached = OpenName(path, FILE_READ_ATTRIBUTES, 0);
    if (!reached.Valid()) return NameKind::Ordinary; // the write will meet the same refusal
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(reached.Get(), &info)) return NameKind::Ordinary;
    return info.nNumberOfLinks > 1 || !LeadsTo(reached.Get(), PlaceOfName(path))
               ? NameKind::Linked
               : NameKind::Ordinary;
}

} // namespace

bool IsLinkedName(const std::string& path) {
    const NameKind kind = KindOfName(path);
    return kind == NameKind::Linked ||
           (kind == NameKind::Folder && IsLink(path, GetFileAttributesA(path.c_str())));
}

bool RemoveLinkedName(const std::string& path, LinkedFolders folders) {
    if (folders == LinkedFolders::Refuse) RefuseLinkedFolders(path);
    // Nothing there, an ordinary file (replaced in place) or a folder (which the write will
    // refuse to replace).
    if (KindOfName(path) != NameKind::Linked) return false;

    // The name itself, not followed; removed through this very handle, once it is sure to
    // be that name. (DeleteFileA by name would remove a link's target under Wine.)
    tk::FileHandle name =
        OpenName(path, DELETE | FILE_READ_ATTRIBUTES, FILE_FLAG_OPEN_REPARSE_POINT);
    if (!name.Valid() || !LeadsTo(name.Get(), PlaceOfName(path))) throw ELinkedPath(path);
    if (MarkForDeletion(name.Get()) != 0) throw ELinkedPath(path);
    return true;
}

namespace {

// NtSetInformationFile's classes for what SetFileInformationByHandle's classes set here (the
// structures are laid out alike).
constexpr int FileBasicInformation = 4;
constexpr int FileDispositionInformation = 13;

// SetFileInformationByHandle, which Windows has from Vista on; on Windows XP the native call
// under it, NtSetInformationFile. 0 or the system's error code.
unsigned long SetFileInformation(HANDLE handle, FILE_INFO_BY_HANDLE_CLASS kind, void* data,
                                 DWORD size) {
    using InformationProc = BOOL(WINAPI*)(HANDLE, FILE_INFO_BY_HANDLE_CLASS, LPVOID, DWORD);
    static const auto setInformation =
        tk::KernelExport<InformationProc>("SetFileInformationByHandle");
    if (setInformation != nullptr)
        return setInformation(handle, kind, data, size) ? 0 : GetLastError();
    struct IoStatus {
        LONG status;
        ULONG_PTR information;
    };
    using NativeProc = LONG(WINAPI*)(HANDLE, IoStatus*, void*, ULONG, int);
    using ErrorOfStatusProc = ULONG(WINAPI*)(LONG);
    static const HMODULE ntdll = GetModuleHandleA("ntdll");
    static const auto native = reinterpret_cast<NativeProc>(
        reinterpret_cast<void*>(GetProcAddress(ntdll, "NtSetInformationFile")));
    static const auto errorOf = reinterpret_cast<ErrorOfStatusProc>(
        reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlNtStatusToDosError")));
    if (native == nullptr || errorOf == nullptr) return ERROR_CALL_NOT_IMPLEMENTED;
    const int nativeKind = kind == FileDispositionInfo ? FileDispositionInformation
                           : kind == FileBasicInfo     ? FileBasicInformation
                                                       : -1;
    if (nativeKind < 0) return ERROR_CALL_NOT_IMPLEMENTED;
    IoStatus status{};
    const LONG result = native(handle, &status, data, size, nativeKind);
    return result >= 0 ? 0 : errorOf(result);
}

} // namespace

unsigned long MarkForDeletion(void* handle, bool deleting) {
    FILE_DISPOSITION_INFO dispose{static_cast<BOOLEAN>(deleting)};
    return SetFileInformation(handle, FileDispositionInfo, &dispose, sizeof dispose);
}

bool EnsureFolder(std::string& folder, std::vector<std::string>* created, const char* access) {
    if (!FolderNamesAreKept(folder)) {
        SetLastError(ERROR_INVALID_NAME);
        return false;
    }
    if (access == nullptr) {
        RealFolderSystem system(nullptr);
        return EnsureFolderIn(system, folder, created);
    }
    tk::SecurityDescriptor descriptor(access);
    if (descriptor.Get() == nullptr) return false;
    RealFolderSystem system(descriptor.Attributes());
    const bool made = EnsureFolderIn(system, folder, created);
    return made;
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

unsigned long WriteFileChecked(const std::string& path, const std::string& data,
                               LinkedFolders folders) {
    // After a link's name was removed, and where no name was seen, the file must be new:
    // should a name be there after all, the open fails rather than follow it. An ordinary
    // file is replaced in place.
    const bool removed = RemoveLinkedName(path, folders);
    const bool seen = !removed && GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    tk::FileHandle file(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                    seen ? CREATE_ALWAYS : CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                                    nullptr));
    if (!file.Valid()) {
        const DWORD error = GetLastError();
        if (!seen && (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS))
            throw ELinkedPath(path); // a name that nothing above could see: a link
        return error;
    }
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

namespace {

// Removes the file or link under `path` itself, never what a link leads to. 0 once nothing is
// there, else the system's error code (ERROR_ALREADY_EXISTS for a folder).
unsigned long RemoveAnyName(const std::string& path) {
    switch (KindOfName(path)) {
    case NameKind::Nothing:
        return 0;
    case NameKind::Folder:
        return ERROR_ALREADY_EXISTS;
    case NameKind::Linked:
        RemoveLinkedName(path, LinkedFolders::Follow);
        return 0;
    case NameKind::Ordinary:
        break;
    }
    tk::FileHandle name =
        OpenName(path, DELETE | FILE_READ_ATTRIBUTES, FILE_FLAG_OPEN_REPARSE_POINT);
    if (!name.Valid()) return GetLastError();
    unsigned long error = MarkForDeletion(name.Get());
    if (error == ERROR_CALL_NOT_IMPLEMENTED) {
        name.Close();
        error = DeleteFileW(tk::AnsiToWide(path).c_str()) ? 0 : GetLastError();
    }
    return error;
}

// The file being written under `name` goes: through its handle where the system can, by name
// otherwise.
void Discard(tk::FileHandle& file, const std::wstring& name) {
    const bool marked = MarkForDeletion(file.Get()) == 0;
    file.Close();
    if (!marked) DeleteFileW(name.c_str());
}

} // namespace

unsigned long WriteFileAnew(const std::string& path,
                            const std::function<void(const PieceWriter&)>& produce) {
    RefuseLinkedFolders(path);
    const std::string temporary = TemporaryFileName(path);
    if (const unsigned long error = RemoveAnyName(temporary); error != 0) return error;
    const std::wstring name = tk::AnsiToWide(temporary);
    // Created, not opened: a name put back since it was removed makes this fail.
    tk::FileHandle file(CreateFileW(name.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) return GetLastError();
    unsigned long error = 0;
    const PieceWriter write = [&](const char* piece, std::size_t n) {
        while (error == 0 && n > 0) {
            DWORD written = 0;
            const DWORD part = static_cast<DWORD>(std::min<std::size_t>(n, 1u << 30));
            if (!WriteFile(file.Get(), piece, part, &written, nullptr))
                error = GetLastError() != 0 ? GetLastError() : ERROR_WRITE_FAULT;
            else if (written == 0)
                error = ERROR_DISK_FULL; // a full disk may let WriteFile succeed short
            piece += written;
            n -= written;
        }
    };
    try {
        produce(write);
    } catch (...) {
        Discard(file, name);
        throw;
    }
    if (error == 0 && !FlushFileBuffers(file.Get())) error = GetLastError();
    if (error != 0) {
        Discard(file, name);
        return error;
    }
    if (!file.Close() ||
        !MoveFileExW(name.c_str(), tk::AnsiToWide(path).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        error = GetLastError();
        DeleteFileW(name.c_str());
    }
    return error;
}

unsigned long ReadFilePieces(const std::string& path,
                             const std::function<void(const char*, std::size_t)>& take) {
    // Shared every way: reading must not fail because a program has the file open.
    tk::FileHandle file(CreateFileA(
        path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file.Valid()) return GetLastError();
    return ReadHandlePieces(file.Get(), take);
}

unsigned long ReadHandlePieces(void* handle,
                               const std::function<void(const char*, std::size_t)>& take) {
    LARGE_INTEGER start{};
    if (!SetFilePointerEx(handle, start, nullptr, FILE_BEGIN)) return GetLastError();
    char buffer[65536];
    DWORD read = 0;
    while (ReadFile(handle, buffer, sizeof buffer, &read, nullptr)) {
        if (read == 0) return 0;
        take(buffer, read);
    }
    return GetLastError();
}

void* OpenForRemoval(const std::string& path) {
    // FILE_FLAG_BACKUP_SEMANTICS lets a folder under the name open too, so that it is seen
    // as one rather than refused.
    return CreateFileW(tk::AnsiToWide(path).c_str(),
                       GENERIC_READ | DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES, 0,
                       nullptr, OPEN_EXISTING,
                       FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

unsigned long HeldFileInformation(void* handle, const std::string& path, HeldFileInfo& info) {
    BY_HANDLE_FILE_INFORMATION data{};
    if (!GetFileInformationByHandle(handle, &data)) return GetLastError();
    info.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    info.lastWrite = (static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                     data.ftLastWriteTime.dwLowDateTime;
    info.isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    info.readOnly = (data.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
    info.isLink = (!info.isFolder && data.nNumberOfLinks > 1) ||
                  IsLink(path, data.dwFileAttributes) || !LeadsTo(handle, PlaceOfName(path));
    return 0;
}

unsigned long SetReadOnly(void* handle, bool readOnly) {
    BY_HANDLE_FILE_INFORMATION data{};
    if (!GetFileInformationByHandle(handle, &data)) return GetLastError();
    FILE_BASIC_INFO basic{};
    basic.FileAttributes = readOnly ? data.dwFileAttributes | FILE_ATTRIBUTE_READONLY
                                    : data.dwFileAttributes & ~FILE_ATTRIBUTE_READONLY;
    if (basic.FileAttributes == 0) basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
    return SetFileInformation(handle, FileBasicInfo, &basic, sizeof basic);
}

unsigned long ReadFileBytes(const std::string& path, std::string& data) {
    data.clear();
    return ReadFilePieces(path, [&](const char* piece, std::size_t n) { data.append(piece, n); });
}

namespace {

// The UTC file time of a local wall-clock time, with the daylight-saving rules in force
// on that date: LocalFileTimeToFileTime would apply today's offset, an hour off for
// every file whose date lies in the other season. The rules of the date's own year come
// from GetTimeZoneInformationForYear (Vista SP1 on, looked up so that older systems
// load); without it, the zone's current rules at least give the right season.
// Each year's rules are asked for once per process: the system reads them from the
// registry, half a millisecond per file under Wine, and the payload's files share a few
// years. Called from one thread.
//
// The zone has rules of their own for a range of years only (its "Dynamic DST" entries);
// asked for a year outside it, GetTimeZoneInformationForYear gives today's rules (under
// Wine, New York in 1998 came back with the rule of 2007 on, the second Sunday of March).
// Before the first year the first year's rules held, after the last the last's: the
// year is clamped into the range that GetDynamicTimeZoneInformationEffectiveYears
// (Windows 8 on) gives, where the system has the calls and the zone such entries.
WORD RulesYear(WORD year) {
    static const auto range = [] {
        std::pair<DWORD, DWORD> years{0, 0xFFFF};
        using DynamicProc = DWORD(WINAPI*)(PDYNAMIC_TIME_ZONE_INFORMATION);
        using YearsProc = DWORD(WINAPI*)(const DYNAMIC_TIME_ZONE_INFORMATION*, LPDWORD, LPDWORD);
        const auto dynamic = tk::KernelExport<DynamicProc>("GetDynamicTimeZoneInformation");
        const auto effective =
            tk::KernelExport<YearsProc>("GetDynamicTimeZoneInformationEffectiveYears");
        DYNAMIC_TIME_ZONE_INFORMATION zone{};
        DWORD first = 0, last = 0;
        if (dynamic != nullptr && effective != nullptr && dynamic(&zone) != TIME_ZONE_ID_INVALID &&
            effective(&zone, &first, &last) == ERROR_SUCCESS && first <= last)
            years = {first, last};
        return years;
    }();
    return static_cast<WORD>(std::clamp<DWORD>(year, range.first, range.second));
}

bool LocalToUtc(const FILETIME& local, FILETIME& utc) {
    SYSTEMTIME wall{};
    SYSTEMTIME universal{};
    if (!FileTimeToSystemTime(&local, &wall)) return false;
    struct YearRules {
        WORD Year;
        bool Known;
        TIME_ZONE_INFORMATION Zone;
    };
    static std::vector<YearRules> asked;
    auto rules = std::find_if(asked.begin(), asked.end(),
                              [&](const YearRules& r) { return r.Year == wall.wYear; });
    if (rules == asked.end()) {
        using ForYearProc = BOOL(WINAPI*)(USHORT, void*, LPTIME_ZONE_INFORMATION);
        const auto forYear = tk::KernelExport<ForYearProc>("GetTimeZoneInformationForYear");
        YearRules year{wall.wYear, false, {}};
        year.Known = forYear != nullptr && forYear(RulesYear(wall.wYear), nullptr, &year.Zone);
        rules = asked.insert(asked.end(), year);
    }
    return TzSpecificLocalTimeToSystemTime(rules->Known ? &rules->Zone : nullptr, &wall,
                                           &universal) &&
           SystemTimeToFileTime(&universal, &utc);
}

} // namespace

unsigned long SetFileDosDate(const std::string& path, std::int32_t dosDateTime,
                             std::uint64_t* written) {
    // The file just written is never a link; should one have taken its place, its own
    // time is set, not that of what it leads to.
    tk::FileHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file.Valid()) return GetLastError();
    auto value = static_cast<std::uint32_t>(dosDateTime);
    FILETIME local{};
    FILETIME utc{};
    // DosDateTimeToFileTime rejects fields out of range (month 13, hour 24) without
    // always setting a last error; a failure must never come back as 0.
    SetLastError(ERROR_SUCCESS);
    if (DosDateTimeToFileTime(static_cast<WORD>(value >> 16), static_cast<WORD>(value & 0xFFFF),
                              &local) &&
        LocalToUtc(local, utc) && SetFileTime(file.Get(), nullptr, nullptr, &utc)) {
        if (written != nullptr)
            *written = (static_cast<std::uint64_t>(utc.dwHighDateTime) << 32) | utc.dwLowDateTime;
        return 0;
    }
    DWORD error = GetLastError();
    return error != ERROR_SUCCESS ? error : ERROR_INVALID_PARAMETER;
}

std::uint64_t LastWriteTime(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return 0;
    return (static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
           data.ftLastWriteTime.dwLowDateTime;
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

std::string OwnProgramPath() {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return {};
    // Started by a short name (C:\PROGRA~1\PENTAR~1\UNINST~1.EXE, as some scripts and tools
    // do), the module's path is that short name: its long form is what the program is.
    char full[MAX_PATH];
    const DWORD fullLength = GetLongPathNameA(path, full, MAX_PATH);
    if (fullLength > 0 && fullLength < MAX_PATH) return std::string(full, fullLength);
    return std::string(path, length);
}

std::string FullPath(const std::string& path) {
    if (path.empty()) return path;
    char full[MAX_PATH];
    const DWORD length = GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
    return length > 0 && length < MAX_PATH ? std::string(full, length) : path;
}

bool SameFile(const std::string& a, const std::string& b) {
    BY_HANDLE_FILE_INFORMATION first{}, second{};
    const tk::FileHandle one = OpenName(a, FILE_READ_ATTRIBUTES, 0);
    const tk::FileHandle other = OpenName(b, FILE_READ_ATTRIBUTES, 0);
    return one.Valid() && other.Valid() && GetFileInformationByHandle(one.Get(), &first) &&
           GetFileInformationByHandle(other.Get(), &second) &&
           first.dwVolumeSerialNumber == second.dwVolumeSerialNumber &&
           first.nFileIndexHigh == second.nFileIndexHigh &&
           first.nFileIndexLow == second.nFileIndexLow;
}

void* OpenToAppend(const std::string& path) {
    // FILE_APPEND_DATA alone: every write goes to the end, also when another program
    // appends to the same file between two writes.
    tk::FileHandle file(CreateFileW(tk::AnsiToWide(path).c_str(), FILE_APPEND_DATA |
                                    FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_ALWAYS, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file.Valid()) return INVALID_HANDLE_VALUE;
    // Opened as itself, a link would take the text into its own name; the system may also
    // have followed it (Wine follows every file link): either way, nothing is written.
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(file.Get(), &info) || info.nNumberOfLinks > 1 ||
        IsLink(path, info.dwFileAttributes) || !LeadsTo(file.Get(), PlaceOfName(path))) {
        SetLastError(ERROR_CANT_RESOLVE_FILENAME);
        return INVALID_HANDLE_VALUE;
    }
    return file.Release();
}

unsigned long CreateProtectedFolder(const std::string& folder, const char* sddl) {
    tk::SecurityDescriptor descriptor(sddl);
    if (descriptor.Get() == nullptr) return GetLastError();
    return CreateDirectoryW(tk::AnsiToWide(StripTrailingBackslashes(folder)).c_str(),
                            descriptor.Attributes())
               ? 0
               : GetLastError();
}

namespace {

// The system's rule: the ANSI code page's letters upper-cased as the user's locale has them
// (CharLowerBuffA, which the main window and the unattended install lower-case a folder
// with, is its other half).
std::string SystemFoldedName(std::string_view text) {
    std::string folded(text);
    if (!folded.empty()) CharUpperBuffA(folded.data(), static_cast<DWORD>(folded.size()));
    return folded;
}

// Set before WinMain and before any test runs.
[[maybe_unused]] const bool systemFolding = (SetNameFolding(SystemFoldedName), true);

} // namespace
