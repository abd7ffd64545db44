#include "uninstall/uninstall_core.h"

#include "engine/files.h"
#include "engine/payload.h"
#include "resources/product.h"
#include "toolkit/format.h"

#include <algorithm>
#include <stdexcept>

namespace {

using Paths = std::vector<std::string>;

// The record or the uninstaller under the name an install writes it before renaming it into
// place (TemporaryFileName): left by an install that was stopped, it goes with the record.
bool IsTemporaryOfInstall(const std::string& name) {
    return SameName(name, TemporaryFileName(InstallRecordFile)) ||
           SameName(name, TemporaryFileName(UninstallerFile));
}

constexpr char kLineEnd[] = "\r\n";

// True when `path` lies in `folder` (which ends in a backslash) or is the folder.
bool PathInFolder(const std::string& path, const std::string& folder) {
    return FoldedName(AddTrailingBackslash(path)).starts_with(FoldedName(folder));
}

// A set of names by their folded form, for look-ups in constant time: a record or a folder
// may hold many, and reading must stay linear. Open addressing over FNV-1a; the installer
// stays small without the library's hash tables.
class NameSet {
public:
    // True when `name` was not in the set yet.
    bool Insert(const std::string& name) {
        std::string key = FoldedName(name);
        if (4 * (count_ + 1) > 3 * slots_.size()) Grow();
        std::size_t at = Find(key);
        if (used_[at]) return false;
        slots_[at] = std::move(key);
        used_[at] = true;
        ++count_;
        return true;
    }
    bool Contains(const std::string& name) const {
        return !slots_.empty() && used_[Find(FoldedName(name))];
    }

private:
    std::size_t Find(const std::string& key) const {
        std::uint64_t hash = 0xcbf29ce484222325ull;
        for (unsigned char c : key)
            hash = (hash ^ c) * 0x100000001b3ull;
        std::size_t at = static_cast<std::size_t>(hash) & (slots_.size() - 1);
        while (used_[at] && slots_[at] != key)
            at = (at + 1) & (slots_.size() - 1);
        return at;
    }
    void Grow() {
        std::vector<std::string> old = std::move(slots_);
        std::vector<bool> oldUsed = std::move(used_);
        slots_.assign(old.empty() ? 16 : old.size() * 2, std::string());
        used_.assign(slots_.size(), false);
        for (std::size_t i = 0; i < old.size(); ++i)
            if (oldUsed[i]) {
                const std::size_t at = Find(old[i]);
                slots_[at] = std::move(old[i]);
                used_[at] = true;
            }
    }
    std::vector<std::string> slots_; // folded names; a power of two of them
    std::vector<bool> used_;
    std::size_t count_ = 0;
};

// A full path of a drive ("c:\...") or a network share ("\\server\share\...").
bool IsFullPath(const std::string& path) {
    if (path.size() > 3 && path[1] == ':' && path[2] == '\\') {
        const char drive = static_cast<char>(path[0] | 0x20);
        return drive >= 'a' && drive <= 'z';
    }
    return path.size() > 4 && path[0] == '\\' && path[1] == '\\' && path[2] != '\\';
}

// True when one of the parts of `path` between backslashes or slashes is "..".
bool GoesUp(const std::string& path) {
    std::string rest = WithBackslashes(path);
    while (!rest.empty())
        if (SplitNextToken(rest, "\\") == "..") return true;
    return false;
}

// A folder of a drive below its root, "x:\a\b\", every part a name Windows keeps.
bool IsFolderBelowDriveRoot(const std::string& folder) {
    if (folder.size() < 4 || folder[1] != ':' || folder[2] != '\\' || folder.back() != '\\')
        return false;
    const char drive = static_cast<char>(folder[0] | 0x20);
    if (drive < 'a' || drive > 'z') return false;
    std::string rest = folder.substr(3, folder.size() - 4);
    while (!rest.empty())
        if (!IsBareFileName(SplitNextToken(rest, "\\"))) return false;
    return true;
}

bool IsHex(const std::string& text, std::size_t length) {
    return text.size() == length && std::all_of(text.begin(), text.end(), [](char c) {
               return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
           });
}

bool ParseSize(const std::string& text, std::uint64_t& size) {
    if (text.empty() || text.size() > 20) return false;
    std::uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        const unsigned digit = static_cast<unsigned>(c - '0');
        if (value > (UINT64_MAX - digit) / 10) return false;
        value = value * 10 + digit;
    }
    size = value;
    return true;
}

