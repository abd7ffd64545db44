#include "uninstall/uninstall_record.h"

#include "dosbox/conf_core.h"
#include "dosbox/shortcuts.h"
#include "engine/files.h"
#include "engine/pe_file_win.h"
#include "engine/sha256.h"
#include "resources/product.h"
#include "toolkit/format.h"
#include "toolkit/handles_win.h"
#include "toolkit/text_win.h"
#include "toolkit/win32_error.h"
#include "uninstall/entry.h"

#include <windows.h>

#include <shlobj.h>

std::vector<std::string> ShortcutFolders() {
    std::vector<std::string> folders;
    for (const int csidl : {CSIDL_DESKTOPDIRECTORY, CSIDL_COMMON_DESKTOPDIRECTORY, CSIDL_PROGRAMS,
                            CSIDL_COMMON_PROGRAMS})
        if (const std::string folder = GetSpecialFolderPath(csidl); !folder.empty())
            folders.push_back(AddTrailingBackslash(folder));
    return folders;
}

namespace {

// A resource every uninstaller of this installer carries (beside the DOSBox template): the
// main window's layout.
constexpr char kMainFormLayout[] = "TMainForm";

// Reads the record file `path` (by name, or through `held`), never more than one byte past
// the longest record: a larger file is refused by its length before anything is read.
// Raises EUnusableRecord.
std::string RecordText(const std::string& recordPath, void* held) {
    if (IsLinkedName(recordPath)) throw EUnusableRecord(recordPath, "is a link");
    std::uint64_t size = 0;
    if (held != nullptr) {
        LARGE_INTEGER length{};
        if (GetFileSizeEx(held, &length)) size = static_cast<std::uint64_t>(length.QuadPart);
    } else {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        if (GetFileAttributesExA(recordPath.c_str(), GetFileExInfoStandard, &data))
            size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    }
    if (size > MaxInstallRecordBytes)
        throw EUnusableRecord(recordPath, RecordTooLongReason(size));
    std::string text;
    bool tooLong = false;
    const auto take = [&](const char* piece, std::size_t n) {
        if (text.size() + n > MaxInstallRecordBytes) tooLong = true;
        if (!tooLong) text.append(piece, n);
    };
    const unsigned long error =
        held != nullptr ? ReadHandlePieces(held, take) : ReadFilePieces(recordPath, take);
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
        throw EUnusableRecord(recordPath, "is missing");
    if (error != 0) throw EUnusableRecord(recordPath, "cannot be read");
    // Grown while it was read: refused by its length all the same.
    if (tooLong) throw EUnusableRecord(recordPath, RecordTooLongReason(MaxInstallRecordBytes + 1));
    return text;
}

// The first `limit` bytes of the file `path` (fewer when it is shorter), never through a
// link, and no further; false when it cannot be read.
bool ReadFileStart(const std::string& path, std::size_t limit, std::string& start) {
    tk::FileHandle file(CreateFileA(
        path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file.Valid()) return false;
    start.assign(limit, '\0');
    std::size_t done = 0;
    while (done < limit) {
        DWORD read = 0;
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(limit - done, 1u << 20));
        if (!ReadFile(file.Get(), start.data() + done, want, &read, nullptr)) return false;
        if (read == 0) break;
        done += read;
    }
    start.resize(done);
    return true;
}

} // namespace

bool ReadEarlierRecord(const std::string& folder, InstallRecord& record) {
    try {
        record = ParseInstallRecord(RecordText(folder + InstallRecordFile, nullptr), folder);
        return true;
    } catch (const tk::Exception&) {
        return false;
    }
}

