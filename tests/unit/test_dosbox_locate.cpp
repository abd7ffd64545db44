#include "dosbox/locate_core.h"

#include "toolkit/format.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace {

constexpr unsigned long Folder = 0x10, File = 0x20, Hidden = 0x2, System = 0x4;

// A computer as the search sees it: folder listings in file-system order, the files that
// exist, registry values by their description, executables' product names.
struct FakePlaces : DosBoxPlaces {
    std::map<std::string, std::vector<FolderEntry>> listings;
    std::set<std::string> files; // lower case
    std::map<std::string, std::string> registry;
    std::map<std::string, std::string> products;

    std::vector<FolderEntry> List(const std::string& folder) override {
        auto found = listings.find(folder);
        return found == listings.end() ? std::vector<FolderEntry>{} : found->second;
    }
    std::string Read(const DosBoxRegistryValue& value) override {
        auto found = registry.find(value.Describe());
        return found == registry.end() ? "" : found->second;
    }
    bool IsFile(const std::string& path) override { return files.count(tk::AsciiLower(path)) > 0; }
    std::string ProductName(const std::string& exe) override {
        auto found = products.find(exe);
        return found == products.end() ? "" : found->second;
    }
};

const DosBoxFolders Folders{"C:\\Program Files (x86)", "C:\\Program Files",
                            "C:\\Users\\ann\\AppData\\Local\\Programs", "C:\\"};
constexpr char X86[] = "c:\\program files (x86)\\";
constexpr char X64[] = "c:\\program files\\";
constexpr char User[] = "c:\\users\\ann\\appdata\\local\\programs\\";
const std::string StagingPath = "HKEY_CURRENT_USER\\Software\\dosbox-staging, Path (64-bit view)";
const std::string StagingUninstall =
    "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
    "{587471B7-02F6-4F25-8D00-70006790653C}_is1, InstallLocation (64-bit view)";
const std::string XPath = "HKEY_LOCAL_MACHINE\\Software\\DOSBox-X, Path (32-bit view)";

struct Case {
    const char* what;
    std::map<std::string, std::vector<FolderEntry>> listings;
    std::set<std::string> files;
    std::map<std::string, std::string> registry;
    std::map<std::string, std::string> products;
    std::string found; // empty: none
    DosBoxBuild build;
};

std::string In(const char* base, const char* rest) {
    return std::string(base) + rest;
}

} // namespace

TEST(IsDosBoxEntry, NameContainsDosBoxAndEntryIsVisible) {
    const unsigned long folder = 0x10, normal = 0x80, archive = 0x20, readOnly = 0x1;
    EXPECT_TRUE(IsDosBoxEntry(folder, "DOSBox-0.74"));
    EXPECT_TRUE(IsDosBoxEntry(folder, "DOSBox"));
    EXPECT_TRUE(IsDosBoxEntry(folder | readOnly, "mydosboxtools"));
    EXPECT_TRUE(IsDosBoxEntry(archive, "dosbox.txt")); // files are candidates too
    EXPECT_TRUE(IsDosBoxEntry(normal, "DosBox"));
    EXPECT_FALSE(IsDosBoxEntry(folder, "dos box"));
    EXPECT_FALSE(IsDosBoxEntry(folder, "Common Files"));
    EXPECT_FALSE(IsDosBoxEntry(folder | 0x2, "DOSBox"));        // hidden
    EXPECT_FALSE(IsDosBoxEntry(folder | 0x4, "DOSBox"));        // system
    EXPECT_FALSE(IsDosBoxEntry(archive | 0x2 | 0x4, "dosbox")); // both
}

TEST(DosBoxExeCandidate, LowerCasePathOfTheExecutable) {
    EXPECT_EQ(DosBoxExeCandidate("c:\\program files (x86)\\", "DOSBox-0.74"),
              "c:\\program files (x86)\\dosbox-0.74\\dosbox.exe");
    // Without a special folder the search runs in the current directory.
    EXPECT_EQ(DosBoxExeCandidate("", "DOSBox"), "dosbox\\dosbox.exe");
    EXPECT_EQ(DosBoxExeCandidate("c:\\", "DOSBox-X", "DOSBox-X.exe"), "c:\\dosbox-x\\dosbox-x.exe");
}

