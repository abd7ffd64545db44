// The start-up check on the prefix it runs in: CTest runs this program once in the
// shared 32-bit test prefix and once in a throw-away 64-bit prefix
// (foundation_win64.sh); each test skips itself on the other kind of system.
#include "app/startup.h"

#include "dosbox/locate.h"
#include "engine/files.h"
#include "engine/ucargo.h"
#include "tests/win32/dialog_driver.h"
#include "toolkit/format.h"
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
    EXPECT_EQ(AnswerDialog([] { return StartupCheck(GetCommandLineA(), "") ? 1 : 0; },
                           Press::Escape, seen),
              1);
    EXPECT_FALSE(seen.found) << seen.caption;
    EXPECT_EQ(DosBoxExePath, "");
}

namespace {

// Entries made in the Program Files folder for 32-bit programs, removed afterwards.
class DosBoxOnDisk : public ::testing::Test {
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
    return StartupCheck(GetCommandLineA(), "") ? 1 : 0;
}

} // namespace

TEST_F(DosBoxOnDisk, FindsDosBoxInProgramFilesX86WithTheLowerCasedPath) {
    Folder("DOSBox-0.74");
    File("DOSBox-0.74\\DOSBox.exe");
    const DosBoxSearch found = LocateDosBox("");
    EXPECT_TRUE(found.Found);
    EXPECT_EQ(found.Path, found074);

    SeenDialog seen;
    EXPECT_EQ(AnswerDialog(RunStartupCheck, Press::Escape, seen), 1);
    EXPECT_FALSE(seen.found);
    EXPECT_EQ(DosBoxExePath, found074);
    EXPECT_EQ(DosBoxExeBuild, DosBoxBuild::ConfOnly);
}

TEST_F(DosBoxOnDisk, ALaterEntryCountsWhenTheFirstHoldsNoExecutable) {
    File("A-DOSBox-notes.txt");
    Folder("DOSBox");
    Folder("DOSBox-0.74");
    File("DOSBox-0.74\\dosbox.exe");
    ASSERT_TRUE(ListedBefore("A-DOSBox-notes.txt", "DOSBox"));
    ASSERT_TRUE(ListedBefore("DOSBox", "DOSBox-0.74"));
    EXPECT_EQ(LocateDosBox("").Path, found074);
}

TEST_F(DosBoxOnDisk, HiddenAndSystemEntriesAreSkipped) {
    Folder("DOSBox", FILE_ATTRIBUTE_HIDDEN);
    File("DOSBox\\dosbox.exe");
    Folder("DOSBox-0.73", FILE_ATTRIBUTE_SYSTEM);
    File("DOSBox-0.73\\dosbox.exe");
    EXPECT_FALSE(LocateDosBox("").Found);
    Folder("DOSBox-0.74");
    File("DOSBox-0.74\\dosbox.exe");
    ASSERT_TRUE(ListedBefore("DOSBox-0.73", "DOSBox-0.74"));
    EXPECT_EQ(LocateDosBox("").Path, found074);
}

TEST_F(DosBoxOnDisk, NoDosBoxOrAFolderWhereTheExeShouldBe) {
    Folder("DOSBox-0.74");
    Folder("DOSBox-0.74\\dosbox.exe");
    const DosBoxSearch search = LocateDosBox("");
    EXPECT_FALSE(search.Found);
    EXPECT_EQ(search.Path, "");
    // The places the log names: the three folders first, as this 32-bit program sees them.
    ASSERT_GE(search.Searched.size(), 3u);
    EXPECT_EQ(search.Searched[0], "c:\\program files (x86)\\*dosbox*");
    EXPECT_EQ(search.Searched[1], "c:\\program files\\*dosbox*");
    EXPECT_EQ(search.Searched[2],
              tk::AsciiLower(GetSpecialFolderPath(28)) + "\\programs\\*dosbox*");

    // The check warns, and Cancel ends it without going on.
    SeenDialog seen;
    EXPECT_EQ(AnswerDialog(RunStartupCheck, Press::Escape, seen), 0);
    ASSERT_TRUE(seen.found);
    EXPECT_EQ(seen.caption, "Helmstar355 Installer");
    EXPECT_TRUE(seen.Shows(StartupWarningText));
    EXPECT_EQ(seen.buttons, (std::vector<std::string>{"OK", "Cancel"}));
    EXPECT_EQ(seen.focused, "OK");
    EXPECT_EQ(seen.icon, LoadIconA(nullptr, IDI_WARNING));
    EXPECT_EQ(DosBoxExePath, "");
}

// The registry as a 32-bit program must read it: the 64-bit view of HKEY_LOCAL_MACHINE,
// where DOSBox Staging's 64-bit installer records itself for all users.
TEST_F(DosBoxOnDisk, StagingRecordedInTheSixtyFourBitRegistry) {
    const char key[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
                       "{587471B7-02F6-4F25-8D00-70006790653C}_is1";
    Folder("Emu");
    File("Emu\\dosbox.exe");
    HKEY opened = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, key, 0, nullptr, 0,
                              KEY_SET_VALUE | KEY_WOW64_64KEY, nullptr, &opened, nullptr),
              ERROR_SUCCESS);
    const std::string location = base_ + "\\Emu\\";
    RegSetValueExA(opened, "InstallLocation", 0, REG_SZ,
                   reinterpret_cast<const BYTE*>(location.c_str()),
                   static_cast<DWORD>(location.size() + 1));
    RegCloseKey(opened);
    const DosBoxSearch found = LocateDosBox("");
    RegDeleteKeyExA(HKEY_LOCAL_MACHINE, key, KEY_WOW64_64KEY, 0);
    EXPECT_EQ(found.Path, "c:\\program files (x86)\\emu\\dosbox.exe");
    EXPECT_EQ(found.Build, DosBoxBuild::Staging);
}

TEST_F(DosBoxOnDisk, TheFoldersOfThisSystem) {
    const DosBoxFolders folders = SystemDosBoxFolders();
    EXPECT_EQ(folders.ProgramFiles, base_);
    EXPECT_EQ(lstrcmpiA(folders.ProgramFiles64.c_str(), "C:\\Program Files"), 0)
        << folders.ProgramFiles64;
    EXPECT_EQ(
        lstrcmpiA(folders.UserPrograms.c_str(), (GetSpecialFolderPath(28) + "\\Programs").c_str()),
        0)
        << folders.UserPrograms;
    EXPECT_EQ(lstrcmpiA(folders.WindowsDrive.c_str(), "C:\\"), 0) << folders.WindowsDrive;
}

TEST_F(DosBoxOnDisk, TheNamedExecutableMustExist) {
    Folder("Portable");
    File("Portable\\DOSBox.exe");
    const DosBoxSearch named = LocateDosBox(base_ + "\\Portable\\DOSBox.exe");
    EXPECT_TRUE(named.Found);
    EXPECT_EQ(named.Path, "c:\\program files (x86)\\portable\\dosbox.exe");

    // Missing: a message naming it, OK only, no download page.
    SeenDialog seen;
    EXPECT_EQ(
        AnswerDialog([] { return StartupCheck(GetCommandLineA(), "c:\\no\\dosbox.exe") ? 1 : 0; },
                     Press::Escape, seen),
        0);
    ASSERT_TRUE(seen.found);
    EXPECT_TRUE(seen.Shows(NamedDosBoxMissingText("c:\\no\\dosbox.exe")));
    EXPECT_EQ(seen.buttons, (std::vector<std::string>{"OK"}));
}
