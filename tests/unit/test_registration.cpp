#include "install/options.h"
#include "install/registration.h"
#include "install/uninstall_options.h"
#include "uninstall/entry.h"
#include "uninstall/uninstaller.h"

#include <gtest/gtest.h>

#include <set>

TEST(UninstallEntryValues, CommandLinesQuotedSizeInWholeKilobytesDateAsDigits) {
    const auto values = UninstallEntryValues("c:\\program files\\pentaro\\", 2049, 20260307);
    auto value = [&](const std::string& name) {
        for (const EntryValue& v : values)
            if (name == v.Name) return v;
        ADD_FAILURE() << "no value " << name;
        return EntryValue{"", {}, false, 0};
    };
    // A path with blanks reaches the uninstaller whole only in quotes.
    EXPECT_EQ(value("UninstallString").Text, "\"c:\\program files\\pentaro\\uninstall.exe\"");
    EXPECT_EQ(value("QuietUninstallString").Text,
              "\"c:\\program files\\pentaro\\uninstall.exe\" /S");
    EXPECT_EQ(value("InstallLocation").Text, "c:\\program files\\pentaro\\");
    EXPECT_EQ(value("DisplayIcon").Text, "c:\\program files\\pentaro\\penta.ico");
    // Part of a kilobyte counts as one.
    EXPECT_TRUE(value("EstimatedSize").IsNumber);
    EXPECT_EQ(value("EstimatedSize").Number, 3u);
    EXPECT_EQ(UninstallEntryValues("c:\\tq\\", 2048, 20260307)[7].Number, 2u);
    EXPECT_EQ(value("InstallDate").Text, "20260307");
    EXPECT_EQ(value("NoModify").Number, 1u);
    EXPECT_EQ(value("NoRepair").Number, 1u);
    std::set<std::string> names;
    for (const EntryValue& v : values)
        EXPECT_TRUE(names.insert(v.Name).second) << v.Name << " twice";
}

TEST(MissingFolders, TheFoldersBelowTheFirstOneThatExistsOutermostFirst) {
    // Only c:\apps is there.
    auto exists = [](const std::string& path) { return path == "c:\\apps"; };
    struct Case {
        const char* folder;
        std::vector<std::string> missing;
    } cases[] = {
        {"c:\\apps\\pentaro\\3\\", {"c:\\apps\\pentaro\\", "c:\\apps\\pentaro\\3\\"}},
        {"c:\\apps", {}},
        {"c:\\tq\\\\", {"c:\\tq\\"}},
        {"c:/new/tq", {"c:\\new\\", "c:\\new\\tq\\"}},
        // The drive root is never made.
        {"c:\\", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MissingFolders(c.folder, exists), c.missing) << c.folder;
}

TEST(IsUninstallerProgram, OnlyTheUninstallerFileNameInAnyCase) {
    EXPECT_TRUE(IsUninstallerProgram("C:\\TQ\\UNINSTALL.EXE"));
    EXPECT_TRUE(IsUninstallerProgram("c:\\tq\\uninstall.exe"));
    EXPECT_TRUE(IsUninstallerProgram("uninstall.exe"));
    EXPECT_FALSE(IsUninstallerProgram("c:\\uninstall.exe\\PentaroSetup.exe"));
    EXPECT_FALSE(IsUninstallerProgram("c:\\tq\\my uninstall.exe"));
    EXPECT_FALSE(IsUninstallerProgram(""));
}

TEST(ParseCommandLine, AllUsersAndTheUninstallersCopy) {
    InstallOptions options = ParseCommandLine("setup.exe /s /AllUsers /D=c:\\program files\\p");
    EXPECT_TRUE(options.allUsers);
    EXPECT_FALSE(options.Bad());
    EXPECT_FALSE(ParseCommandLine("setup.exe /S").allUsers);
    // Like every switch, not after /D=.
    EXPECT_TRUE(ParseCommandLine("setup.exe /S /D=c:\\tq /ALLUSERS").Bad());

    options =
        ParseCommandLine("\"c:\\temp\\PentaroUninstall-12.exe\" /S \"/LOG=c:\\my logs\\u.log\" "
                         "/UNINSTALLCOPY=124,88 /D=c:\\my apps\\tq\\");
    EXPECT_EQ(options.uninstallCopy, "124,88");
    EXPECT_EQ(options.folder, "c:\\my apps\\tq\\");
    EXPECT_EQ(options.logFile, "c:\\my logs\\u.log");
    EXPECT_TRUE(options.silent);
    EXPECT_FALSE(options.Bad());
}

TEST(UninstallOptionsOf, TheInstallersRulesAndOnlyTheUninstallersSwitches) {
    const struct {
        const char* line;
        bool usable;
    } cases[] = {
        {"uninstall.exe /S", true},
        {"uninstall.exe /S /LOG=c:\\u.log", true},
        {"uninstall.exe /S /VERBOSE", false},
        {"uninstall.exe /S /NORESTART", true},
        {"uninstall.exe /S /?", false},
        {"uninstall.exe /S /LOG=", false},
        {"uninstall.exe /S /LOG=a.log /LOG=b.log", false},
        {"uninstall.exe /S /ALLUSERS", false},
        {"uninstall.exe /S /NOSHORTCUT", false},
        {"uninstall.exe /S /NoStartMenu", false},
        {"uninstall.exe /S /D=c:\\tq", false},
        {"uninstall.exe /S /UNINSTALLCOPY=12,16", false},
        {"c:\\temp\\copy.exe /S /UNINSTALLCOPY=12,16 /D=c:\\tq\\", true},
    };
    for (const auto& c : cases) {
        const UninstallOptions options = UninstallOptionsOf(ParseCommandLine(c.line));
        EXPECT_EQ(options.problem.empty(), c.usable) << c.line << ": " << options.problem;
        EXPECT_TRUE(options.silent) << c.line;
    }
}

TEST(RemovedMessage, NamesAFewKeptPathsAndHowManyMore) {
    RemovalPlan plan;
    for (int i = 0; i < 400; ++i)
        plan.keptAdded.push_back("c:\\tq\\save" + std::to_string(i) + ".dat");
    const std::string message = RemovedMessage("c:\\tq\\", plan);
    EXPECT_NE(message.find("save0.dat"), std::string::npos);
    EXPECT_EQ(message.find("save399.dat"), std::string::npos);
    EXPECT_LT(std::count(message.begin(), message.end(), '\n'), 25);
    EXPECT_NE(message.find(std::to_string(400 - KeptShownInMessage) + " more"), std::string::npos);
}

TEST(StepForRights, AnInstallForAllUsersIsRemovedByAnAdministratorOnly) {
    const struct {
        bool allUsers, administrator, silent;
        RightsStep step;
    } cases[] = {
        {false, false, false, RightsStep::GoAhead}, {false, false, true, RightsStep::GoAhead},
        {true, true, false, RightsStep::GoAhead},   {true, true, true, RightsStep::GoAhead},
        {true, false, false, RightsStep::Elevate}, // the UAC prompt
        {true, false, true, RightsStep::Refuse},   // never a prompt under /S
    };
    for (const auto& c : cases)
        EXPECT_EQ(StepForRights(c.allUsers, c.administrator, c.silent), c.step)
            << c.allUsers << c.administrator << c.silent;
}
