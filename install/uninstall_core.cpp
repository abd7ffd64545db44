#include "install/uninstall_core.h"

#include "engine/files.h"
#include "engine/payload.h"
#include "resources/product.h"
#include "toolkit/format.h"

#include <algorithm>
#include <stdexcept>

namespace {

using Paths = std::vector<std::string>;

constexpr char kLineEnd[] = "\r\n";

bool SameText(const std::string& a, const std::string& b) {
    return tk::AsciiLower(a) == tk::AsciiLower(b);
}

// True when `path` lies in `folder` (which ends in a backslash) or is the folder.
bool PathInFolder(const std::string& path, const std::string& folder) {
    return tk::AsciiLower(AddTrailingBackslash(path)).starts_with(tk::AsciiLower(folder));
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
    RecordReader(const std::string& installFolder, const std::vector<std::string>& desktops)
        : folder_(AddTrailingBackslash(installFolder)) {
        for (const std::string& desktop : desktops)
            if (!desktop.empty())
                desktops_.push_back(tk::AsciiLower(AddTrailingBackslash(desktop)));
        record_.folder = folder_;
    }

    InstallRecord Read(const std::string& text) {
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

    void ReadFormatLine(const std::string& line) const {
        if (line == InstallRecordFormatLine) return;
        const std::string base = "PentaroSetup install record ";
        if (line.starts_with(base))
            Fail("is in a format this uninstaller does not read (" + Quoted(line) + ")");
        Fail(std::string("does not begin with the line ") + Quoted(InstallRecordFormatLine));
    }

    void ReadLine(const std::string& line) {
        const std::vector<std::string> f = SplitFields(line);
        const std::string& kind = f[0];
        if (kind == "folder" && f.size() == 2)
            ReadFolder(f[1]);
        else if (kind == "file" && f.size() == 4)
            ReadFile(line, f[1], f[2], f[3]);
        else if (kind == "shortcut" && f.size() == 2)
            ReadShortcut(f[1]);
        else if (kind == "created" && f.size() == 2)
            ReadCreated(f[1]);
        else if (kind == "entry" && f.size() == 4)
            ReadEntry(line, f[1], f[2], f[3]);
        else
            NotUnderstood(line);
    }

    void ReadFolder(const std::string& folder) {
        if (hasFolder_) FailLine("the install folder a second time", folder);
        NoDotDot(folder);
        if (!SameText(AddTrailingBackslash(folder), folder_))
            FailLine("another install folder than " + folder_, folder);
        hasFolder_ = true;
    }

    void ReadFile(const std::string& line, const std::string& sizeText, const std::string& hash,
                  const std::string& name) {
        RecordedFile file;
        if (!ParseSize(sizeText, file.size) || !IsHex(hash, 64)) NotUnderstood(line);
        NoDotDot(name);
        if (!IsBareFileName(name)) FailLine("a file outside the install folder", name);
        const std::string key = FileNameKey(name);
        if (key == FileNameKey(UninstallerFile) || key == FileNameKey(InstallRecordFile))
            FailLine("the uninstaller's own file as a product file", name);
        if (std::find(fileKeys_.begin(), fileKeys_.end(), key) != fileKeys_.end())
            FailLine("a file a second time", name);
        fileKeys_.push_back(key);
        file.name = name;
        file.sha256 = tk::AsciiLower(hash);
        record_.files.push_back(std::move(file));
    }

    void ReadShortcut(const std::string& path) {
        NoDotDot(path);
        const std::string parent = tk::AsciiLower(ParentPart(path));
        const std::string name = path.substr(parent.size());
        const bool onDesktop =
            std::find(desktops_.begin(), desktops_.end(), parent) != desktops_.end();
        if (!onDesktop || !IsBareFileName(name) || name.size() <= 4 ||
            !tk::AsciiLower(name).ends_with(".lnk"))
            FailLine("a shortcut that is not on a desktop", path);
        for (const std::string& earlier : record_.shortcuts)
            if (SameText(earlier, path)) FailLine("a shortcut a second time", path);
        record_.shortcuts.push_back(path);
    }

    void ReadCreated(const std::string& path) {
        NoDotDot(path);
        const std::string folder = AddTrailingBackslash(path);
        if (!IsFolderBelowDriveRoot(folder) || !PathInFolder(folder_, folder))
            FailLine("a folder the install cannot have created", path);
        for (const std::string& earlier : record_.createdFolders)
            if (SameText(earlier, folder)) FailLine("a created folder a second time", path);
        record_.createdFolders.push_back(folder);
    }

    void ReadEntry(const std::string& line, const std::string& root, const std::string& view,
                   const std::string& key) {
        if (!record_.entry.root.empty()) FailLine("the registry entry a second time", line);
        if ((root != "HKCU" && root != "HKLM") || view != "32" ||
            !SameText(key, UninstallKeyPath()))
            FailLine("another registry entry than the product's", line);
        record_.entry = {root, view, key};
    }

    // The created folders are the install folder and, above it, the parents the run made:
    // an unbroken line up from the install folder.
    void CheckCreatedFolders() const {
        std::string expected = folder_;
        for (std::size_t i : DeepestFirst(record_.createdFolders)) {
            const std::string& folder = record_.createdFolders[i];
            if (!SameText(folder, expected))
                Fail("names created folders that do not lead down to the install folder: " +
                     Quoted(folder));
            expected = ParentPart(StripTrailingBackslashes(folder));
        }
    }

    std::string folder_;
    std::vector<std::string> desktops_; // lower case, one trailing backslash
    InstallRecord record_;
    Paths fileKeys_; // FileNameKey of each file so far
    bool hasFolder_ = false;
    int lineNumber_ = 1;
};

} // namespace

std::string UninstallKeyPath() {
    return std::string(UninstallKeyParent) + "\\" + UninstallKeyName;
}

std::string FormatInstallRecord(const InstallRecord& record) {
    std::string text = std::string(InstallRecordFormatLine) + kLineEnd;
    text += "folder\t" + AddTrailingBackslash(record.folder) + kLineEnd;
    for (const RecordedFile& file : record.files)
        text +=
            "file\t" + std::to_string(file.size) + "\t" + file.sha256 + "\t" + file.name + kLineEnd;
    for (const std::string& shortcut : record.shortcuts)
        text += "shortcut\t" + shortcut + kLineEnd;
    for (const std::string& folder : record.createdFolders)
        text += "created\t" + AddTrailingBackslash(folder) + kLineEnd;
    if (!record.entry.root.empty())
        text += "entry\t" + record.entry.root + "\t" + record.entry.view + "\t" + record.entry.key +
                kLineEnd;
    return text;
}

EUnusableRecord::EUnusableRecord(const std::string& recordPath, const std::string& reason)
    : tk::Exception(std::string(ProductName) +
                    " was not removed: the record of its installation, " + recordPath + ", " +
                    reason + ". Nothing was deleted.") {}

InstallRecord ParseInstallRecord(const std::string& text, const std::string& installFolder,
                                 const std::vector<std::string>& desktops) {
    return RecordReader(installFolder, desktops).Read(text);
}

RemovalPlan PlanRemoval(const InstallRecord& record, const DiskSnapshot& disk) {
    if (disk.files.size() != record.files.size() ||
        disk.shortcuts.size() != record.shortcuts.size() ||
        disk.createdFolders.size() != record.createdFolders.size())
        throw std::invalid_argument("PlanRemoval: the snapshot does not match the record");

    RemovalPlan plan;
    const std::string folder = AddTrailingBackslash(record.folder);
    auto addLink = [&](const std::string& path) {
        for (const std::string& link : plan.links)
            if (SameText(link, path)) return;
        plan.links.push_back(path);
    };

    if (disk.installFolder.isLink) addLink(folder);
    for (std::size_t i = 0; i < record.createdFolders.size(); ++i)
        if (disk.createdFolders[i].exists && disk.createdFolders[i].isLink)
            addLink(AddTrailingBackslash(record.createdFolders[i]));

    // The recorded files: gone already, planted links, changed, or as written.
    Paths recordedKeys;
    for (std::size_t i = 0; i < record.files.size(); ++i) {
        const RecordedFile& file = record.files[i];
        const FileOnDisk& found = disk.files[i];
        const std::string path = folder + file.name;
        recordedKeys.push_back(FileNameKey(file.name));
        if (!found.exists) continue;
        if (found.isLink)
            addLink(path);
        else if (found.isFolder)
            plan.keptAdded.push_back(path + "\\");
        else if (found.size == file.size &&
                 tk::AsciiLower(found.sha256) == tk::AsciiLower(file.sha256))
            plan.deleteFiles.push_back(path);
        else
            plan.keptChanged.push_back(path);
    }

    // The rest of the folder: the uninstaller and the record, which always go, and what
    // the user added, which always stays.
    std::string recordPath, uninstallerPath;
    for (const ListedItem& item : disk.installFolder.items) {
        if (item.name == "." || item.name == "..") continue;
        // Installed onto a desktop, the folder holds the shortcuts too: they are dealt
        // with below.
        if (std::any_of(
                record.shortcuts.begin(), record.shortcuts.end(),
                [&](const std::string& link) { return SameText(link, folder + item.name); }))
            continue;
        const std::string key = FileNameKey(item.name);
        const std::string path = folder + item.name;
        const bool isRecord = key == FileNameKey(InstallRecordFile);
        const bool isUninstaller = key == FileNameKey(UninstallerFile);
        if (std::find(recordedKeys.begin(), recordedKeys.end(), key) != recordedKeys.end()) {
            if (item.isLink) addLink(path);
        } else if ((isRecord || isUninstaller) && item.isLink) {
            addLink(path);
        } else if ((isRecord || isUninstaller) && !item.isFolder) {
            (isRecord ? recordPath : uninstallerPath) = path;
        } else {
            // A link the user made stays too, and is never followed.
            plan.keptAdded.push_back(item.isFolder ? path + "\\" : path);
        }
    }
    // The record before the uninstaller, which goes last.
    for (const std::string& path : {recordPath, uninstallerPath})
        if (!path.empty()) plan.deleteFiles.push_back(path);

    // Shortcuts: only those that still lead into this folder.
    for (std::size_t i = 0; i < record.shortcuts.size(); ++i) {
        const ShortcutOnDisk& found = disk.shortcuts[i];
        if (!found.exists) continue;
        const bool leadsHere =
            !found.isLink &&
            ((!GoesUp(found.target) && PathInFolder(found.target, folder)) ||
             tk::AsciiLower(found.arguments).find(tk::AsciiLower(folder)) != std::string::npos);
        (leadsHere ? plan.deleteShortcuts : plan.keptShortcuts).push_back(record.shortcuts[i]);
    }

    // Created folders, deepest first: one goes when everything in it goes.
    auto keptInside = [&](const std::string& dir) {
        const std::string lowerDir = tk::AsciiLower(dir);
        for (const Paths* kept : {&plan.keptChanged, &plan.keptAdded, &plan.keptFolders})
            for (const std::string& path : *kept)
                if (tk::AsciiLower(path).starts_with(lowerDir)) return true;
        return false;
    };
    auto removed = [&](const std::string& dir) {
        return std::any_of(plan.removeFolders.begin(), plan.removeFolders.end(),
                           [&](const std::string& path) { return SameText(path, dir); });
    };
    for (std::size_t i : DeepestFirst(record.createdFolders)) {
        const std::string created = AddTrailingBackslash(record.createdFolders[i]);
        const FolderOnDisk& found = disk.createdFolders[i];
        if (!found.exists || found.isLink) continue;
        // The install folder's listing has been gone through above; a parent of it must
        // hold nothing but created folders that go.
        const bool empties =
            !keptInside(created) &&
            (SameText(created, folder) ||
             std::all_of(found.items.begin(), found.items.end(), [&](const ListedItem& item) {
                 return item.name == "." || item.name == ".." ||
                        (item.isFolder && !item.isLink && removed(created + item.name + "\\"));
             }));
        (empties ? plan.removeFolders : plan.keptFolders).push_back(created);
    }

    // The entry, when it is this install's.
    if (!record.entry.root.empty() && disk.entryExists) {
        if (!disk.entryLocation.empty() &&
            SameText(AddTrailingBackslash(disk.entryLocation), folder))
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
