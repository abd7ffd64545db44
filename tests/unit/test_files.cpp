#include "engine/files.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

TEST(AddTrailingBackslash, EndsInExactlyOneBackslash) {
    EXPECT_EQ(AddTrailingBackslash(""), "");
    EXPECT_EQ(AddTrailingBackslash("C:"), "C:\\");
    EXPECT_EQ(AddTrailingBackslash("C:\\data\\\\\\"), "C:\\data\\");
    EXPECT_EQ(AddTrailingBackslash("\\\\"), "\\");
    EXPECT_EQ(AddTrailingBackslash("c:\\pentaro\\"), "c:\\pentaro\\");
    EXPECT_EQ(AddTrailingBackslash("x"), "x\\");
}

TEST(StripTrailingBackslashes, RemovesAllOfThem) {
    EXPECT_EQ(StripTrailingBackslashes("C:\\"), "C:");
    EXPECT_EQ(StripTrailingBackslashes("\\"), "");
    EXPECT_EQ(StripTrailingBackslashes("C:\\data\\\\\\"), "C:\\data");
    EXPECT_EQ(StripTrailingBackslashes(""), "");
}

TEST(TrimAtFirstNul, CutsABufferToItsString) {
    std::string buffer("C:\\Windows\0\0garbage", 20);
    TrimAtFirstNul(buffer);
    EXPECT_EQ(buffer, "C:\\Windows");
    std::string plain = "no nul";
    TrimAtFirstNul(plain);
    EXPECT_EQ(plain, "no nul");
}

TEST(SplitNextToken, WalksACommaSeparatedCatalogue) {
    std::string text = "rs_cmd,rs_exe";
    EXPECT_EQ(SplitNextToken(text, ","), "rs_cmd");
    EXPECT_EQ(text, "rs_exe");
    EXPECT_EQ(SplitNextToken(text, ","), "rs_exe");
    EXPECT_EQ(text, "");
    EXPECT_EQ(SplitNextToken(text, ","), "");
    EXPECT_EQ(text, "");
}

TEST(SplitNextToken, LongerSeparatorIsASetOfCharacters) {
    std::string text = "a,b;c";
    EXPECT_EQ(SplitNextToken(text, ";,"), "a");
    EXPECT_EQ(text, "b;c");
    EXPECT_EQ(SplitNextToken(text, ";,"), "b");
    EXPECT_EQ(text, "c");

    std::string unsplit = "a,b";
    EXPECT_EQ(SplitNextToken(unsplit, ""), "a,b");
    EXPECT_EQ(unsplit, "");

    std::string edges = ",x,";
    EXPECT_EQ(SplitNextToken(edges, ","), "");
    EXPECT_EQ(edges, "x,");
    EXPECT_EQ(SplitNextToken(edges, ","), "x");
    EXPECT_EQ(edges, "");
}

TEST(PathParts, RootedAndParent) {
    EXPECT_TRUE(IsRootedFolder("\\temp"));
    EXPECT_TRUE(IsRootedFolder("d:\\a"));
    EXPECT_TRUE(IsRootedFolder("d:"));
    EXPECT_FALSE(IsRootedFolder("sub\\"));
    EXPECT_FALSE(IsRootedFolder("s"));
    EXPECT_FALSE(IsRootedFolder(""));

    EXPECT_EQ(ParentPart("C:\\a\\b"), "C:\\a\\");
    EXPECT_EQ(ParentPart("C:"), "C:");
    EXPECT_EQ(ParentPart("name"), "");
}

TEST(NormalFolderPath, OneSpellingForOneFolder) {
    const std::pair<const char*, const char*> cases[] = {
        {"c:\\tq", "c:\\tq\\"},
        {"c:\\.\\tq", "c:\\tq\\"},
        {"c:\\\\tq\\\\", "c:\\tq\\"},
        {"c:\\x\\..\\tq", "c:\\tq\\"},
        {"c:\\tq\\.", "c:\\tq\\"},
        {"c:/tq/./sub//", "c:\\tq\\sub\\"},
        {"C:\\TQ", "C:\\TQ\\"},         // case is kept
        {"c:\\..\\..\\tq", "c:\\tq\\"}, // never above the root
        {"c:\\", "c:\\"},
        {"c:\\a\\b\\..\\..", "c:\\"},
        {"\\\\srv\\share\\..\\..\\x", "\\\\srv\\share\\x\\"}, // nor above a share
        {"\\\\srv\\\\share\\.\\x", "\\\\srv\\share\\x\\"},
        {"\\temp\\..\\t", "\\t\\"},
        {"..\\a\\..\\b", "..\\b\\"},        // relative: the leading ".." stays
        {"c:\\a..\\...", "c:\\a..\\...\\"}, // only "." and ".." are special
        {"", ""},
    };
    for (const auto& [given, normal] : cases)
        EXPECT_EQ(NormalFolderPath(given), normal) << given;
}

namespace {

// A disk held in memory: the folders that exist, the current directory, and the
// folders that cannot be created (a read-only drive, a file in the way).
class MemoryFolders : public FolderSystem {
public:
    std::set<std::string> folders;
    std::set<std::string> refused;
    std::string current = "C:\\work";
    std::vector<std::string> created;

    std::string CurrentDirectory() override { return current; }
    bool DirectoryExists(const std::string& path) override {
        return folders.count(StripTrailingBackslashes(path)) != 0;
    }
    bool CreateFolder(const std::string& path) override {
        if (refused.count(path) || !DirectoryExists(ParentPart(path))) return false;
        folders.insert(path);
        created.push_back(path);
        return true;
    }
};

} // namespace

