// The installation run in-process, through a recording front end: real files in a temporary
// folder, no window. What was written (bytes, dates), told and asked, and the outcome.
#include "engine/sha256.h"
#include "engine/ucargo.h"
#include "engine/uninstaller_image.h"
#include "install/registration.h"
#include "uninstall/entry.h"
#include "install/run.h"
#include "uninstall/uninstall_core.h"
#include "run_test_support.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace {

using Events = std::vector<std::string>;

struct StandIn {
    const char* File;
    int Year, Month, Day, Hour, Minute, Second;
};

// resources/product/manifest.txt, in catalogue order.
const StandIn kProduct[] = {
    {"tarnw.exe", 1998, 4, 17, 10, 24, 0},    {"pentaro.exe", 1998, 4, 17, 10, 24, 2},
    {"pentaro1.kdb", 1998, 3, 30, 16, 5, 10}, {"pentaro2.kdb", 1998, 3, 30, 16, 7, 44},
    {"pentaro.hlp", 1997, 11, 2, 9, 12, 30},  {"penta.ico", 1997, 6, 21, 14, 0, 0},
    {"kdbv4.kdb", 2001, 9, 12, 11, 48, 6},    {"kdbv4add.kdb", 2002, 1, 8, 8, 30, 20},
    {"readme.txt", 2002, 2, 14, 12, 0, 0},    {"spool32.exe", 2002, 2, 14, 12, 15, 36},
};

const char kQuestion[] =
    "Pentaro, version 3.24, was installed successfully.\n\nNormally Pentaro is run from inside "
    "Helmstar by pressing the function key, F6. If you are not \ninstalling Helmstar, you need a "
    "shortcut on the \ndesktop to run this wheel program. \n\nClick NO if you do NOT want the P+ "
    "shortcut created.";

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The last-write time of `path` as local time, "YYYY-MM-DD hh:mm:ss".
std::string LocalWriteTime(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return "<missing>";
    FILETIME local;
    SYSTEMTIME time;
    FileTimeToLocalFileTime(&data.ftLastWriteTime, &local);
    FileTimeToSystemTime(&local, &time);
    char text[32];
    wsprintfA(text, "%04d-%02d-%02d %02d:%02d:%02d", time.wYear, time.wMonth, time.wDay, time.wHour,
              time.wMinute, time.wSecond);
    return text;
}

class Run : public ::testing::Test {
protected:
    Run() : tree_("run_test") {
        install = tree_.Path() + "inst\\";
        desktop = tree_.Path() + "desktop\\";
        CreateDirectoryA(desktop.c_str(), nullptr);
        settings.DesktopFolder = desktop;
        programs = tree_.Path() + "programs\\";
        CreateDirectoryA(programs.c_str(), nullptr);
        settings.ProgramsFolder = programs;
        settings.Windows64 = false;
    }
    ~Run() override {
        DosBoxExePath.clear();
        DeleteUninstallEntry(false);
    }

    ExitCode RunIn(const std::string& folder) {
        return RunInstallationOf(folder, frontEnd, settings);
    }
    // How many of the product's files lie in the install folder.
    int FilesOnDisk() const {
        int count = 0;
        for (const StandIn& file : kProduct)
            count += PathExists(install + file.File);
        return count;
    }

    TempTree tree_;
    std::string install;
    std::string desktop;
    std::string programs;
    RecordingFrontEnd frontEnd;
    RunSettings settings;
};

} // namespace