std::string ForeignUninstallerFile(const std::string& folder) {
    const std::string record = folder + InstallRecordFile;
    if (FileExists(record) && !IsLinkedName(record)) {
        std::string start;
        const std::size_t prefix = sizeof InstallRecordFormatPrefix - 1;
        if (!ReadFileStart(record, prefix, start) || start != InstallRecordFormatPrefix)
            return record;
    }
    const std::string uninstaller = folder + UninstallerFile;
    if (FileExists(uninstaller) && !IsLinkedName(uninstaller)) {
        // This installer's uninstaller carries the window layouts and the DOSBox template;
        // a file that does not is another program's. Read where the resource directory
        // points, never whole: a signed installer writes itself whole as its uninstaller.
        tk::FileHandle file(CreateFileW(tk::AnsiToWide(uninstaller).c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT,
                                        nullptr));
        if (!file.Valid()) return uninstaller;
        try {
            const PeFileOnHandle image(file.Get());
            bool layout = false, conf = false;
            ReadRcData(image, kMainFormLayout, layout);
            ReadRcData(image, kDosBoxConfResource, conf);
            if (!layout || !conf) return uninstaller;
        } catch (const tk::Exception&) {
            return uninstaller;
        }
    }
    return {};
}

unsigned long WriteInstallRecordFile(InstallRecord record, std::string& earlierRoot) {
    // Installed again into the same folder: what the earlier install made and this one did
    // not make again is still the product's (the folders it created, a shortcut).
    InstallRecord old;
    if (ReadEarlierRecord(record.folder, old)) {
        earlierRoot = old.entry.root;
        if (record.createdFolders.empty()) record.createdFolders = old.createdFolders;
        if (record.entry.root.empty()) record.entry = old.entry;
        std::vector<std::string> written, made;
        for (const RecordedFile& file : record.files)
            written.push_back(FoldedName(file.name));
        for (const std::string& link : record.shortcuts)
            made.push_back(FoldedName(link));
        // A handful of files and shortcuts each: the earlier record was read by the same
        // rules, so its lists are as short.
        for (const RecordedFile& file : old.files)
            if (std::find(written.begin(), written.end(), FoldedName(file.name)) == written.end())
                record.files.push_back(file);
        for (const std::string& link : old.shortcuts)
            if (std::find(made.begin(), made.end(), FoldedName(link)) == made.end())
                record.shortcuts.push_back(link);
    }

    const std::string text = FormatInstallRecord(record);
    return WriteFileAnew(record.folder + InstallRecordFile,
                         [&](const PieceWriter& write) { write(text.data(), text.size()); });
}

// --- What an install finds before it writes ---

FoundFiles::FoundFiles(const std::string& folder) : folder_(AddTrailingBackslash(folder)) {
    hasEarlier_ = ReadEarlierRecord(folder_, earlier_);
}

unsigned long FoundFiles::Prepare(const std::string& name, std::uint64_t itemSize,
                                  const std::string& itemSha256) {
    const std::string path = folder_ + name;
    WIN32_FILE_ATTRIBUTE_DATA data{};
    FileOnDisk found;
    if (GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) {
        found.exists = true;
        found.isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        found.isLink = IsLinkedName(path);
        found.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    } else if (const DWORD error = GetLastError();
               error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) {
        return error; // there, but not to be looked at: never written over unseen
    }
    if (found.exists && !found.isFolder && !found.isLink && found.size == itemSize) {
        Sha256 sha;
        if (const unsigned long error =
                ReadFilePieces(path, [&](const char* piece, std::size_t n) { sha.Update(piece, n); });
            error != 0)
            return error;
        found.sha256 = HexOf(sha.Finish());
    }
    const RecordedFile* earlier = nullptr;
    if (hasEarlier_)
        for (const RecordedFile& file : earlier_.files)
            if (SameName(file.name, name)) earlier = &file;
    const FoundFileAction action =
        ActionForFoundFile(found, itemSize, itemSha256, earlier, hasEarlier_ && earlier_.incomplete);
    if (action.existedBefore) existed_.push_back(FoldedName(name));
    if (!action.keepUsersVersion) return 0;

    // Named after the day the user last changed it.
    FILETIME local{};
    SYSTEMTIME day{};
    FileTimeToLocalFileTime(&data.ftLastWriteTime, &local);
    FileTimeToSystemTime(&local, &day);
    const std::string date = tk::Format("%04u-%02u-%02u", day.wYear, day.wMonth, day.wDay);
    for (int number = 1; number < 1000; ++number) {
        const std::string keptName = KeptVersionName(name, date, number);
        // Never over anything that is there: the move fails instead.
        if (MoveFileExA(path.c_str(), (folder_ + keptName).c_str(), 0)) {
            kept_.push_back(path + ", kept as " + keptName);
            return 0;
        }
        const DWORD error = GetLastError();
        if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) return error;
    }
    return ERROR_FILE_EXISTS;
}

