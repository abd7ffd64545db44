#include "app/startup.h"
#include "engine/exit_code.h"
#include "engine/folder_lock.h"
#include "engine/log.h"
#include "install/instance_lock.h"
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

TEST(ParseCommandLine, NoStartMenu) {
    EXPECT_TRUE(ParseCommandLine("setup.exe /S /NoStartMenu /D=c:\\tq").noStartMenu);
    EXPECT_FALSE(ParseCommandLine("setup.exe /S /NOSHORTCUT").noStartMenu);
    // After /D= it was meant as a switch, not as a part of the folder.
    EXPECT_TRUE(ParseCommandLine("setup.exe /S /D=c:\\tq /nostartmenu").Bad());
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

    // A second /LOG= is refused rather than one of the two silently dropped.
    options = ParseCommandLine("setup.exe /S /LOG=a.log /log=b.log");
    EXPECT_TRUE(options.Bad());
    EXPECT_EQ(options.Problem(), "/LOG= given more than once");

    // A /S inside another argument still means no window, and the line is refused.
    for (const char* line :
         {"setup.exe \"x /S\"", "setup.exe \"/LOG=c:\\a /s b.log\"", "setup.exe x\" /S\""}) {
        options = ParseCommandLine(line);
        EXPECT_TRUE(options.silent) << line;
        EXPECT_TRUE(options.Bad()) << line;
    }
    // ... but not one in the program's own path.
    EXPECT_FALSE(ParseCommandLine("\"C:\\x /S\\setup.exe\" /NOSHORTCUT").silent);

    // Unknown switches and stray words are kept, in order, for the caller to refuse.
    options = ParseCommandLine("setup.exe /S /NORESTARTS -s tq");
    ASSERT_EQ(options.unknown.size(), 3u);
    EXPECT_EQ(options.unknown[0], "/NORESTARTS");
    EXPECT_EQ(options.Problem(), "Unknown argument: /NORESTARTS");
}

TEST(ParseCommandLine, LinesThatWouldInstallElsewhereAreRefused) {
    struct Case {
        const char* line;
        bool silent;
    };
    for (const Case& c : {
             // The closing quote forgotten: the /D= after it is not the folder.
             Case{"setup.exe /S \"/LOG=c:\\a.log /D=C:\\Program Files\\Pentaro", true},
             Case{"setup.exe /S /D=\"c:\\a b", true},
             Case{"setup.exe \"/D=c:\\a b", false},
             // Closed, but around a switch that was meant to stand on its own.
             Case{"setup.exe /S \"/LOG=c:\\a.log /NOSHORTCUT\"", true},
             Case{"setup.exe /S \"/DOSBOX=d:\\dosbox.exe /allusers\" /D=c:\\tq", true},
             // A habitual silent switch inside an argument: no window, and refused.
             Case{"setup.exe \"/LOG=c:\\a.log /VERYSILENT\"", true},
         }) {
        const InstallOptions options = ParseCommandLine(c.line);
        EXPECT_TRUE(options.Bad()) << c.line;
        EXPECT_EQ(options.silent, c.silent) << c.line;
    }
    // Blanks in a quoted log path are no switch; a quote in the program's path is no
    // argument's.
    EXPECT_FALSE(ParseCommandLine("setup.exe /S \"/LOG=c:\\s q\\a.log\"").Bad());
    EXPECT_FALSE(ParseCommandLine("\"c:\\cd\\setup.exe\" /S").Bad());
}

TEST(ParseCommandLine, OtherInstallersSilentSwitchesMeanSilent) {
    for (const char* word : {"/VERYSILENT", "/silent", "/Quiet", "/passive", "/q", "/QN"}) {
        const InstallOptions options = ParseCommandLine(std::string("setup.exe ") + word);
        EXPECT_TRUE(options.silent) << word;
        EXPECT_FALSE(options.Bad()) << word;
        // After /D= as everywhere else: silent, and refused.
        const InstallOptions late = ParseCommandLine(std::string("setup.exe /D=c:\\tq ") + word);
        EXPECT_TRUE(late.silent && late.Bad()) << word;
    }
    // Switches that show a window in the installers they belong to stay unknown.
    for (const char* word : {"/qb", "-silent", "/SP"}) {
        const InstallOptions options = ParseCommandLine(std::string("setup.exe ") + word);
        EXPECT_FALSE(options.silent) << word;
        EXPECT_TRUE(options.Bad()) << word;
    }
}