TEST_F(Run, WritesTheProductThenMakesTheDesktopShortcutOnYes) {
    // Given with two trailing backslashes: the files still go right into the folder.
    ASSERT_EQ(RunIn(tree_.Path() + "inst\\\\"), ExitCode::Success);

    std::uint32_t total = 0;
    ASSERT_EQ(frontEnd.Files.size(), std::size(kProduct));
    for (size_t i = 0; i < std::size(kProduct); ++i) {
        const StandIn& file = kProduct[i];
        const std::string path = install + file.File;
        EXPECT_EQ(frontEnd.Files[i], path);
        const std::string bytes = ReadFile(path);
        EXPECT_TRUE(bytes == ReadFile(std::string(PENTARO_STANDIN_DIR) + "\\" + file.File))
            << file.File;
        char expected[32];
        wsprintfA(expected, "%04d-%02d-%02d %02d:%02d:%02d", file.Year, file.Month, file.Day,
                  file.Hour, file.Minute, file.Second);
        EXPECT_EQ(LocalWriteTime(path), expected) << file.File;
        total += static_cast<std::uint32_t>(bytes.size());
    }
    EXPECT_EQ(frontEnd.Total, total);
    EXPECT_EQ(frontEnd.Done, total);
    EXPECT_TRUE(PathExists(desktop + "pentaro.lnk"));
    EXPECT_EQ(frontEnd.Events,
              (Events{"Begin", "Finished", std::string("Ask ") + kQuestion, "End",
                      "Tell[Pentaro] To run Pentaro, click the P+ icon on your desktop."}));
}

TEST_F(Run, NoToTheQuestionMakesNoShortcut) {
    frontEnd.Answer = false;
    ASSERT_EQ(RunIn(install), ExitCode::Success);
    EXPECT_EQ(FilesOnDisk(), 10);
    EXPECT_FALSE(PathExists(desktop + "pentaro.lnk"));
    // The question is about the desktop: the Start menu has its entry all the same.
    EXPECT_TRUE(PathExists(programs + "Pentaro 3.24.lnk"));
    EXPECT_EQ(frontEnd.Events,
              (Events{"Begin", "Finished", std::string("Ask ") + kQuestion, "End",
                      "Tell[Pentaro] To run Pentaro, start Helmstar and press function key F6."}));
}

TEST_F(Run, WithTheSiblingProductAsksNothing) {
    CreateDirectoryA(install.c_str(), nullptr);
    PutFile(install + "tarn.exe", "MZ");
    ASSERT_EQ(RunIn(install), ExitCode::Success);
    EXPECT_EQ(frontEnd.Events,
              (Events{"Begin", "Finished", "End",
                      "Tell[Pentaro] Pentaro, version 3.24, was installed successfully.\r\n\r\n"
                      "To run Pentaro, first run Helmstar, then press the function key F6."}));
    EXPECT_FALSE(PathExists(desktop + "pentaro.lnk"));
    EXPECT_FALSE(PathExists(programs + "Pentaro 3.24.lnk"));
}

// The menu program in the parent wins over every other finish, on 64-bit Windows too.
TEST_F(Run, WithTheMenuProgramInTheParentOnlyTells) {
    settings.Windows64 = true;
    DosBoxExePath = "c:\\program files\\dosbox-0.74\\dosbox.exe";
    const std::string corvane = tree_.Path() + "corvane\\";
    CreateDirectoryA(corvane.c_str(), nullptr);
    PutFile(corvane + "tqmenu.exe", "MZ");
    install = corvane + "tq\\";

    ASSERT_EQ(RunIn(corvane + "tq"), ExitCode::Success);
    EXPECT_EQ(FilesOnDisk(), 10);
    EXPECT_FALSE(PathExists(install + "dosbox.conf"));
    EXPECT_FALSE(PathExists(desktop + "Penta DOSbox.lnk"));
    EXPECT_FALSE(PathExists(programs + "Pentaro 3.24.lnk"));
    EXPECT_EQ(frontEnd.Events, (Events{"Begin", "Finished", "End",
                                       "Tell[Pentaro] \r\n\r\nTo run Pentaro, start the Corvane "
                                       "Menu program,\r\nand click the P+ icon."}));
}

