#include "install/uninstall_record.h"

#include "dosbox/shortcuts.h"
#include "engine/files.h"
#include "engine/sha256.h"
#include "resources/product.h"
#include "toolkit/format.h"
#include "toolkit/handles_win.h"

#include <windows.h>

#include <shlobj.h>

namespace {

std::vector<std::string> Desktops() {
    return {AddTrailingBackslash(GetSpecialFolderPath(CSIDL_DESKTOPDIRECTORY)),
            AddTrailingBackslash(GetSpecialFolderPath(CSIDL_COMMON_DESKTOPDIRECTORY))};
}

bool SameText(const std::string& a, const std::string& b) {
    return tk::AsciiLower(a) == tk::AsciiLower(b);
}

// The record already in `folder`, or nothing when there is none that can be used; its
// shortcuts may also lie on `desktop`.
bool ReadOldRecord(const std::string& folder, const std::string& desktop, InstallRecord& record) {
    std::string text;
    if (ReadFileBytes(folder + InstallRecordFile, text) != 0) return false;
    std::vector<std::string> desktops = Desktops();
    desktops.push_back(desktop);
    try {
        record = ParseInstallRecord(text, folder, desktops);
        return true;
    } catch (const tk::Exception&) {
        return false;
    }
}

} // namespace

unsigned long WriteInstallRecordFile(const InstallFacts& facts, std::string& earlierRoot) {
    InstallRecord record;
    record.folder = facts.Folder;
    record.files = facts.Files;
    record.shortcuts = facts.Shortcuts;
    record.createdFolders = facts.CreatedFolders;
    record.entry = RecordedEntry{facts.AllUsers ? "HKLM" : "HKCU", EntryView, UninstallKeyPath()};

    // Installed again into the same folder: what the earlier install made and this one did
    // not make again is still the product's (the folders it created, a shortcut).
    InstallRecord old;
    if (ReadOldRecord(facts.Folder, facts.Desktop, old)) {
        earlierRoot = old.entry.root;
        if (record.createdFolders.empty()) record.createdFolders = old.createdFolders;
        for (const RecordedFile& file : old.files) {
            bool known = false;
            for (const RecordedFile& written : record.files)
                known = known || SameText(written.name, file.name);
            if (!known) record.files.push_back(file);
        }
        for (const std::string& link : old.shortcuts) {
            bool known = false;
            for (const std::string& made : record.shortcuts)
                known = known || SameText(made, link);
            if (!known) record.shortcuts.push_back(link);
        }
    }

    const std::string path = facts.Folder + InstallRecordFile;
    const std::string temporary = path + ".new";
    if (unsigned long error = WriteFileChecked(temporary, FormatInstallRecord(record)); error != 0)
        return error;
    // The rename replaces whatever name is there, a link included, never what it leads to.
    if (!MoveFileExA(temporary.c_str(), path.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD error = GetLastError();
        DeleteFileA(temporary.c_str());
        return error;
    }
    return 0;
}

namespace {

// The listing of `folder` (ending in a backslash), links marked.
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
        listed.isLink = (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 ||
                        IsLinkedName(folder + item);
        found.items.push_back(listed);
    } while (FindNextFileA(search.Get(), &entry));
    return found;
}

FileOnDisk LookAtFile(const std::string& path, const RecordedFile& recorded) {
    FileOnDisk found;
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return found;
    found.exists = true;
    found.isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    found.isLink = IsLinkedName(path);
    found.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    // Hashed as it is read: a knowledge base of tens of MB need not be held whole.
    Sha256 hash;
    if (!found.isFolder && !found.isLink && found.size == recorded.size &&
        ReadFilePieces(path, [&](const char* piece, std::size_t n) { hash.Update(piece, n); }) ==
            0)
        found.sha256 = HexOf(hash.Finish());
    return found;
}

ShortcutOnDisk LookAtShortcut(const std::string& path) {
    ShortcutOnDisk found;
    found.exists = FileExists(path);
    if (!found.exists) return found;
    found.isLink = IsLinkedName(path);
    if (!found.isLink) ReadShellLink(path, found.target, found.arguments);
    return found;
}

} // namespace

UninstallPlan PlanUninstall(const std::string& folder) {
    // No removal through a link on the way to the folder (a linked parent): ELinkedPath.
    RefuseLinkedFolders(folder);
    const std::string recordPath = folder + InstallRecordFile;
    std::string text;
    if (IsLinkedName(recordPath)) throw EUnusableRecord(recordPath, "is a link");
    if (const unsigned long error = ReadFileBytes(recordPath, text); error != 0)
        throw EUnusableRecord(recordPath,
                              error == ERROR_FILE_NOT_FOUND ? "is missing" : "cannot be read");
    UninstallPlan result;
    result.Record = ParseInstallRecord(text, folder, Desktops());
    const InstallRecord& record = result.Record;

    DiskSnapshot disk;
    disk.installFolder = LookAtFolder(folder);
    for (const RecordedFile& file : record.files)
        disk.files.push_back(LookAtFile(folder + file.name, file));
    for (const std::string& link : record.shortcuts)
        disk.shortcuts.push_back(LookAtShortcut(link));
    for (const std::string& created : record.createdFolders)
        disk.createdFolders.push_back(
            SameText(AddTrailingBackslash(created), folder)
                ? FolderOnDisk{disk.installFolder.exists, disk.installFolder.isLink, {}}
                : LookAtFolder(AddTrailingBackslash(created)));
    disk.entryLocation = EntryInstallLocation(record.entry.root == "HKLM", disk.entryExists);
    result.Plan = PlanRemoval(record, disk);
    return result;
}