// How deployment tools and scripts write command lines: other installers' habits, forward
// slashes in paths (where the start-up check's "/t" must not be found), paths with blanks
// left unquoted, the progress-only silent switches, and /?.
TEST(ParseCommandLine, AsAdministratorsWriteIt) {
    enum : unsigned {
        Silent = 1,    // no question, no message box
        Progress = 2,  // ... and the progress window
        Help = 4,      // /? instead of installing
        Usable = 8,    // nothing refused on the line
        Cut = 16,      // a path with blanks after an unquoted /LOG= or /DOSBOX=
        TestFound = 32 // the start-up check finds "/t"
    };
    struct Row {
        const char* line;
        unsigned expected;
        size_t accepted; // other installers' switches named for the log
    };
    const Row rows[] = {
        // Other installers' switches that change nothing here: accepted in any case.
        {"setup.exe /VERYSILENT /SUPPRESSMSGBOXES /NORESTART", Silent | Usable, 2},
        {"setup.exe /qn /norestart", Silent | Usable, 1},
        {"setup.exe /S /sp- /NoCancel /CLOSEAPPLICATIONS /NOCLOSEAPPLICATIONS "
         "/NORESTARTAPPLICATIONS /D=c:\\tq",
         Silent | Usable, 5},
        {"setup.exe /NORESTART", Usable, 1},
        // ... but only those: others still end the unattended install.
        {"setup.exe /S /NORESTARTS", Silent, 0},
        {"setup.exe /S /qb", Silent, 0},
        {"setup.exe /S /D=c:\\tq /NORESTART", Silent, 0},
        {"setup.exe /S \"/LOG=c:\\a.log /SUPPRESSMSGBOXES\"", Silent, 0},
        // Paths written with forward slashes: the "/t" in them is no switch.
        {"setup.exe /S /D=c:/tools/x", Silent | Usable, 0},
        {"setup.exe /S \"/D=c:/tools/x\"", Silent | Usable, 0},
        {"setup.exe /S /LOG=c:/temp/p.log /DOSBOX=d:/tools/dosbox.exe /D=c:\\tq", Silent | Usable,
         0},
        {"setup.exe /S \"/LOG=c:/my temp/p.log\" /DOSBOX=\"d:/my tools/dosbox.exe\"",
         Silent | Usable, 0},
        // Everywhere else it is found as before, "/test" and the program's own path included.
        {"setup.exe /S /test", Silent | TestFound, 0},
        {"setup.exe /T", TestFound, 0},
        {"setup.exe /S x/tq", Silent | TestFound, 0},
        {"c:/tools/setup.exe /S", Silent | Usable | TestFound, 0},
        {"setup.exe /S /LOG=c:\\a.log/t", Silent | Usable, 0},
        // ... and where it was written as a switch of its own inside a value.
        {"setup.exe /S /D=c:\\tq /t", Silent | Usable | TestFound, 0},
        {"setup.exe /S /D=\"c:\\tq /Test\"", Silent | Usable | TestFound, 0},
        {"setup.exe /S \"/LOG=c:\\a.log /t\"", Silent | Usable | TestFound, 0},
        // A path with blanks left unquoted: refused as such, not as unknown words or a missing
        // file; the rest of the path is no place for "/t" either.
        {"setup.exe /S /DOSBOX=C:\\Tools\\DOSBox Portable\\DOSBox.exe", Silent | Cut, 0},
        {"setup.exe /S /LOG=c:\\my logs/tmp\\p.log /D=c:\\tq", Silent | Cut, 0},
        {"setup.exe /S /LOG=c:\\p.log /NOSUCH", Silent, 0},
        {"setup.exe /S /LOG=c:\\p.log \"x y\"", Silent, 0},
        {"setup.exe /S /DOSBOX=\"C:\\Tools\\DOSBox Portable\\DOSBox.exe\"", Silent | Usable, 0},
        // The progress window with /SILENT and /PASSIVE, unless a windowless switch is there too.
        {"setup.exe /SILENT /SUPPRESSMSGBOXES", Silent | Progress | Usable, 1},
        {"setup.exe /Passive /norestart /D=c:\\tq", Silent | Progress | Usable, 1},
        {"setup.exe /SILENT /S", Silent | Usable, 0},
        {"setup.exe /VERYSILENT /silent", Silent | Usable, 0},
        {"setup.exe /SILENT \"/LOG=c:\\x /Q\"", Silent, 0},
        {"setup.exe /D=c:\\tq /SILENT", Silent, 0},
        // /? instead of installing, also silent (then without a window).
        {"setup.exe /?", Help | Usable, 0},
        {"setup.exe /h", Help | Usable, 0},
        {"setup.exe /Help /S", Help | Silent | Usable, 0},
        {"setup.exe /??", 0, 0},
        {"setup.exe /S /D=c:\\tq /?", Silent, 0},
    };
    for (const Row& row : rows) {
        const InstallOptions options = ParseCommandLine(row.line);
        unsigned got = (options.silent ? Silent : 0) | (options.showProgress ? Progress : 0) |
                       (options.help ? Help : 0) | (options.Bad() ? 0 : Usable) |
                       (options.pathCut ? Cut : 0) |
                       (HasTestSwitch(options.testSwitchText) ? TestFound : 0);
        EXPECT_EQ(got, row.expected) << row.line << ": " << options.Problem();
        EXPECT_EQ(options.ignored.size(), row.accepted) << row.line;
    }

    // The log says how the cut path should have been written.
    const InstallOptions cut =
        ParseCommandLine("setup.exe /S /DOSBOX=C:\\Tools\\DOSBox Portable\\DOSBox.exe /ALLUSERS");
    EXPECT_NE(cut.Problem().find("\"/DOSBOX=C:\\Tools\\DOSBox Portable\\DOSBox.exe\""),
              std::string::npos)
        << cut.Problem();
    EXPECT_TRUE(cut.allUsers);
    EXPECT_EQ(ParseCommandLine("setup.exe /S /D=c:/tools/x").folder, "c:/tools/x");
}