std::vector<std::string> SplitFields(const std::string& line) {
    std::vector<std::string> fields;
    std::string::size_type start = 0;
    for (;;) {
        const auto tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab - start));
        if (tab == std::string::npos) return fields;
        start = tab + 1;
    }
}

// The positions of `folders` ordered longest first (a folder before its parents), ties in
// their order. Insertion sort: a record names a handful, and the installer stays small.
std::vector<std::size_t> DeepestFirst(const Paths& folders) {
    std::vector<std::size_t> order;
    for (std::size_t i = 0; i < folders.size(); ++i) {
        auto at = order.begin();
        while (at != order.end() && folders[*at].size() >= folders[i].size())
            ++at;
        order.insert(at, i);
    }
    return order;
}

// `text` in double quotes, tabs shown as blanks.
std::string Quoted(std::string text) {
    std::replace(text.begin(), text.end(), '\t', ' ');
    return "\"" + text + "\"";
}

// The record parser: one line at a time, each fact checked as it is read.
class RecordReader {
public:
    explicit RecordReader(const std::string& installFolder)
        : folder_(AddTrailingBackslash(installFolder)) {
        record_.folder = folder_;
    }

    InstallRecord Read(const std::string& text) {
        if (text.size() > MaxInstallRecordBytes) Fail(RecordTooLongReason(text.size()));
        bool first = true;
        for (std::string::size_type start = 0; start < text.size();) {
            const auto end = std::min(text.find('\n', start), text.size());
            std::string line = text.substr(start, end - start);
            start = end + 1;
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (first) {
                ReadFormatLine(line);
                first = false;
            } else if (!line.empty()) {
                ReadLine(line);
            }
            ++lineNumber_;
        }
        if (first) ReadFormatLine("");
        if (!hasFolder_) Fail("does not name the install folder");
        for (const std::string& name : existed_)
            if (!fileNames_.Contains(name))
                Fail("says a file was there before the install that it does not name: " +
                     Quoted(name));
        for (RecordedFile& file : record_.files)
            file.existedBefore = existedNames_.Contains(file.name);
        CheckCreatedFolders();
        return record_;
    }

private:
    [[noreturn]] void Fail(const std::string& reason) const {
        throw EUnusableRecord(folder_ + InstallRecordFile, reason);
    }
    [[noreturn]] void FailLine(const std::string& what, const std::string& text) const {
        Fail(tk::Format("names %s on line %d: ", what.c_str(), lineNumber_) + Quoted(text));
    }
    [[noreturn]] void NotUnderstood(const std::string& line) const {
        Fail(tk::Format("has a line %d that is not understood: ", lineNumber_) + Quoted(line));
    }
    void NoDotDot(const std::string& path) const {
        if (GoesUp(path)) FailLine("a path that goes up a folder with \"..\"", path);
    }

    void ReadFormatLine(const std::string& line) {
        if (line == InstallRecordFormatLine) format_ = 3;
        else if (line == InstallRecordFormat2Line) format_ = 2;
        else if (line == InstallRecordFormat1Line) format_ = 1;
        if (format_ != 0) return;
        if (line.starts_with(InstallRecordFormatPrefix))
            Fail("is in a format this uninstaller does not read (" + Quoted(line) + ")");
        Fail(std::string("does not begin with the line ") + Quoted(InstallRecordFormatLine));
    }