TEST_F(Run, OnWindows64SetsUpDosBoxAndTellsItsInstructions) {
    settings.Windows64 = true;
    DosBoxExePath = "c:\\program files\\dosbox-0.74\\dosbox.exe";
    ASSERT_EQ(RunIn(install), ExitCode::Success);
    EXPECT_EQ(FilesOnDisk(), 10);
    EXPECT_TRUE(PathExists(install + "dosbox.conf"));
    EXPECT_TRUE(PathExists(desktop + "Penta DOSbox.lnk"));
    EXPECT_TRUE(PathExists(desktop + "Print F.lnk"));
    EXPECT_TRUE(PathExists(programs + "Pentaro 3.24.lnk"));
    ASSERT_EQ(frontEnd.Events.size(), 4u);
    EXPECT_EQ(frontEnd.Events[1], "Finished");
    // Told with the default caption while the progress window is still there; nothing after.
    EXPECT_EQ(frontEnd.Events[2].rfind("Tell[] Pentaro has been installed and shortcuts created "
                                       "to run it in DOSbox and another to Print to File F.\r\r",
                                       0),
              0u);
    EXPECT_EQ(frontEnd.Events[3], "End");
}

// After a run that made everything: the uninstaller (this program without its payload),
// the record of every file with the hash of its bytes, the links and the folder made, and
// the entry naming the folder. Installed again into the folder, the record keeps what the first
// install made and the second did not.
TEST_F(Run, AFinishedRunLeavesTheUninstallerTheRecordAndTheEntry) {
    settings.Windows64 = true;
    DosBoxExePath = "c:\\program files\\dosbox-0.74\\dosbox.exe";
    ASSERT_EQ(RunIn(install), ExitCode::Success);
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    const std::string uninstaller = ReadFile(install + "uninstall.exe");
    EXPECT_TRUE(uninstaller == UninstallerBytes(PeFileInMemory(ReadFile(self))));
    bool payload = true;
    ReadRcData(PeFileInMemory(uninstaller), "rs_kdb1", payload);
    EXPECT_FALSE(payload);
    EXPECT_FALSE(PathExists(install + "uninstall.rec.new"));
    EXPECT_FALSE(PathExists(install + "uninstall.exe.new"));

    InstallRecord record =
        ParseInstallRecord(ReadFile(install + "uninstall.rec"), install);
    ASSERT_EQ(record.files.size(), std::size(kProduct) + 1);
    for (size_t i = 0; i < std::size(kProduct); ++i) {
        const std::string bytes = ReadFile(install + kProduct[i].File);
        EXPECT_EQ(record.files[i].name, kProduct[i].File);
        EXPECT_EQ(record.files[i].size, bytes.size());
        EXPECT_EQ(record.files[i].sha256, Sha256Hex(bytes)) << kProduct[i].File;
    }
    EXPECT_EQ(record.files.back().name, "dosbox.conf");
    EXPECT_EQ(record.files.back().sha256, Sha256Hex(ReadFile(install + "dosbox.conf")));
    EXPECT_EQ(record.shortcuts,
              (std::vector<std::string>{desktop + "Penta DOSbox.lnk", desktop + "Print F.lnk",
                                        programs + "Pentaro 3.24.lnk"}));
    EXPECT_EQ(record.createdFolders, std::vector<std::string>{install});
    EXPECT_EQ(record.entry.root, "HKCU");
    EXPECT_EQ(record.entry.view, "32");
    bool found = false;
    EXPECT_EQ(EntryInstallLocation(false, found), install);
    EXPECT_TRUE(found);

    settings.Windows64 = false;
    RecordingFrontEnd again;
    ASSERT_EQ(RunInstallationOf(install, again, settings), ExitCode::Success);
    record = ParseInstallRecord(ReadFile(install + "uninstall.rec"), install);
    EXPECT_EQ(record.files.size(), std::size(kProduct) + 1);
    // The Start-menu entry, made again (now starting pentaro.exe), is named once.
    EXPECT_EQ(record.shortcuts.size(), 4u);
    EXPECT_EQ(record.createdFolders, std::vector<std::string>{install});
}

