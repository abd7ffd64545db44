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
