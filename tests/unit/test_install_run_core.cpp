// The installation run's texts byte for byte (the dialogs show CR, LF and CR LF alike, so
// the end-to-end tests cannot tell them apart) and its folder rules.
#include "install/run_core.h"

#include <gtest/gtest.h>

TEST(RunCatalogue, OneEntryMoreThanCommas) {
    EXPECT_EQ(CatalogueCount("rs_cmd,rs_exe,rs_kdb1,rs_kdb2,rs_hlp,rs_icon,rs_kdbv4,rs_kdbv4add,"
                             "rs_readme,rs_spool32"),
              10);
    EXPECT_EQ(CatalogueCount("rs_cmd"), 1);
}

TEST(RunMessages, LoadErrorListWithoutItsFirstLineBreak) {
    std::string lines = LoadErrorLine("rs_hlp", "pentaro.hlp");
    EXPECT_EQ(lines, "\r\nError Reading resource item rs_hlp, Filename pentaro.hlp");
    EXPECT_EQ(LoadErrorList(lines), "Error Reading resource item rs_hlp, Filename pentaro.hlp");
    lines += LoadErrorLine("rs_kdb2", "");
    EXPECT_EQ(LoadErrorList(lines), "Error Reading resource item rs_hlp, Filename pentaro.hlp\r\n"
                                    "Error Reading resource item rs_kdb2, Filename ");
}

TEST(RunMessages, CancelAndFinishes) {
    EXPECT_EQ(CancelMessage(1, 10), "Installation cancelled. 1 of 10 files were installed.");
    EXPECT_EQ(MenuProgramMessage(),
              "\r\n\r\nTo run Pentaro, start the Corvane Menu program,\r\nand click the P+ icon.");
    EXPECT_EQ(SiblingInstalledMessage(),
              "Pentaro, version 3.24, was installed successfully.\r\n\r\n"
              "To run Pentaro, first run Helmstar, then press the function key F6.");
    EXPECT_EQ(ShortcutQuestion(),
              "Pentaro, version 3.24, was installed successfully.\n\n"
              "Normally Pentaro is run from inside Helmstar by pressing the function key, F6. If "
              "you are not \ninstalling Helmstar, you need a shortcut on the \ndesktop to run this "
              "wheel program. \n\nClick NO if you do NOT want the P+ shortcut created.");
    EXPECT_EQ(DesktopIconMessage(), "To run Pentaro, click the P+ icon on your desktop.");
    EXPECT_EQ(StartFromSiblingMessage(),
              "To run Pentaro, start Helmstar and press function key F6.");
}

TEST(RunMessages, WriteAndFolderErrorsNameThePathAndTheReason) {
    EXPECT_EQ(WriteErrorMessage("c:\\tq\\pentaro2.kdb", "Access denied."),
              "Error writing file c:\\tq\\pentaro2.kdb\r\n\r\nAccess denied.");
    EXPECT_EQ(FolderErrorMessage("c:\\blocker\\tq\\", "Access denied."),
              "Error creating folder c:\\blocker\\tq\\\r\n\r\nAccess denied.");
}

TEST(MenuProgram, ParentFolderButNeverADriveRoot) {
    EXPECT_EQ(MenuProgramParent("C:\\corvane\\tq\\"), "C:\\corvane\\");
    EXPECT_EQ(MenuProgramParent("C:\\corvane\\tq"), "C:\\corvane\\");
    EXPECT_EQ(MenuProgramParent("C:\\tq\\"), "");
    EXPECT_EQ(MenuProgramParent("C:\\"), "");
    EXPECT_EQ(MenuProgramParent(""), "");
    EXPECT_EQ(MenuProgramParent("d:\\games\\pentaro\\"), "d:\\games\\");
}

TEST(ProposedFolder, OnTheDriveOfTheWindowsFolder) {
    EXPECT_EQ(DriveRootOf("C:\\WINDOWS"), "C:\\");
    EXPECT_EQ(DriveRootOf("D:\\"), "D:\\");
    EXPECT_EQ(DriveRootOf(""), "");
    EXPECT_EQ(DriveRootOf("nowhere"), "");
    EXPECT_EQ(ProposedFolderOn("C:\\", true), "C:\\corvane\\tq");
    EXPECT_EQ(ProposedFolderOn("C:\\", false), "C:\\tq");
    // An unknown Windows folder leaves a relative proposal, which the drive check refuses.
    EXPECT_EQ(ProposedFolderOn("", false), "tq");
}

TEST(AccessStepFor, WhatTheSystemAccountWillRunIsOutOfTheUsersReach) {
    const struct {
        bool allUsers, existed, usersMayWrite;
        FolderAccessStep step;
    } cases[] = {
        {false, false, false, FolderAccessStep::Leave},
        {false, true, true, FolderAccessStep::Leave}, // a user's own install
        {true, false, false, FolderAccessStep::Protect},
        {true, true, false, FolderAccessStep::Leave}, // Program Files, or protected already
        {true, true, true, FolderAccessStep::Refuse}, // made by hand at the root of C:
        {true, false, true, FolderAccessStep::Refuse}, // to be made in c:\games, a user's
    };
    for (const auto& c : cases)
        EXPECT_EQ(AccessStepFor(c.allUsers, c.existed, c.usersMayWrite), c.step)
            << c.allUsers << c.existed << c.usersMayWrite;
}

TEST(OpenToUsersMessage, NamesThePlaceAndWhereItLies) {
    const std::string folder = "c:\\games\\pentaro\\";
    const struct {
        std::string place;
        const char* says;
    } cases[] = {
        {"C:\\GAMES\\", "may change C:\\GAMES\\ above it"}, // spelt as the system gives it
        {"c:\\", "may change c:\\ above it"},
        {folder, "every user of this computer may change what is in that folder"},
        {folder + "pentaro1.kdb", "may change c:\\games\\pentaro\\pentaro1.kdb in it"},
    };
    for (const auto& c : cases) {
        const std::string text = OpenToUsersMessage(folder, c.place);
        EXPECT_NE(text.find(c.says), std::string::npos) << text;
        EXPECT_NE(text.find("into " + folder), std::string::npos) << text;
    }
}