    void ReadLine(const std::string& line) {
        const std::vector<std::string> f = SplitFields(line);
        const std::string& kind = f[0];
        if (kind == "folder" && f.size() == 2)
            ReadFolder(f[1]);
        else if (kind == "file" && format_ < 3 && f.size() == 4)
            ReadFile(line, f[1], f[2], "0", f[3]);
        else if (kind == "file" && format_ >= 3 && f.size() == 5)
            ReadFile(line, f[1], f[2], f[3], f[4]);
        else if (kind == "existed" && f.size() == 2)
            ReadExisted(f[1]);
        else if (kind == "shortcut" && f.size() == 2)
            ReadShortcut(f[1]);
        else if (kind == "created" && f.size() == 2)
            ReadCreated(f[1]);
        else if (kind == "entry" && f.size() == 4)
            ReadEntry(line, f[1], f[2], f[3]);
        else if (kind == "incomplete" && format_ >= 3 && f.size() == 1 && !record_.incomplete)
            record_.incomplete = true;
        else
            NotUnderstood(line);
    }

    void ReadFolder(const std::string& folder) {
        if (hasFolder_) FailLine("the install folder a second time", folder);
        NoDotDot(folder);
        if (!SameName(AddTrailingBackslash(folder), folder_))
            FailLine("another install folder than " + folder_, folder);
        // As the install wrote it: the uninstaller's own path may differ in case.
        record_.folder = AddTrailingBackslash(folder);
        hasFolder_ = true;
    }

    void ReadFile(const std::string& line, const std::string& sizeText, const std::string& hash,
                  const std::string& timeText, const std::string& name) {
        RecordedFile file;
        if (!ParseSize(sizeText, file.size) || !IsHex(hash, 64) || !ParseSize(timeText, file.time))
            NotUnderstood(line);
        NoDotDot(name);
        if (!IsBareFileName(name)) FailLine("a file outside the install folder", name);
        if (SameName(name, UninstallerFile) || SameName(name, InstallRecordFile))
            FailLine("the uninstaller's own file as a product file", name);
        if (!fileNames_.Insert(name)) FailLine("a file a second time", name);
        file.name = name;
        file.sha256 = tk::AsciiLower(hash);
        record_.files.push_back(std::move(file));
    }

    void ReadExisted(const std::string& name) {
        if (!IsBareFileName(name)) FailLine("a file outside the install folder", name);
        if (!existedNames_.Insert(name)) FailLine("a file found there a second time", name);
        existed_.push_back(name);
    }

    void ReadShortcut(const std::string& path) {
        NoDotDot(path);
        const std::string name = path.substr(ParentPart(path).size());
        if (!IsFullPath(path) || !IsBareFileName(name) || name.size() <= 4 ||
            !tk::AsciiLower(name).ends_with(".lnk"))
            FailLine("a shortcut that is not a .lnk file named by its full path", path);
        if (!shortcutPaths_.Insert(path)) FailLine("a shortcut a second time", path);
        record_.shortcuts.push_back(path);
    }

    void ReadCreated(const std::string& path) {
        NoDotDot(path);
        const std::string folder = AddTrailingBackslash(path);
        if (!IsFolderBelowDriveRoot(folder) || !PathInFolder(folder_, folder))
            FailLine("a folder the install cannot have created", path);
        // Each is a parent of the install folder: a few at most, so a look through them stays
        // linear.
        for (const std::string& earlier : record_.createdFolders)
            if (SameName(earlier, folder)) FailLine("a created folder a second time", path);
        record_.createdFolders.push_back(folder);
    }

    void ReadEntry(const std::string& line, const std::string& root, const std::string& view,
                   const std::string& key) {
        if (!record_.entry.root.empty()) FailLine("the registry entry a second time", line);
        if ((root != "HKCU" && root != "HKLM") || view != "32" ||
            !SameName(key, UninstallKeyPath()))
            FailLine("another registry entry than the product's", line);
        record_.entry = {root, view, key};
    }

    // The created folders are the install folder and, above it, the parents the run made:
    // an unbroken line up from the install folder.
    void CheckCreatedFolders() const {
        std::string expected = folder_;
        for (std::size_t i : DeepestFirst(record_.createdFolders)) {
            const std::string& folder = record_.createdFolders[i];
            if (!SameName(folder, expected))
                Fail("names created folders that do not lead down to the install folder: " +
                     Quoted(folder));
            expected = ParentPart(StripTrailingBackslashes(folder));
        }
    }