// An uninstaller that cannot be put into the folder is said, and the outcome is not
// success; no entry names the folder.
TEST_F(Run, AnUninstallerThatCannotBeCopiedIsToldAndFails) {
    frontEnd.Answer = false;
    CreateDirectoryA(install.c_str(), nullptr);
    CreateDirectoryA((install + "uninstall.exe").c_str(), nullptr);
    ASSERT_EQ(RunIn(install), ExitCode::StartupSetupFailed);
    EXPECT_EQ(FilesOnDisk(), 10);
    ASSERT_EQ(frontEnd.Events.size(), 6u);
    EXPECT_EQ(frontEnd.Events[3].rfind("Tell[Pentaro] Pentaro is installed, but it cannot be "
                                       "removed through Apps & Features: " +
                                           install + "uninstall.exe",
                                       0),
              0u)
        << frontEnd.Events[3];
    bool found = true;
    EntryInstallLocation(false, found);
    EXPECT_FALSE(found);
}

// Shortcuts that could not be saved are named instead of the instructions to click them,
// and the outcome is not success.
TEST_F(Run, AShortcutThatCannotBeSavedIsToldAndFails) {
    const std::string noDesktop = tree_.Path() + "no desktop\\";
    settings.DesktopFolder = noDesktop;
    ASSERT_EQ(RunIn(install), ExitCode::StartupSetupFailed);
    EXPECT_EQ(FilesOnDisk(), 10);
    ASSERT_EQ(frontEnd.Events.size(), 5u);
    const std::string told =
        "Tell[Pentaro] Could not create the shortcut " + noDesktop + "pentaro.lnk\r\n\r\n";
    EXPECT_EQ(frontEnd.Events[4].rfind(told, 0), 0u) << frontEnd.Events[4];
    EXPECT_GT(frontEnd.Events[4].size(), told.size()) << "no reason given";

    RecordingFrontEnd again;
    settings.Windows64 = true;
    DosBoxExePath = "c:\\program files\\dosbox-0.74\\dosbox.exe";
    ASSERT_EQ(RunInstallationOf(install, again, settings), ExitCode::StartupSetupFailed);
    ASSERT_EQ(again.Events.size(), 4u);
    EXPECT_EQ(again.Events[2].rfind("Tell[] Could not create the shortcut " + noDesktop, 0), 0u)
        << again.Events[2];
    EXPECT_EQ(again.Events[2].find("has been installed"), std::string::npos);
}

// A Start-menu entry that could not be saved is told like a desktop shortcut and fails the
// run (on 64-bit Windows too, through the same telling: see the desktop's case above).
TEST_F(Run, AStartMenuEntryThatCannotBeSavedIsToldAndFails) {
    const std::string noPrograms = tree_.Path() + "no programs\\";
    settings.ProgramsFolder = noPrograms;
    ASSERT_EQ(RunIn(install), ExitCode::StartupSetupFailed);
    EXPECT_TRUE(PathExists(desktop + "pentaro.lnk"));
    ASSERT_EQ(frontEnd.Events.size(), 5u);
    EXPECT_EQ(frontEnd.Events[4].rfind("Tell[Pentaro] Could not create the shortcut " +
                                           noPrograms + "Pentaro 3.24.lnk\r\n\r\n",
                                       0),
              0u)
        << frontEnd.Events[4];
}

TEST_F(Run, CancelAfterTheFirstFileKeepsIt) {
    frontEnd.CancelAfterFiles = 1;
    ASSERT_EQ(RunIn(install), ExitCode::Cancelled);
    EXPECT_TRUE(PathExists(install + "tarnw.exe"));
    EXPECT_EQ(FilesOnDisk(), 1);
    EXPECT_EQ(frontEnd.Events,
              (Events{"Begin", "Finished", "End",
                      "Tell[Pentaro] Installation cancelled. 1 of 10 files were installed."}));
}

