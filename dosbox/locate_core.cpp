#include "dosbox/locate_core.h"

#include "engine/files.h"
#include "toolkit/format.h"

#include <algorithm>

namespace {

constexpr char UninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

bool Contains(const std::string& text, const char* part) {
    return tk::AsciiLower(text).find(part) != std::string::npos;
}

// A registry value as a folder: blanks and quotes around it dropped, an executable's path
// taken for its folder.
std::string FolderOfValue(const std::string& value) {
    std::string text = value;
    text.erase(std::remove(text.begin(), text.end(), '"'), text.end());
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    text = text.substr(first, text.find_last_not_of(' ') + 1 - first);
    if (text.size() > 4 && tk::AsciiLower(text.substr(text.size() - 4)) == ".exe")
        text = ParentPart(text);
    return text;
}

unsigned Word(const std::string& bytes, size_t at) {
    return static_cast<unsigned char>(bytes[at]) | static_cast<unsigned char>(bytes[at + 1]) << 8;
}

size_t Aligned(size_t offset) {
    return (offset + 3) & ~size_t(3);
}

// The UTF-16 text from `at` to its terminating zero or `end`, as ASCII.
std::string NarrowText(const std::string& bytes, size_t at, size_t end) {
    std::string text;
    for (; at + 1 < end; at += 2) {
        const unsigned c = Word(bytes, at);
        if (c == 0) break;
        text += c < 0x80 ? static_cast<char>(c) : '?';
    }
    return text;
}

// Collects the text values named ProductName or FileDescription in the version block node
// at `at` and its children: each node is its length, its value's length, its type (1 for
// text), its key as zero-ended UTF-16, its value and its children, each part starting on
// a 4-byte boundary.
void CollectNames(const std::string& bytes, size_t at, size_t end, int depth,
                  std::vector<std::string>& found) {
    while (depth < 4 && at + 6 <= end) {
        const size_t length = Word(bytes, at);
        if (length < 6 || at + length > end) return;
        const size_t nodeEnd = at + length;
        const std::string key = NarrowText(bytes, at + 6, nodeEnd);
        const size_t value = Aligned(at + 6 + 2 * (key.size() + 1));
        const bool text = Word(bytes, at + 4) == 1;
        const size_t valueBytes = Word(bytes, at + 2) * (text ? 2 : 1);
        if (text && (key == "ProductName" || key == "FileDescription")) {
            const std::string name =
                NarrowText(bytes, value, std::min(nodeEnd, value + valueBytes));
            if (!name.empty()) found.push_back(name);
        } else if (value + valueBytes < nodeEnd)
            CollectNames(bytes, Aligned(value + valueBytes), nodeEnd, depth + 1, found);
        at = Aligned(nodeEnd);
    }
}

// The search in progress: what it has tried, and what it found.
class Search {
public:
    Search(DosBoxPlaces& places) : places_(places) {}

    // Tries `exe` (lower case); true when it is DOSBox.
    bool Try(const std::string& exe, bool fromStagingRegistry) {
        if (std::find(tried_.begin(), tried_.end(), exe) != tried_.end()) return false;
        tried_.push_back(exe);
        if (!places_.IsFile(exe)) return false;
        result_.Found = true;
        result_.Path = exe;
        result_.Build = DosBoxBuildOf(exe, fromStagingRegistry, places_.ProductName(exe));
        return true;
    }

    // Every accepted executable in `folder`.
    bool TryFolder(const std::string& folder, bool fromStagingRegistry = false) {
        const std::string base = tk::AsciiLower(AddTrailingBackslash(folder));
        if (base.empty()) return false;
        Searched(base);
        for (const char* name : DosBoxExeNames)
            if (Try(base + name, fromStagingRegistry)) return true;
        return false;
    }

    // Every accepted executable in every DOSBox entry of `folder`, in listing order.
    bool TryEntries(const std::string& folder) {
        const std::string base = tk::AsciiLower(AddTrailingBackslash(folder));
        if (base.empty()) return false;
        Searched(base + "*dosbox*");
        for (const FolderEntry& entry : places_.List(base)) {
            if (!IsDosBoxEntry(entry.Attributes, entry.Name)) continue;
            for (const char* name : DosBoxExeNames)
                if (Try(DosBoxExeCandidate(base, entry.Name, name), false)) return true;
        }
        return false;
    }

    void Searched(const std::string& place) {
        if (std::find(result_.Searched.begin(), result_.Searched.end(), place) ==
            result_.Searched.end())
            result_.Searched.push_back(place);
    }