    std::string folder_;
    InstallRecord record_;
    NameSet fileNames_, existedNames_, shortcutPaths_;
    Paths existed_; // the names of the "existed" lines
    bool hasFolder_ = false;
    int format_ = 0; // the number of the format line, once read
    int lineNumber_ = 1;
};

} // namespace

std::string RecordTooLongReason(std::uint64_t bytes) {
    // In whole megabytes, rounded up: 16 MB and one byte is "17 MB long".
    return "is " + std::to_string((bytes + (1u << 20) - 1) >> 20) +
           " MB long, more than any install writes";
}

std::string UninstallKeyPath() {
    return std::string(UninstallKeyParent) + "\\" + UninstallKeyName;
}

std::string FormatInstallRecord(const InstallRecord& record) {
    std::string text = std::string(InstallRecordFormatLine) + kLineEnd;
    text += "folder\t" + AddTrailingBackslash(record.folder) + kLineEnd;
    for (const RecordedFile& file : record.files)
        text += "file\t" + std::to_string(file.size) + "\t" + file.sha256 + "\t" +
                std::to_string(file.time) + "\t" + file.name + kLineEnd;
    for (const RecordedFile& file : record.files)
        if (file.existedBefore) text += "existed\t" + file.name + kLineEnd;
    for (const std::string& shortcut : record.shortcuts)
        text += "shortcut\t" + shortcut + kLineEnd;
    for (const std::string& folder : record.createdFolders)
        text += "created\t" + AddTrailingBackslash(folder) + kLineEnd;
    if (!record.entry.root.empty())
        text += "entry\t" + record.entry.root + "\t" + record.entry.view + "\t" + record.entry.key +
                kLineEnd;
    if (record.incomplete) text += std::string("incomplete") + kLineEnd;
    return text;
}

EUnusableRecord::EUnusableRecord(const std::string& recordPath, const std::string& reason)
    : tk::Exception(std::string(ProductName) +
                    " was not removed: the record of its installation, " + recordPath + ", " +
                    reason + ". Nothing was deleted.") {}

InstallRecord ParseInstallRecord(const std::string& text, const std::string& installFolder) {
    return RecordReader(installFolder).Read(text);
}

RecordedFileState StateOfRecordedFile(const RecordedFile& file, const FileOnDisk& found) {
    if (found.size != file.size) return RecordedFileState::Changed;
    if (file.time != 0 && found.time == file.time) return RecordedFileState::Unchanged;
    if (found.sha256.empty()) return RecordedFileState::HashNeeded;
    return tk::AsciiLower(found.sha256) == tk::AsciiLower(file.sha256)
               ? RecordedFileState::Unchanged
               : RecordedFileState::Changed;
}

