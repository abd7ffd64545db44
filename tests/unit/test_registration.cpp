#include "install/options.h"
#include "install/registration.h"
#include "install/uninstaller.h"

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