TEST_F(Run, CancelDuringTheLastFileIsStillACancel) {
    frontEnd.CancelAfterFiles = 10;
    ASSERT_EQ(RunIn(install), ExitCode::Cancelled);
    EXPECT_EQ(FilesOnDisk(), 10);
    EXPECT_FALSE(PathExists(desktop + "pentaro.lnk"));
    EXPECT_EQ(frontEnd.Events,
              (Events{"Begin", "Finished", "End",
                      "Tell[Pentaro] Installation cancelled. 10 of 10 files were installed."}));
}

TEST_F(Run, AFolderThatCannotBeMadeStopsBeforeAnything) {
    PutFile(tree_.Path() + "blocker", "a file where a folder should be");
    const std::string folder = tree_.Path() + "blocker\\tq\\";
    ASSERT_EQ(RunIn(folder), ExitCode::FolderNotCreated);
    ASSERT_EQ(frontEnd.Events.size(), 1u);
    EXPECT_NE(frontEnd.Events[0].find(folder), std::string::npos) << frontEnd.Events[0];
    EXPECT_EQ(frontEnd.Events[0].rfind("Tell[Pentaro] ", 0), 0u);
}

TEST_F(Run, AnEmptyFolderIsRefusedWithoutAStaleReason) {
    SetLastError(ERROR_ACCESS_DENIED);
    ASSERT_EQ(RunIn(""), ExitCode::FolderNotCreated);
    ASSERT_EQ(frontEnd.Events.size(), 1u);
    EXPECT_EQ(frontEnd.Events[0].find("\r\n\r\n", 0), std::string::npos) << frontEnd.Events[0];
}

TEST_F(Run, AFileThatCannotBeWrittenStopsThePass) {
    CreateDirectoryA(install.c_str(), nullptr);
    // The third file's name is taken by a folder.
    CreateDirectoryA((install + "pentaro1.kdb").c_str(), nullptr);
    ASSERT_EQ(RunIn(install), ExitCode::WriteFailed);
    EXPECT_TRUE(PathExists(install + "tarnw.exe"));
    EXPECT_TRUE(PathExists(install + "pentaro.exe"));
    EXPECT_FALSE(PathExists(install + "pentaro2.kdb"));
    EXPECT_FALSE(PathExists(install + "spool32.exe"));
    ASSERT_EQ(frontEnd.Events.size(), 3u);
    EXPECT_EQ(frontEnd.Events[1], "End");
    EXPECT_NE(frontEnd.Events[2].find(install + "pentaro1.kdb"), std::string::npos)
        << frontEnd.Events[2];
}

TEST_F(Run, ALoaderErrorPassesOnAfterTheEnd) {
    settings.Catalogue = "rs_cmd,rs_nosuch";
    try {
        RunIn(install);
        FAIL() << "a missing resource went unnoticed";
    } catch (const tk::Exception& error) {
        EXPECT_STREQ(error.what(), "Resource rs_nosuch not found");
    }
    EXPECT_EQ(frontEnd.Events, (Events{"Begin", "End"}));
    EXPECT_FALSE(PathExists(install + "tarnw.exe"));
}

// What an error leaving the run means to a deployment tool: running short of memory is not
// an unforeseen error, a body that does not inflate is a damaged installer, a link in the
// way is a write that failed.
TEST(ExitCodeOfError, ClassifiesTheErrorsTheRunLetsPass) {
    EXPECT_EQ(ExitCodeOfError(EOutOfMemory()), ExitCode::OutOfMemory);
    EXPECT_EQ(ExitCodeOfError(std::bad_alloc()), ExitCode::OutOfMemory);
    EXPECT_EQ(ExitCodeOfError(EDecompressionError()), ExitCode::PayloadDamaged);
    EXPECT_EQ(ExitCodeOfError(ELinkedPath("c:\\tq\\readme.txt")), ExitCode::WriteFailed);
    EXPECT_EQ(ExitCodeOfError(tk::EResNotFound("rs_cmd")), ExitCode::UnexpectedError);
}
