#include "ui/ui_core.h"

#include <gtest/gtest.h>

TEST(CenteredLeft, HalvesTheDifferenceTowardZero) {
    EXPECT_EQ(CenteredLeft(500, 100), 200);
    EXPECT_EQ(CenteredLeft(185, 70), 57);  // 115 / 2 = 57.5
    EXPECT_EQ(CenteredLeft(100, 107), -3); // a text wider than its parent: -7 / 2
}

TEST(FormatThousands, GroupsOfThreeWithTheLocaleSeparator) {
    EXPECT_EQ(FormatThousands(0, ","), "0");
    EXPECT_EQ(FormatThousands(999, ","), "999");
    EXPECT_EQ(FormatThousands(1000, ","), "1,000");
    EXPECT_EQ(FormatThousands(445634, "."), "445.634");
    EXPECT_EQ(FormatThousands(4294967295u, "\xA0"), "4\xA0"
                                                    "294\xA0"
                                                    "967\xA0"
                                                    "295");
    EXPECT_EQ(FormatThousands(1234567, ""), "1234567");
}

TEST(BytesDoneText, BothNumbersUnsigned) {
    EXPECT_EQ(BytesDoneText(0, 0, ","), "0 of 0 bytes");
    EXPECT_EQ(BytesDoneText(10442, 445634, ","), "10,442 of 445,634 bytes");
    // Counts past 2 GiB stay positive.
    EXPECT_EQ(BytesDoneText(3000000000u, 4000000000u, ","), "3,000,000,000 of 4,000,000,000 bytes");
}

TEST(DriveCheck, RootAndAcceptedDriveTypes) {
    EXPECT_EQ(InstallRoot("c:\\tq"), "c:\\");
    EXPECT_EQ(InstallRoot("c:"), "c:");
    EXPECT_EQ(InstallRoot(""), "");
    EXPECT_EQ(InstallRoot("\\\\server\\share"), "\\\\s");
    for (unsigned type : {2u, 3u, 4u})
        EXPECT_TRUE(IsInstallableDriveType(type)) << type;
    for (unsigned type : {0u, 1u, 5u, 6u})
        EXPECT_FALSE(IsInstallableDriveType(type)) << type;
}

// Wine answers GetDriveType for a relative root against the current folder, so only a
// drive-letter root may be asked about.
TEST(DriveCheck, OnlyDriveLetterRootsNameADrive) {
    for (const char* root : {"c:\\", "Z:\\", "d:", "c:/"})
        EXPECT_TRUE(IsDriveRoot(root)) << root;
    for (const char* root : {"", "tq", "cor", "c:t", "\\\\s", "\\tq", "1:\\", "c", "c;\\"})
        EXPECT_FALSE(IsDriveRoot(root)) << root;
}

TEST(Logo, FontHeightAndTextPlace) {
    EXPECT_EQ(LogoFontHeight(105, 10), 59);
    EXPECT_EQ(LogoTextLeft(105, 60), 23);
    EXPECT_EQ(LogoTextTop(105, 59), 23);
}