TEST(EnsureFolder, CreatesMissingFoldersOutermostFirst) {
    MemoryFolders disk;
    disk.folders = {"D:"};
    std::string folder = "D:\\a\\b\\c\\";
    EXPECT_TRUE(EnsureFolderIn(disk, folder));
    EXPECT_EQ(disk.created, (std::vector<std::string>{"D:\\a", "D:\\a\\b", "D:\\a\\b\\c"}));
    EXPECT_EQ(folder, "D:\\a\\b\\c\\");
}

TEST(EnsureFolder, RelativeFolderIsMadeAbsoluteWithoutTrailingBackslash) {
    MemoryFolders disk;
    disk.folders = {"C:", "C:\\work"};
    std::string folder = "sub\\";
    EXPECT_TRUE(EnsureFolderIn(disk, folder));
    EXPECT_EQ(folder, "C:\\work\\sub");
    EXPECT_EQ(disk.created, std::vector<std::string>{"C:\\work\\sub"});

    // The current directory may itself be a drive root, which ends in a backslash.
    disk.current = "C:\\";
    folder = "other";
    EXPECT_TRUE(EnsureFolderIn(disk, folder));
    EXPECT_EQ(folder, "C:\\other");
}

TEST(EnsureFolder, ExistingFolderCreatesNothing) {
    MemoryFolders disk;
    disk.folders = {"C:", "C:\\pentaro"};
    std::string folder = "C:\\pentaro\\";
    EXPECT_TRUE(EnsureFolderIn(disk, folder));
    EXPECT_TRUE(disk.created.empty());
    EXPECT_EQ(folder, "C:\\pentaro\\");
}

TEST(EnsureFolder, FailureKeepsTheVariableAndWhatWasCreated) {
    MemoryFolders disk;
    disk.folders = {"C:"};
    disk.refused = {"C:\\a\\b"};
    std::string folder = "C:\\a\\b\\c";
    EXPECT_FALSE(EnsureFolderIn(disk, folder));
    EXPECT_EQ(folder, "C:\\a\\b\\c");
    EXPECT_EQ(disk.created, std::vector<std::string>{"C:\\a"});
    // What the call made is told also on failure, for the run to take away again.
    std::vector<std::string> made;
    MemoryFolders again;
    again.folders = {"C:", "C:\\a"};
    again.refused = {"C:\\a\\b\\c"};
    EXPECT_FALSE(EnsureFolderIn(again, folder, &made));
    EXPECT_EQ(made, std::vector<std::string>{"C:\\a\\b"});

    MemoryFolders readOnly;
    readOnly.folders = {"R:"};
    readOnly.refused = {"R:\\pentaro"};
    std::string onReadOnly = "R:\\pentaro\\";
    EXPECT_FALSE(EnsureFolderIn(readOnly, onReadOnly));
    EXPECT_EQ(onReadOnly, "R:\\pentaro\\");
}

TEST(EnsureFolder, EmptyTextIsRefused) {
    MemoryFolders disk;
    disk.folders = {"C:", "C:\\work"};
    std::string folder;
    EXPECT_FALSE(EnsureFolderIn(disk, folder));
    EXPECT_EQ(folder, "");
    EXPECT_TRUE(disk.created.empty());
}

TEST(EnsureFolder, MissingDriveIsNotReportedAsMade) {
    // "Q:" is too short to be created and is taken as present by the creation rules;
    // the folder still does not exist afterwards, so the answer must be false.
    MemoryFolders disk;
    disk.folders = {"C:"};
    std::string folder = "Q:\\";
    EXPECT_FALSE(EnsureFolderIn(disk, folder));
    EXPECT_EQ(folder, "Q:\\");

    std::string deeper = "Q:\\pentaro";
    EXPECT_FALSE(EnsureFolderIn(disk, deeper));
    EXPECT_EQ(deeper, "Q:\\pentaro");
}

TEST(EnsureFolder, ForwardSlashesWorkLikeBackslashesAtEveryDepth) {
    MemoryFolders disk;
    disk.folders = {"c:"};
    std::string folder = "c:/tq/sub/x/";
    EXPECT_TRUE(EnsureFolderIn(disk, folder));
    EXPECT_EQ(disk.created, (std::vector<std::string>{"c:\\tq", "c:\\tq\\sub", "c:\\tq\\sub\\x"}));
    EXPECT_EQ(folder, "c:\\tq\\sub\\x\\");
}

TEST(EnsureFolder, NamesWindowsWouldCutAreRefusedBeforeAnythingIsMade) {
    // Windows drops blanks and dots at the end of a name: "c:\tq   " would be created as
    // c:\tq, and the files written to "c:\tq   \..." would then fail.
    for (std::string folder :
         {"c:\\tq   ", "c:\\tq   \\", "c:\\new\\tq.\\sub", "c:/a /b", "c:\\..."}) {
        MemoryFolders disk;
        disk.folders = {"c:"};
        const std::string before = folder;
        EXPECT_FALSE(FolderNamesAreKept(folder)) << before;
        EXPECT_FALSE(EnsureFolderIn(disk, folder)) << before;
        EXPECT_TRUE(disk.created.empty()) << before;
        EXPECT_EQ(folder, before);
    }
    for (const char* kept : {"c:\\tq", "c:\\a b\\v1.0x\\", "c:\\tq\\..\\games", ".\\x", ""})
        EXPECT_TRUE(FolderNamesAreKept(kept)) << kept;
}
