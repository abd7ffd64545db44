#include "app/startup.h"

#include <gtest/gtest.h>

TEST(HasTestSwitch, AnywhereInEitherCase) {
    EXPECT_FALSE(HasTestSwitch("\"D:\\PentaroSetup.exe\""));
    EXPECT_FALSE(HasTestSwitch("D:\\PentaroSetup.exe -t"));
    EXPECT_TRUE(HasTestSwitch("\"D:\\PentaroSetup.exe\" /t"));
    EXPECT_TRUE(HasTestSwitch("\"D:\\PentaroSetup.exe\" /T"));
    EXPECT_TRUE(HasTestSwitch("D:\\PentaroSetup.exe /test"));
    EXPECT_TRUE(HasTestSwitch("D:\\PentaroSetup.exe /q/T"));
}

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
}

TEST(StartupWarning, ThreeParagraphsSeparatedByTwoLineFeeds) {
    std::string text = StartupWarningText;
    EXPECT_EQ(text.find('\r'), std::string::npos);
    std::size_t first = text.find("\n\n");
    ASSERT_NE(first, std::string::npos);
    std::size_t second = text.find("\n\n", first + 2);
    ASSERT_NE(second, std::string::npos);
    EXPECT_EQ(text.find('\n', second + 2), std::string::npos);
    EXPECT_EQ(text.substr(0, first),
              "This computer has a 64 bit operating system which cannot directly execute DOS "
              "programs.");
    EXPECT_NE(text.find("DOSbox website.  Download"), std::string::npos);
    EXPECT_EQ(StartupWarningFlags, 0x31u);
}