RemovalPlan PlanRemoval(const InstallRecord& record, const DiskSnapshot& disk) {
    if (disk.files.size() != record.files.size() ||
        disk.shortcuts.size() != record.shortcuts.size() ||
        disk.createdFolders.size() != record.createdFolders.size())
        throw std::invalid_argument("PlanRemoval: the snapshot does not match the record");

    RemovalPlan plan;
    const std::string folder = AddTrailingBackslash(record.folder);
    NameSet linkSet;
    auto addLink = [&](const std::string& path) {
        if (linkSet.Insert(path)) plan.links.push_back(path);
    };

    if (disk.installFolder.isLink) addLink(folder);
    for (std::size_t i = 0; i < record.createdFolders.size(); ++i)
        if (disk.createdFolders[i].exists && disk.createdFolders[i].isLink)
            addLink(AddTrailingBackslash(record.createdFolders[i]));

    // The recorded files: gone already, planted links, there before the install, changed,
    // or as written.
    NameSet recorded;
    for (std::size_t i = 0; i < record.files.size(); ++i) {
        const RecordedFile& file = record.files[i];
        const FileOnDisk& found = disk.files[i];
        const std::string path = folder + file.name;
        recorded.Insert(file.name);
        if (!found.exists) continue;
        if (found.isLink)
            addLink(path);
        else if (found.isFolder)
            plan.keptAdded.push_back(path + "\\");
        else if (file.existedBefore)
            plan.keptExisted.push_back(path);
        else if (StateOfRecordedFile(file, found) == RecordedFileState::Unchanged)
            plan.deleteFiles.push_back(path);
        else
            plan.keptChanged.push_back(path); // changed, or not read: kept either way
    }

    // Installed onto a desktop, the folder holds the shortcuts too: they are dealt with
    // below.
    NameSet shortcutsHere;
    for (std::size_t i = 0; i < record.shortcuts.size(); ++i) {
        const std::string& at =
            disk.shortcuts[i].path.empty() ? record.shortcuts[i] : disk.shortcuts[i].path;
        if (SameName(ParentPart(at), folder)) shortcutsHere.Insert(at.substr(folder.size()));
    }

    // The rest of the folder: the uninstaller and the record (and the temporary record of
    // an install that was stopped), which always go, and what the user added, which always
    // stays.
    std::string recordPath, uninstallerPath;
    std::vector<std::string> temporaryPaths;
    for (const ListedItem& item : disk.installFolder.items) {
        if (item.name == "." || item.name == ".." || shortcutsHere.Contains(item.name)) continue;
        const std::string path = folder + item.name;
        const bool isRecord = SameName(item.name, InstallRecordFile);
        const bool isUninstaller = SameName(item.name, UninstallerFile);
        const bool isTemporary = IsTemporaryOfInstall(item.name);
        if (recorded.Contains(item.name)) {
            if (item.isLink) addLink(path);
        } else if ((isRecord || isUninstaller || isTemporary) && item.isLink) {
            addLink(path);
        } else if ((isRecord || isUninstaller || isTemporary) && !item.isFolder) {
            if (isTemporary)
                temporaryPaths.push_back(path);
            else
                (isRecord ? recordPath : uninstallerPath) = path;
        } else {
            // A link the user made stays too, and is never followed.
            plan.keptAdded.push_back(item.isFolder ? path + "\\" : path);
        }
    }
    // The record before the uninstaller, which goes last.
    plan.deleteFiles.insert(plan.deleteFiles.end(), temporaryPaths.begin(), temporaryPaths.end());
    for (const std::string& path : {recordPath, uninstallerPath})
        if (!path.empty()) plan.deleteFiles.push_back(path);

    // Shortcuts: only those in today's desktops and Start menus that still lead into this
    // folder.
    for (std::size_t i = 0; i < record.shortcuts.size(); ++i) {
        const ShortcutOnDisk& found = disk.shortcuts[i];
        if (!found.exists) continue;
        const std::string& at = found.path.empty() ? record.shortcuts[i] : found.path;
        const bool leadsHere =
            found.inShortcutFolder && !found.isLink &&
            ((!GoesUp(found.target) && PathInFolder(found.target, folder)) ||
             FoldedName(found.arguments).find(FoldedName(folder)) != std::string::npos);
        (leadsHere ? plan.deleteShortcuts : plan.keptShortcuts).push_back(at);
    }

    // Created folders, deepest first: one goes when everything in it goes.
    auto keptInside = [&](const std::string& dir) {
        const std::string foldedDir = FoldedName(dir);
        for (const Paths* kept :
             {&plan.keptChanged, &plan.keptExisted, &plan.keptAdded, &plan.keptFolders})
            for (const std::string& path : *kept)
                if (FoldedName(path).starts_with(foldedDir)) return true;
        return false;
    };
    auto removed = [&](const std::string& dir) {
        return std::any_of(plan.removeFolders.begin(), plan.removeFolders.end(),
                           [&](const std::string& path) { return SameName(path, dir); });
    };
    for (std::size_t i : DeepestFirst(record.createdFolders)) {
        const std::string created = AddTrailingBackslash(record.createdFolders[i]);
        const FolderOnDisk& found = disk.createdFolders[i];
        if (!found.exists || found.isLink) continue;
        // The install folder's listing has been gone through above; a parent of it must
        // hold nothing but created folders that go.
        const bool empties =
            !keptInside(created) &&
            (SameName(created, folder) ||
             std::all_of(found.items.begin(), found.items.end(), [&](const ListedItem& item) {
                 return item.name == "." || item.name == ".." ||
                        (item.isFolder && !item.isLink && removed(created + item.name + "\\"));
             }));
        (empties ? plan.removeFolders : plan.keptFolders).push_back(created);
    }

    // The entry, when it is this install's.
    if (!record.entry.root.empty() && disk.entryExists) {
        if (!disk.entryLocation.empty() &&
            SameName(AddTrailingBackslash(disk.entryLocation), folder))
            plan.removeEntry = true;
        else
            plan.entryPointsElsewhere = true;
    }

    if (plan.Refused()) {
        plan.deleteFiles.clear();
        plan.deleteShortcuts.clear();
        plan.removeFolders.clear();
        plan.removeEntry = false;
    }
    return plan;
}