TEST(SearchDosBox, PlacesInTheirOrderAndTheBuildFound) {
    using B = DosBoxBuild;
    const Case cases[] = {
        {"DOSBox 0.74 where its installer puts it",
         {{X86, {{"Common Files", Folder}, {"DOSBox-0.74-3", Folder}}}},
         {In(X86, "dosbox-0.74-3\\dosbox.exe")},
         {},
         {},
         In(X86, "dosbox-0.74-3\\dosbox.exe"),
         B::ConfOnly},
        {"a first matching entry without dosbox.exe no longer hides a later one",
         {{X86, {{"A-DOSBox-notes.txt", File}, {"DOSBox", Folder}, {"DOSBox-0.74", Folder}}}},
         {In(X86, "dosbox-0.74\\dosbox.exe")},
         {},
         {},
         In(X86, "dosbox-0.74\\dosbox.exe"),
         B::ConfOnly},
        {"hidden and system entries are never looked into",
         {{X86, {{"DOSBox", Folder | Hidden}, {"DOSBox-0.73", Folder | System}}}},
         {In(X86, "dosbox\\dosbox.exe"), In(X86, "dosbox-0.73\\dosbox.exe")},
         {},
         {},
         "",
         B::ConfOnly},
        {"today's answer first: 0.74 wins over a Staging in the 64-bit folder",
         {{X86, {{"DOSBox-0.74", Folder}}}, {X64, {{"DOSBox Staging", Folder}}}},
         {In(X64, "dosbox staging\\dosbox.exe"), In(X86, "dosbox-0.74\\dosbox.exe")},
         {},
         {},
         In(X86, "dosbox-0.74\\dosbox.exe"),
         B::ConfOnly},
        {"a later entry of Program Files (x86) before the 64-bit folder",
         {{X86, {{"DOSBox Front End", Folder}, {"DOSBox-X", Folder}}},
          {X64, {{"DOSBox Staging", Folder}}}},
         {In(X86, "dosbox-x\\dosbox-x.exe"), In(X64, "dosbox staging\\dosbox.exe")},
         {},
         {},
         In(X86, "dosbox-x\\dosbox-x.exe"),
         B::ConfOnly},
        {"Staging for all users, told by its folder",
         {{X64, {{"DOSBox Staging", Folder}}}},
         {In(X64, "dosbox staging\\dosbox.exe")},
         {},
         {},
         In(X64, "dosbox staging\\dosbox.exe"),
         B::Staging},
        {"Staging for one user",
         {{User, {{"DOSBox Staging", Folder}}}},
         {In(User, "dosbox staging\\dosbox.exe")},
         {},
         {},
         In(User, "dosbox staging\\dosbox.exe"),
         B::Staging},
        {"Staging through its registry value, in a folder of another name",
         {},
         {"d:\\emu\\db\\dosbox.exe"},
         {{StagingPath, "D:\\Emu\\DB"}},
         {},
         "d:\\emu\\db\\dosbox.exe",
         B::Staging},
        {"Staging through its uninstall entry (a trailing backslash, blanks and quotes)",
         {},
         {"d:\\emu\\db\\dosbox.exe"},
         {{StagingUninstall, " \"D:\\Emu\\DB\\\" "}},
         {},
         "d:\\emu\\db\\dosbox.exe",
         B::Staging},
        {"DOSBox-X through its registry value naming the executable",
         {},
         {"e:\\x\\dosbox-x.exe"},
         {{XPath, "E:\\X\\dosbox-x.exe"}},
         {},
         "e:\\x\\dosbox-x.exe",
         B::ConfOnly},
        {"a registry value naming a folder without DOSBox leads on to the next place",
         {},
         {"c:\\dosbox-x\\dosbox-x.exe"},
         {{StagingPath, "D:\\Gone"}},
         {},
         "c:\\dosbox-x\\dosbox-x.exe",
         B::ConfOnly},
        {"a portable Staging told by its version resource",
         {{X86, {{"DOSBox-0.82", Folder}}}},
         {In(X86, "dosbox-0.82\\dosbox.exe")},
         {},
         {{In(X86, "dosbox-0.82\\dosbox.exe"), "DOSBox Staging DOSBox Staging"}},
         In(X86, "dosbox-0.82\\dosbox.exe"),
         B::Staging},
        {"\"staging\" in a folder further up tells nothing",
         {{User, {{"DOSBox", Folder}}}},
         {In(User, "dosbox\\dosbox.exe")},
         {},
         {{In(User, "dosbox\\dosbox.exe"), "DOSBox"}},
         In(User, "dosbox\\dosbox.exe"),
         B::ConfOnly},
        {"other executables and folders whose names lack \"dosbox\" do not count",
         {{X86, {{"DOSBox-0.74", Folder}, {"dos box", Folder}}}},
         {In(X86, "dosbox-0.74\\dosbox_x64.exe"), In(X86, "dos box\\dosbox.exe")},
         {},
         {},
         "",
         B::ConfOnly},
    };
    for (const Case& c : cases) {
        FakePlaces places;
        places.listings = c.listings;
        places.files = c.files;
        places.registry = c.registry;
        places.products = c.products;
        const DosBoxSearch result = SearchDosBox(Folders, places);
        EXPECT_EQ(result.Found, !c.found.empty()) << c.what;
        EXPECT_EQ(result.Path, c.found) << c.what;
        EXPECT_EQ(result.Build, c.build) << c.what;
    }
}