TEST(UsageText, EveryExitCodeUnderItsNumber) {
    const std::string text = UsageText("PentaroSetup.exe");
    EXPECT_EQ(text.rfind("PentaroSetup.exe ", 0), 0u);
    for (int value = 0; value <= static_cast<int>(ExitCode::DiskFull); ++value) {
        const char* name = ExitCodeName(static_cast<ExitCode>(value));
        EXPECT_NE(name[0], '?') << value;
        const std::string entry = std::to_string(value) + " " + name;
        const size_t at = text.find(entry);
        ASSERT_NE(at, std::string::npos) << name;
        EXPECT_TRUE(text[at - 1] == ' ' || text[at - 1] == '\n') << name;
        EXPECT_TRUE(text[at + entry.size()] == ',' || text[at + entry.size()] == '.') << name;
    }
}

TEST(WriteFailureCode, AFullDriveIsItsOwnOutcome) {
    EXPECT_EQ(WriteFailureCode(112), ExitCode::DiskFull);   // ERROR_DISK_FULL
    EXPECT_EQ(WriteFailureCode(39), ExitCode::DiskFull);    // ERROR_HANDLE_DISK_FULL
    EXPECT_EQ(WriteFailureCode(5), ExitCode::WriteFailed);  // ERROR_ACCESS_DENIED
    EXPECT_EQ(WriteFailureCode(32), ExitCode::WriteFailed); // ERROR_SHARING_VIOLATION
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

TEST(FolderMutexName, SameFolderSameNameWhateverTheSpelling) {
    std::string name = FolderMutexName("c:\\tq\\");
    // In the logon session's own namespace, where other users' sessions make no objects.
    EXPECT_EQ(name.rfind("Local\\PentaroSetup-", 0), 0u);
    EXPECT_EQ(name.size(), std::string("Local\\PentaroSetup-").size() + 16);
    // After its namespace, a kernel object name may hold no backslash.
    EXPECT_EQ(name.find('\\', 6), std::string::npos);
    for (const char* spelling :
         {"C:\\TQ", "c:/tq//", "c:\\.\\tq", "c:\\\\tq", "c:\\x\\..\\tq", "c:\\tq\\."})
        EXPECT_EQ(FolderMutexName(spelling), name) << spelling;
    EXPECT_NE(FolderMutexName("c:\\tq2\\"), name);
    EXPECT_NE(FolderMutexName("d:\\tq\\"), name);
}

TEST(LogEntry, EveryLineOfAMessageOnALineOfItsOwn) {
    // The closing message of a menu-program install begins with two CR LF pairs; a
    // DOSBox message has CR alone; the question has LF alone.
    EXPECT_EQ(LogEntry("T", "Message [Pentaro]:", "\r\n\r\nA,\r\nB\rC\n\nD"),
              "T  Message [Pentaro]:\r\n"
              "T  | \r\nT  | \r\nT  | A,\r\nT  | B\r\nT  | C\r\nT  | \r\nT  | D\r\n");
    EXPECT_EQ(LogEntry("T", "Written: c:\\tq\\a"), "T  Written: c:\\tq\\a\r\n");
    // A heading is one line: the command line's own CR LF does not start an undated one.
    EXPECT_EQ(LogEntry("T", "Start: setup /S\r\n"), "T  Start: setup /S  \r\n");
}

TEST(IsOneOf, TheLogAgainstTheFilesOfTheInstall) {
    const std::vector<std::string> files = {"c:\\l7\\tarnw.exe", "c:\\l7\\dosbox.conf"};
    for (const char* log : {"c:\\l7\\tarnw.exe", "C:\\L7\\TARNW.EXE", "c:\\l7\\.\\tarnw.exe",
                            "c:/x/../l7//tarnw.exe"})
        EXPECT_TRUE(IsOneOf(log, files)) << log;
    for (const char* log : {"c:\\l7\\setup.log", "c:\\l7\\tarnw.exe.log", "d:\\l7\\tarnw.exe"})
        EXPECT_FALSE(IsOneOf(log, files)) << log;
}