    DosBoxPlaces& Places() { return places_; }
    DosBoxSearch Result() const { return result_; }

private:
    DosBoxPlaces& places_;
    std::vector<std::string> tried_;
    DosBoxSearch result_;
};

bool SearchIn(const DosBoxFolders& folders, Search& search) {
    // Where DOSBox 0.74 installs itself, as the installer has always looked: the first
    // DOSBox entry only.
    const std::string base = tk::AsciiLower(AddTrailingBackslash(folders.ProgramFiles));
    for (const FolderEntry& entry : search.Places().List(base)) {
        if (!IsDosBoxEntry(entry.Attributes, entry.Name)) continue;
        if (search.Try(DosBoxExeCandidate(base, entry.Name), false)) return true;
        break;
    }
    if (search.TryEntries(folders.ProgramFiles)) return true;
    if (search.TryEntries(folders.ProgramFiles64)) return true;
    if (search.TryEntries(folders.UserPrograms)) return true;
    for (const DosBoxRegistryValue& value : DosBoxRegistryValues()) {
        search.Searched(value.Describe());
        const std::string folder = FolderOfValue(search.Places().Read(value));
        if (!folder.empty() && search.TryFolder(folder, value.Staging)) return true;
    }
    if (folders.WindowsDrive.empty()) return false;
    return search.TryFolder(AddTrailingBackslash(folders.WindowsDrive) + DosBoxXFolderName);
}

} // namespace

bool IsDosBoxEntry(unsigned long attributes, const std::string& name) {
    constexpr unsigned long hidden = 0x2; // FILE_ATTRIBUTE_HIDDEN
    constexpr unsigned long system = 0x4; // FILE_ATTRIBUTE_SYSTEM
    if (attributes & (hidden | system)) return false;
    return Contains(name, "dosbox");
}

std::string DosBoxExeCandidate(const std::string& base, const std::string& entryName,
                               const std::string& exeName) {
    std::string folder = tk::AsciiLower(base + entryName);
    if (folder.empty() || folder.back() != '\\') folder += '\\';
    return folder + tk::AsciiLower(exeName);
}

std::string DosBoxRegistryValue::Describe() const {
    return tk::Format("%s\\%s, %s (%d-bit view)",
                      LocalMachine ? "HKEY_LOCAL_MACHINE" : "HKEY_CURRENT_USER", Key.c_str(),
                      Name.c_str(), View64 ? 64 : 32);
}

std::vector<DosBoxRegistryValue> DosBoxRegistryValues() {
    struct Source {
        const char* key;
        const char* name;
        bool staging;
    };
    const std::string stagingUninstall =
        std::string(UninstallKey) + "{587471B7-02F6-4F25-8D00-70006790653C}_is1";
    const std::string xUninstall =
        std::string(UninstallKey) + "{63E5D76D-0092-415C-B97C-E0D2F4F6D2EC}_is1";
    const Source sources[] = {{"Software\\dosbox-staging", "Path", true},
                              {stagingUninstall.c_str(), "InstallLocation", true},
                              {"Software\\DOSBox-X", "Path", false},
                              {xUninstall.c_str(), "InstallLocation", false}};
    std::vector<DosBoxRegistryValue> values;
    for (bool localMachine : {false, true})
        for (bool view64 : {true, false})
            for (const Source& source : sources)
                values.push_back({localMachine, view64, source.key, source.name, source.staging});
    return values;
}

DosBoxBuild DosBoxBuildOf(const std::string& exePath, bool fromStagingRegistry,
                          const std::string& productName) {
    const std::string folder = StripTrailingBackslashes(ParentPart(exePath));
    const std::string folderName = folder.substr(ParentPart(folder).size());
    if (fromStagingRegistry || Contains(folderName, "staging") || Contains(productName, "staging"))
        return DosBoxBuild::Staging;
    return DosBoxBuild::ConfOnly;
}

std::string VersionProductName(const std::string& block) {
    std::vector<std::string> found;
    CollectNames(block, 0, block.size(), 0, found);
    std::string names;
    for (const std::string& name : found)
        names += (names.empty() ? "" : " ") + name;
    return names;
}

DosBoxSearch SearchDosBox(const DosBoxFolders& folders, DosBoxPlaces& places) {
    Search search(places);
    SearchIn(folders, search);
    return search.Result();
}

DosBoxSearch NamedDosBox(const std::string& exePath, DosBoxPlaces& places) {
    Search search(places);
    const std::string exe = tk::AsciiLower(exePath);
    search.Searched(exe);
    search.Try(exe, false);
    return search.Result();
}