TEST(SearchDosBox, NamesThePlacesSearchedInOrder) {
    FakePlaces places;
    places.registry[StagingPath] = "D:\\Gone";
    const DosBoxSearch result = SearchDosBox(Folders, places);
    EXPECT_FALSE(result.Found);
    const std::vector<std::string>& searched = result.Searched;
    ASSERT_EQ(searched.size(), 3u + 16u + 2u);
    EXPECT_EQ(searched[0], In(X86, "*dosbox*"));
    EXPECT_EQ(searched[1], In(X64, "*dosbox*"));
    EXPECT_EQ(searched[2], In(User, "*dosbox*"));
    // HKEY_CURRENT_USER first, its 64-bit view first, Staging before DOSBox-X.
    EXPECT_EQ(searched[3], StagingPath);
    EXPECT_EQ(searched[4], "d:\\gone\\");
    EXPECT_EQ(searched[6], "HKEY_CURRENT_USER\\Software\\DOSBox-X, Path (64-bit view)");
    EXPECT_EQ(searched[8], "HKEY_CURRENT_USER\\Software\\dosbox-staging, Path (32-bit view)");
    EXPECT_EQ(searched[12], "HKEY_LOCAL_MACHINE\\Software\\dosbox-staging, Path (64-bit view)");
    EXPECT_EQ(searched.back(), "c:\\dosbox-x\\");

    // Without a 64-bit folder (no such variable, no registry) that place is left out.
    DosBoxFolders folders = Folders;
    folders.ProgramFiles64.clear();
    EXPECT_EQ(SearchDosBox(folders, places).Searched[1], In(User, "*dosbox*"));
}

TEST(NamedDosBox, TheNamedFileOrNothing) {
    FakePlaces places;
    places.files = {"d:\\tools\\dosbox staging 0.82\\dosbox.exe", "d:\\tools\\emu.exe"};
    DosBoxSearch named = NamedDosBox("D:\\Tools\\DOSBox Staging 0.82\\DOSBox.exe", places);
    EXPECT_TRUE(named.Found);
    EXPECT_EQ(named.Path, "d:\\tools\\dosbox staging 0.82\\dosbox.exe");
    EXPECT_EQ(named.Build, DosBoxBuild::Staging);
    // Any name: the deployment says which program DOSBox is.
    named = NamedDosBox("D:\\Tools\\emu.exe", places);
    EXPECT_TRUE(named.Found);
    EXPECT_EQ(named.Build, DosBoxBuild::ConfOnly);
    named = NamedDosBox("D:\\Tools\\missing.exe", places);
    EXPECT_FALSE(named.Found);
    EXPECT_EQ(named.Searched, std::vector<std::string>{"d:\\tools\\missing.exe"});
}

namespace {

std::string Wide(const std::string& text) {
    std::string bytes;
    for (char c : text) {
        bytes += c;
        bytes += '\0';
    }
    return bytes + std::string(2, '\0');
}

void Pad(std::string& bytes) {
    while (bytes.size() % 4 != 0)
        bytes += '\0';
}

// One node of a version block: length, value length (characters for text), type, key,
// value, children.
std::string Node(const std::string& key, const std::string& value, bool text,
                 const std::string& children = {}) {
    const std::string body = Wide(key);
    std::string node(6, '\0');
    node += body;
    Pad(node);
    const bool hasValue = !(text && value.empty()); // a node of text nodes has none
    if (hasValue) node += text ? Wide(value) : value;
    if (!children.empty()) {
        Pad(node);
        node += children;
    }
    const size_t valueLength = !hasValue ? 0 : text ? value.size() + 1 : value.size();
    node[0] = static_cast<char>(node.size() & 0xFF);
    node[1] = static_cast<char>(node.size() >> 8);
    node[2] = static_cast<char>(valueLength);
    node[4] = text ? 1 : 0;
    Pad(node);
    return node;
}

} // namespace

TEST(VersionProductName, ReadsTheStringTable) {
    const std::string strings = Node("StringFileInfo", "", true,
                                     Node("040904B0", "", true,
                                          Node("CompanyName", "The DOSBox Staging Team", true) +
                                              Node("FileDescription", "DOSBox Staging", true) +
                                              Node("ProductName", "DOSBox Staging \xE9", true)));
    const std::string block = Node(
        "VS_VERSION_INFO", std::string(52, '\x01'), false,
        strings + Node("VarFileInfo", "", true, Node("Translation", "\x09\x04\xB0\x04", false)));
    EXPECT_EQ(VersionProductName(block), "DOSBox Staging DOSBox Staging ?");
    // Cut short anywhere, it reads what is whole and never beyond the end.
    for (size_t size = 0; size < block.size(); size += 7)
        VersionProductName(block.substr(0, size));
    EXPECT_EQ(VersionProductName(""), "");
}
