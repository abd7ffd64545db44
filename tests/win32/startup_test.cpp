// The start-up check on the prefix it runs in: CTest runs this program once in the
// shared 32-bit test prefix and once in a throw-away 64-bit prefix
// (foundation_win64.sh); each test skips itself on the other kind of system.
#include "app/startup.h"

#include "engine/files.h"
#include "engine/ucargo.h"
#include "tests/win32/dialog_driver.h"
#include "ui/dialogs.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <vector>

namespace {

bool SystemIs64Bit() {
    char folder[MAX_PATH];
    return GetSystemWow64DirectoryA(folder, MAX_PATH) != 0;
}

} // namespace

TEST(Is64BitWindows, AgreesWithTheSystemFolders) {
    EXPECT_EQ(Is64BitWindows(), SystemIs64Bit());
}

TEST(StartupCheck, ThirtyTwoBitWithoutSwitchGoesOnQuietly) {
    if (SystemIs64Bit()) GTEST_SKIP() << "32-bit Windows only";
    ASSERT_FALSE(HasTestSwitch(GetCommandLineA())) << GetCommandLineA();
    DosBoxExePath.clear();
    SeenDialog seen;
    EXPECT_EQ(AnswerDialog([] { return StartupCheck() ? 1 : 0; }, Press::Escape, seen), 1);
    EXPECT_FALSE(seen.found) << seen.caption;
    EXPECT_EQ(DosBoxExePath, "");
}

namespace {

// Entries made in the Program Files folder for 32-bit programs, removed afterwards.
class DosBoxSearch : public ::testing::Test {
protected:
    void SetUp() override {
        if (!SystemIs64Bit()) GTEST_SKIP() << "64-bit Windows only";
        base_ = GetSpecialFolderPath(38);
        ASSERT_EQ(lstrcmpiA(base_.c_str(), "C:\\Program Files (x86)"), 0) << base_;
        DosBoxExePath.clear();
    }
    void TearDown() override {
        for (auto it = made_.rbegin(); it != made_.rend(); ++it) {
            SetFileAttributesA(it->c_str(), FILE_ATTRIBUTE_NORMAL);
            if (!RemoveDirectoryA(it->c_str())) DeleteFileA(it->c_str());
        }
        DosBoxExePath.clear();
    }

    std::string Folder(const std::string& name, DWORD attributes = 0) {
        std::string path = base_ + "\\" + name;
        EXPECT_TRUE(CreateDirectoryA(path.c_str(), nullptr)) << path;
        made_.push_back(path);
        if (attributes != 0) {
            EXPECT_TRUE(SetFileAttributesA(path.c_str(), attributes));
            EXPECT_TRUE(GetFileAttributesA(path.c_str()) & attributes) << path;
        }
        return path;
    }
    void File(const std::string& name) {
        std::string path = base_ + "\\" + name;
        WriteStringToFile(path, "MZ");
        made_.push_back(path);
    }
    // Names of the entries in the order in which the file system lists them.
    std::vector<std::string> Listing() {
        std::vector<std::string> names;
        WIN32_FIND_DATAA entry;
        HANDLE search = FindFirstFileA((base_ + "\\*.*").c_str(), &entry);
        if (search == INVALID_HANDLE_VALUE) return names;
        do
            names.push_back(entry.cFileName);
        while (FindNextFileA(search, &entry));
        FindClose(search);
        return names;
    }
    bool ListedBefore(const std::string& first, const std::string& second) {
        std::vector<std::string> names = Listing();
        auto a = std::find(names.begin(), names.end(), first);
        auto b = std::find(names.begin(), names.end(), second);
        return a != names.end() && b != names.end() && a < b;
    }

    std::string base_;
    std::vector<std::string> made_;
};

const char found074[] = "c:\\program files (x86)\\dosbox-0.74\\dosbox.exe";

int RunStartupCheck() {
    return StartupCheck() ? 1 : 0;
}

} // namespace

TEST_F(DosBoxSearch, FindsDosBoxInProgramFilesX86WithTheLowerCasedPath) {
    Folder("DOSBox-0.74");
    File("DOSBox-0.74\\DOSBox.exe");
    std::string path = "stale";
    EXPECT_TRUE(LocateDosBox(path));
    EXPECT_EQ(path, found074);

    SeenDialog seen;
    EXPECT_EQ(AnswerDialog(RunStartupCheck, Press::Escape, seen), 1);
    EXPECT_FALSE(seen.found);
    EXPECT_EQ(DosBoxExePath, found074);
}

TEST_F(DosBoxSearch, OnlyTheFirstMatchingEntryCounts) {
    Folder("DOSBox");
    Folder("DOSBox-0.74");
    File("DOSBox-0.74\\dosbox.exe");
    ASSERT_TRUE(ListedBefore("DOSBox", "DOSBox-0.74"));
    std::string path;
    EXPECT_FALSE(LocateDosBox(path));
    EXPECT_EQ(path, "c:\\program files (x86)\\dosbox\\dosbox.exe");

    // The check warns, and Cancel ends it without going on.
    SeenDialog seen;
    EXPECT_EQ(AnswerDialog(RunStartupCheck, Press::Escape, seen), 0);
    ASSERT_TRUE(seen.found);
    EXPECT_EQ(seen.caption, "Helmstar355 Installer");
    EXPECT_TRUE(seen.Shows(StartupWarningText));
    EXPECT_EQ(seen.buttons, (std::vector<std::string>{"OK", "Cancel"}));
    EXPECT_EQ(seen.focused, "OK");
    EXPECT_EQ(seen.icon, LoadIconA(nullptr, IDI_WARNING));
    EXPECT_EQ(DosBoxExePath, "c:\\program files (x86)\\dosbox\\dosbox.exe");
}

TEST_F(DosBoxSearch, AFileWhoseNameMatchesCountsAsTheFirstEntry) {
    File("A-DOSBox-notes.txt");
    Folder("DOSBox-0.74");
    File("DOSBox-0.74\\dosbox.exe");
    ASSERT_TRUE(ListedBefore("A-DOSBox-notes.txt", "DOSBox-0.74"));
    std::string path;
    EXPECT_FALSE(LocateDosBox(path));
    EXPECT_EQ(path, "c:\\program files (x86)\\a-dosbox-notes.txt\\dosbox.exe");
}

TEST_F(DosBoxSearch, HiddenAndSystemEntriesAreSkipped) {
    Folder("DOSBox", FILE_ATTRIBUTE_HIDDEN);
    Folder("DOSBox-0.73", FILE_ATTRIBUTE_SYSTEM);
    Folder("DOSBox-0.74");
    File("DOSBox-0.74\\dosbox.exe");
    ASSERT_TRUE(ListedBefore("DOSBox-0.73", "DOSBox-0.74"));
    std::string path;
    EXPECT_TRUE(LocateDosBox(path));
    EXPECT_EQ(path, found074);
}

TEST_F(DosBoxSearch, NoDosBoxOrAFolderWhereTheExeShouldBe) {
    std::string path = "stale";
    EXPECT_FALSE(LocateDosBox(path));
    EXPECT_EQ(path, "");

    Folder("DOSBox-0.74");
    Folder("DOSBox-0.74\\dosbox.exe");
    EXPECT_FALSE(LocateDosBox(path));
    EXPECT_EQ(path, found074);
}
