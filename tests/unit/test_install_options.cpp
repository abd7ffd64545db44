#include "install/instance_lock.h"
#include "install/log.h"
#include "install/options.h"

#include <gtest/gtest.h>

TEST(ParseCommandLine, SwitchesInAnyCaseAfterQuotedOrPlainProgramPath) {
    // The program's own path may hold blanks (quoted) and even a switch-like name.
    InstallOptions options =
        ParseCommandLine("\"C:\\Setup Files /S\\PentaroSetup.exe\" /s /NoShortcut /log=x.log");
    EXPECT_TRUE(options.silent);
    EXPECT_TRUE(options.noShortcut);
    EXPECT_EQ(options.logFile, "x.log");
    EXPECT_FALSE(options.hasFolder);
    EXPECT_FALSE(options.Bad());

    options = ParseCommandLine("D:\\PentaroSetup.exe");
    EXPECT_FALSE(options.silent);
    EXPECT_FALSE(options.noShortcut);
    EXPECT_FALSE(options.Bad());
    EXPECT_FALSE(ParseCommandLine("\"D:\\PentaroSetup.exe\"").Bad());
    EXPECT_FALSE(ParseCommandLine("").Bad());

    // A quoted log path keeps its blanks.
    options = ParseCommandLine("setup.exe /S \"/LOG=c:\\my logs\\p.log\" /LOG=\"d:\\a b.log\"");
    EXPECT_EQ(options.logFile, "d:\\a b.log");
}

TEST(ParseCommandLine, FolderRunsVerbatimToTheEndOfTheLine) {
    InstallOptions options =
        ParseCommandLine("\"C:\\cd\\PentaroSetup.exe\" /S /D=C:\\Program Files\\My  Pentaro \r\n");
    EXPECT_TRUE(options.silent);
    EXPECT_TRUE(options.hasFolder);
    EXPECT_EQ(options.folder, "C:\\Program Files\\My  Pentaro");
    EXPECT_FALSE(options.Bad());
    // Quotes, which no Windows path can hold, are dropped.
    EXPECT_EQ(ParseCommandLine("setup /d=\"c:\\a b\"").folder, "c:\\a b");
    EXPECT_EQ(ParseCommandLine("setup \"/D=c:\\a b\"").folder, "c:\\a b");
}

TEST(ParseCommandLine, BadLines) {
    // Empty /D= and /LOG=.
    InstallOptions options = ParseCommandLine("setup.exe /S /D=  ");
    EXPECT_TRUE(options.silent);
    EXPECT_TRUE(options.hasFolder);
    EXPECT_TRUE(options.Bad());
    EXPECT_TRUE(ParseCommandLine("setup.exe /S /LOG=").Bad());

    // /D= not last: a switch after it was meant as a switch, and /S there still counts.
    options = ParseCommandLine("setup.exe /D=c:\\tq /S");
    EXPECT_TRUE(options.silent);
    EXPECT_TRUE(options.Bad());
    EXPECT_TRUE(ParseCommandLine("setup.exe /S /D=c:\\tq /log=a.txt").Bad());
    // ... but a word that merely begins with a slash is part of the folder.
    options = ParseCommandLine("setup.exe /S /D=c:\\a /b");
    EXPECT_FALSE(options.Bad());
    EXPECT_EQ(options.folder, "c:\\a /b");

    // Unknown switches and stray words are kept, in order, for the caller to refuse.
    options = ParseCommandLine("setup.exe /S /SILENT -s tq");
    ASSERT_EQ(options.unknown.size(), 3u);
    EXPECT_EQ(options.unknown[0], "/SILENT");
    EXPECT_EQ(options.Problem(), "Unknown argument: /SILENT");
}

TEST(ParseCommandLine, DosBoxExecutable) {
    InstallOptions options = ParseCommandLine(
        "setup.exe /S \"/DOSBOX=D:\\Portable DOSBox\\DOSBox.exe\" /d=c:\\Program Files\\P");
    EXPECT_EQ(options.dosBoxExe, "D:\\Portable DOSBox\\DOSBox.exe");
    EXPECT_EQ(options.folder, "c:\\Program Files\\P");
    EXPECT_FALSE(options.Bad());
    EXPECT_EQ(ParseCommandLine("setup.exe /dosbox=e:\\x.exe").dosBoxExe, "e:\\x.exe");
    EXPECT_EQ(ParseCommandLine("setup.exe /S").dosBoxExe, "");
    // Empty, or after /D= (where it would be part of the folder).
    EXPECT_TRUE(ParseCommandLine("setup.exe /S /DOSBOX=").Bad());
    options = ParseCommandLine("setup.exe /S /D=c:\\tq /DOSBOX=e:\\x.exe");
    EXPECT_TRUE(options.Bad());
    EXPECT_EQ(options.dosBoxExe, "");
}

TEST(InstallMutexName, SameFolderSameNameWhateverTheSpelling) {
    std::string name = InstallMutexName("c:\\tq\\");
    EXPECT_EQ(name.rfind("Global\\PentaroSetup-", 0), 0u);
    EXPECT_EQ(name.size(), std::string("Global\\PentaroSetup-").size() + 16);
    // After its namespace, a kernel object name may hold no backslash.
    EXPECT_EQ(name.find('\\', 7), std::string::npos);
    EXPECT_EQ(InstallMutexName("C:\\TQ"), name);
    EXPECT_EQ(InstallMutexName("c:/tq//"), name);
    EXPECT_NE(InstallMutexName("c:\\tq2\\"), name);
    EXPECT_NE(InstallMutexName("d:\\tq\\"), name);
}

TEST(LogEntry, EveryLineOfAMessageOnALineOfItsOwn) {
    // The closing message of a menu-program install begins with two CR LF pairs; a
    // DOSBox message has CR alone; the question has LF alone.
    EXPECT_EQ(LogEntry("T", "Message [Pentaro]:", "\r\n\r\nA,\r\nB\rC\n\nD"),
              "T  Message [Pentaro]:\r\n"
              "T  | \r\nT  | \r\nT  | A,\r\nT  | B\r\nT  | C\r\nT  | \r\nT  | D\r\n");
    EXPECT_EQ(LogEntry("T", "Written: c:\\tq\\a"), "T  Written: c:\\tq\\a\r\n");
}
