#include "toolkit/colors.h"

#include <gtest/gtest.h>

TEST(Round, HalvesGoToTheEvenNeighbour) {
    EXPECT_EQ(tk::Round(12.5), 12);
    EXPECT_EQ(tk::Round(13.5), 14);
    EXPECT_EQ(tk::Round(-0.5), 0);
    EXPECT_EQ(tk::Round(-1.5), -2);
    EXPECT_EQ(tk::Round(3.9), 4);
    EXPECT_EQ(tk::Round(3.49), 3);
}

TEST(ParseColor, NamesAndNumbers) {
    tk::TColor c = 0;
    ASSERT_TRUE(tk::ParseColor("clMaroon", c));
    EXPECT_EQ(c, 0x00000080u);
    ASSERT_TRUE(tk::ParseColor("$00004DFF", c));
    EXPECT_EQ(tk::RedOf(c), 0xFF);
    EXPECT_EQ(tk::GreenOf(c), 0x4D);
    ASSERT_TRUE(tk::ParseColor("clBtnFace", c));
    EXPECT_TRUE(tk::IsSystemColor(c));
    EXPECT_FALSE(tk::ParseColor("clPurpleish", c));
}