bool FoundFiles::ExistedBefore(const std::string& name) const {
    return std::find(existed_.begin(), existed_.end(), FoldedName(name)) != existed_.end();
}

// --- What the uninstaller finds ---

FolderOnDisk LookAtFolder(const std::string& folder) {
    FolderOnDisk found;
    const std::string name = StripTrailingBackslashes(folder);
    found.exists = DirectoryExists(name);
    if (!found.exists) return found;
    found.isLink = IsLinkedName(name);
    if (found.isLink) return found; // never looked into
    WIN32_FIND_DATAA entry{};
    tk::FindHandle search(FindFirstFileA((folder + "*").c_str(), &entry));
    if (!search.Valid()) return found;
    do {
        const std::string item = entry.cFileName;
        if (item == "." || item == "..") continue;
        ListedItem listed;
        listed.name = item;
        listed.isFolder = (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        // The one link rule: a reparse point that leads elsewhere (a name surrogate); the
        // cloud files of a OneDrive folder keep their data in place and are no links.
        listed.isLink = IsLinkedName(folder + item);
        found.items.push_back(listed);
    } while (FindNextFileA(search.Get(), &entry));
    return found;
}

namespace {

// The snapshot's parts that do not depend on how the files are read.
void LookAround(const std::string& folder, const InstallRecord& record, DiskSnapshot& disk) {
    disk.installFolder = LookAtFolder(folder);
    for (const std::string& created : record.createdFolders)
        disk.createdFolders.push_back(
            SameName(AddTrailingBackslash(created), folder)
                ? FolderOnDisk{disk.installFolder.exists, disk.installFolder.isLink, {}}
                : LookAtFolder(AddTrailingBackslash(created)));
    disk.entryLocation = EntryInstallLocation(record.entry.root == "HKLM", disk.entryExists);
}

// Where the recorded shortcut is today (ShortcutPlaces), or where the record says when it
// is in none of today's shortcut folders; `path` empty when it is nowhere.
void FindShortcut(const std::string& recorded, const std::vector<std::string>& folders,
                  ShortcutOnDisk& found, std::string& path) {
    const std::vector<std::string> places = ShortcutPlaces(recorded, folders);
    for (const std::string& place : places)
        if (FileExists(place) || IsLinkedName(place)) {
            path = place;
            found.exists = true;
            if (!SameName(place, recorded)) found.path = place;
            return;
        }
    const bool inShortcutFolder = places.size() == 1 && SameName(places[0], recorded);
    if (!inShortcutFolder && (FileExists(recorded) || IsLinkedName(recorded))) {
        path = recorded;
        found.exists = true;
        found.inShortcutFolder = false;
    }
}

} // namespace

UninstallPlan PlanUninstall(const std::string& folder) {
    // No removal through a link on the way to the folder (a linked parent): ELinkedPath.
    RefuseLinkedFolders(folder);
    UninstallPlan result;
    result.Record = ParseInstallRecord(RecordText(folder + InstallRecordFile, nullptr), folder);
    const InstallRecord& record = result.Record;

    DiskSnapshot disk;
    LookAround(folder, record, disk);
    // A first look: sizes only (the hashes are taken through the held handles).
    for (const RecordedFile& file : record.files) {
        const std::string path = folder + file.name;
        FileOnDisk found;
        WIN32_FILE_ATTRIBUTE_DATA data{};
        if (GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) {
            found.exists = true;
            found.isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
            found.isLink = IsLinkedName(path);
            found.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        }
        disk.files.push_back(found);
    }
    const std::vector<std::string> shortcutFolders = ShortcutFolders();
    for (const std::string& link : record.shortcuts) {
        ShortcutOnDisk found;
        std::string path;
        FindShortcut(link, shortcutFolders, found, path);
        if (found.exists) found.isLink = IsLinkedName(path);
        disk.shortcuts.push_back(found);
    }
    result.Plan = PlanRemoval(record, disk);
    return result;
}

const HeldRemoval::Held* HeldRemoval::Find(const std::string& path) const {
    for (const Held& held : Handles)
        if (SameName(held.path, path)) return &held;
    return nullptr;
}

HeldRemoval HoldAndPlan(const std::string& folder) {
    RefuseLinkedFolders(folder);
    HeldRemoval result;
    // Opens `path` to hold it (then the last of Handles); what is there: 1 held, 0 nothing
    // there, -1 refused.
    const auto hold = [&](const std::string& path, HeldFileInfo& info) {
        auto handle = std::make_unique<tk::FileHandle>(OpenForRemoval(path));
        if (!handle->Valid()) {
            const DWORD error = GetLastError();
            if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return 0;
            result.Refused.push_back(path + ": " + tk::SystemErrorMessage(error));
            if (error != ERROR_ACCESS_DENIED) result.Denied = false;
            return -1;
        }
        if (const unsigned long error = HeldFileInformation(handle->Get(), path, info);
            error != 0) {
            result.Refused.push_back(path + ": " + tk::SystemErrorMessage(error));
            result.Denied = false;
            return -1;
        }
        result.Handles.push_back({path, std::move(handle), info.readOnly});
        return 1;
    };

    const std::string recordPath = folder + InstallRecordFile;
    HeldFileInfo recordInfo;
    const int recordHeld = hold(recordPath, recordInfo);
    if (recordHeld == 0) throw EUnusableRecord(recordPath, "is missing");
    if (recordHeld < 0) return result; // in use: the caller asks to retry
    if (recordInfo.isLink) throw EUnusableRecord(recordPath, "is a link");
    UninstallPlan& planned = result.Planned;
    planned.Record =
        ParseInstallRecord(RecordText(recordPath, result.Handles.back().handle->Get()), folder);
    const InstallRecord& record = planned.Record;

    DiskSnapshot disk;
    for (const RecordedFile& file : record.files) {
        const std::string path = folder + file.name;
        FileOnDisk found;
        HeldFileInfo info;
        const int held = hold(path, info);
        found.exists = held != 0;
        found.isFolder = info.isFolder;
        found.isLink = info.isLink;
        found.size = info.size;
        found.time = info.lastWrite;
        // Read only when size and time cannot tell.
        Sha256 sha;
        if (held > 0 && !info.isFolder && !info.isLink &&
            StateOfRecordedFile(file, found) == RecordedFileState::HashNeeded &&
            ReadHandlePieces(result.Handles.back().handle->Get(),
                             [&](const char* piece, std::size_t n) { sha.Update(piece, n); }) == 0)
            found.sha256 = HexOf(sha.Finish());
        disk.files.push_back(found);
    }
    const std::vector<std::string> shortcutFolders = ShortcutFolders();
    for (const std::string& link : record.shortcuts) {
        ShortcutOnDisk found;
        std::string path;
        FindShortcut(link, shortcutFolders, found, path);
        HeldFileInfo info;
        if (found.exists && hold(path, info) > 0) {
            found.isLink = info.isLink;
            std::string bytes;
            if (!info.isLink && !info.isFolder && info.size < (1u << 20) &&
                ReadHandlePieces(
                    result.Handles.back().handle->Get(),
                    [&](const char* piece, std::size_t n) { bytes.append(piece, n); }) == 0)
                ReadShellLinkBytes(bytes, found.target, found.arguments);
        }
        disk.shortcuts.push_back(found);
    }
    // What an install left under its temporary names when it was stopped.
    HeldFileInfo info;
    hold(TemporaryFileName(recordPath), info);
    hold(TemporaryFileName(folder + UninstallerFile), info);
    // The listing last, after everything it may name is held.
    LookAround(folder, record, disk);
    planned.Plan = PlanRemoval(record, disk);
    return result;
}