std::vector<RemovalStep> RemovalOrder(const RemovalPlan& plan) {
    RemovalStep together{RemovalStep::Together, {}};
    RemovalStep record{RemovalStep::Record, {}};
    RemovalStep uninstaller{RemovalStep::Uninstaller, {}};
    for (const std::string& path : plan.deleteFiles) {
        const std::string name = path.substr(ParentPart(path).size());
        if (SameName(name, UninstallerFile))
            uninstaller.paths.push_back(path);
        else if (SameName(name, InstallRecordFile) || IsTemporaryOfInstall(name))
            record.paths.push_back(path);
        else
            together.paths.push_back(path);
    }
    together.paths.insert(together.paths.end(), plan.deleteShortcuts.begin(),
                          plan.deleteShortcuts.end());
    std::vector<RemovalStep> steps;
    if (!together.paths.empty()) steps.push_back(std::move(together));
    if (plan.removeEntry) steps.push_back({RemovalStep::Entry, {}});
    if (!record.paths.empty()) steps.push_back(std::move(record));
    if (!uninstaller.paths.empty()) steps.push_back(std::move(uninstaller));
    if (!plan.removeFolders.empty()) steps.push_back({RemovalStep::Folders, plan.removeFolders});
    return steps;
}

std::vector<std::string> ShortcutPlaces(const std::string& recorded,
                                        const std::vector<std::string>& folders) {
    const std::string parent = ParentPart(recorded);
    const std::string name = recorded.substr(parent.size());
    for (const std::string& folder : folders)
        if (!folder.empty() && SameName(AddTrailingBackslash(folder), parent)) return {recorded};
    std::vector<std::string> places;
    for (const std::string& folder : folders)
        if (!folder.empty()) places.push_back(AddTrailingBackslash(folder) + name);
    return places;
}

std::string KeptVersionName(const std::string& name, const std::string& date, int number) {
    const std::string::size_type dot = name.rfind('.');
    const std::string stem = dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
    const std::string extension = stem.size() == name.size() ? "" : name.substr(dot);
    return stem + " (your version of " + date +
           (number > 1 ? " " + std::to_string(number) : std::string()) + ")" + extension;
}

FoundFileAction ActionForFoundFile(const FileOnDisk& found, std::uint64_t itemSize,
                                   const std::string& itemSha256, const RecordedFile* earlier,
                                   bool earlierIncomplete) {
    FoundFileAction action;
    // Nothing there, or a name the write replaces by its own name (a link) or cannot replace
    // (a folder): nothing to keep.
    if (!found.exists || found.isFolder || found.isLink) return action;
    if (found.size == itemSize && !found.sha256.empty() &&
        tk::AsciiLower(found.sha256) == tk::AsciiLower(itemSha256)) {
        // The product's bytes: the earlier install's, or a stopped run's. A file an earlier
        // install recorded as found there stays someone else's.
        action.existedBefore = earlier != nullptr && earlier->existedBefore;
        return action;
    }
    if (earlier != nullptr && earlierIncomplete && found.size < earlier->size) {
        action.existedBefore = earlier->existedBefore;
        return action;
    }
    action.keepUsersVersion = true;
    return action;
}

std::string LinksRefusalMessage(const std::vector<std::string>& links) {
    std::string message = std::string(ProductName) +
                          " was not removed: where the installation put these, there are now "
                          "links to other places, which the uninstaller does not delete "
                          "through:\r\n";
    for (const std::string& link : links)
        message += "\r\n" + link;
    message += "\r\n\r\nRemove the links, then start the uninstaller again. Nothing was deleted.";
    return message;
}
