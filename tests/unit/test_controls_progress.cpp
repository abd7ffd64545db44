// The levelled progress bar's arithmetic: percentages, levels, blocks and when a new
// position is painted.
#include "controls/progress_core.h"
#include "test_controls_raster.h"
#include "toolkit/dpi.h"

#include <gtest/gtest.h>

namespace {

TEST(ProgressPercent, HalvesGoToEven) {
    EXPECT_EQ(ProgressPercent(25, 0, 200), 12);
    EXPECT_EQ(ProgressPercent(27, 0, 200), 14);
    EXPECT_EQ(ProgressPercent(1, 0, 3), 33);
    EXPECT_EQ(ProgressPercent(2, 0, 3), 67);
    EXPECT_EQ(ProgressPercent(4000000000LL, 0, 4000000000LL), 100);
    EXPECT_EQ(ProgressPercent(7, 7, 7), 0); // Max equal to Min shows 0 %
    EXPECT_EQ(ProgressPercent(150, 50, 150), 100);
}

TEST(ProgressLevel, BoundariesAt70And90And100) {
    const std::pair<int, int> cases[] = {{0, 0},  {69, 0}, {70, 1}, {89, 1},
                                         {90, 2}, {99, 2}, {100, 3}};
    for (auto [percent, level] : cases)
        EXPECT_EQ(ProgressLevel(percent, 70, 90), level) << percent;
}

// A bar whose usable length is 100 pixels shows Q = percent pixels.
std::vector<tk::TRect> BlocksOfQ(int q) {
    return ProgressBlocks({0, 0, 102, 18}, q);
}

TEST(ProgressBlocks, LayoutForSmallQ) {
    EXPECT_TRUE(BlocksOfQ(0).empty());
    EXPECT_TRUE(BlocksOfQ(1).empty());
    EXPECT_EQ(BlocksOfQ(2), (std::vector<tk::TRect>{{2, 2, 3, 16}}));
    EXPECT_EQ(BlocksOfQ(9), (std::vector<tk::TRect>{{2, 2, 10, 16}})); // 8 wide
    EXPECT_EQ(BlocksOfQ(10), (std::vector<tk::TRect>{{2, 2, 9, 16}})); // 7 wide
    EXPECT_EQ(BlocksOfQ(11), (std::vector<tk::TRect>{{2, 2, 9, 16}})); // remainder 2: none
    EXPECT_EQ(BlocksOfQ(20), (std::vector<tk::TRect>{{2, 2, 9, 16}, {11, 2, 18, 16}}));
    EXPECT_EQ(BlocksOfQ(21),
              (std::vector<tk::TRect>{{2, 2, 9, 16}, {11, 2, 18, 16}, {20, 2, 22, 16}}));
}

TEST(ProgressBlocks, FullBarOf433Pixels) {
    auto blocks = ProgressBlocks({0, 0, 433, 18}, 100);
    ASSERT_EQ(blocks.size(), 48u); // 47 blocks of 7 and a last one of 7 (431 mod 9 = 8)
    for (size_t i = 0; i < blocks.size(); ++i) {
        EXPECT_EQ(blocks[i].Width(), 7) << i;
        EXPECT_EQ(blocks[i].Left, 2 + 9 * static_cast<int>(i)) << i;
    }
    EXPECT_EQ(blocks.back().Right, 432); // up to the border column
    // 50 %: Q = Round(215.5) = 216, 24 blocks and no remainder.
    EXPECT_EQ(ProgressBlocks({0, 0, 433, 18}, 50).size(), 24u);
}

TEST(ProgressBlocks, ScaledBarsKeepTheirBlocksInsideTheBorder) {
    // The 433 x 18 bar at 125 %, 150 % and 200 %: at every percentage the blocks stay
    // inside the border and clear of each other, the first one Inset pixels in, and a
    // full bar ends less than a pitch from the border.
    for (int dpi : {120, 144, 192}) {
        TProgressMetrics m = ProgressMetricsAt(dpi);
        int width = tk::Scale(433, dpi), height = tk::Scale(18, dpi);
        for (int percent = 0; percent <= 100; ++percent) {
            auto blocks = ProgressBlocks({0, 0, width, height}, percent, m);
            int previousRight = 0;
            for (const tk::TRect& b : blocks) {
                EXPECT_GT(b.Width(), 0) << dpi << " " << percent;
                EXPECT_LE(b.Width(), m.Block + m.Gap) << dpi << " " << percent;
                EXPECT_GE(b.Left, previousRight + (previousRight == 0 ? m.Inset : m.Gap))
                    << dpi << " " << percent;
                EXPECT_LE(b.Right, width - m.Border) << dpi << " " << percent;
                EXPECT_EQ(b.Top, m.Inset);
                EXPECT_EQ(b.Bottom, height - m.Inset);
                previousRight = b.Right;
            }
            if (percent == 100) {
                ASSERT_FALSE(blocks.empty());
                EXPECT_EQ(blocks.front().Left, m.Inset);
                EXPECT_GT(blocks.back().Right, width - m.Border - (m.Block + m.Gap)) << dpi;
            }
        }
    }
    // At 150 % a block is 11 pixels (10.5) at a pitch of 14 behind a 2-pixel border.
    TProgressMetrics at144 = ProgressMetricsAt(144);
    EXPECT_EQ(at144.Border, 2);
    EXPECT_EQ(at144.Inset, 3);
    EXPECT_EQ(at144.Block + at144.Gap, 14);
    // 96 dpi is the bar as it always was.
    EXPECT_EQ(ProgressBlocks({0, 0, 433, 18}, 100, ProgressMetricsAt(96)),
              ProgressBlocks({0, 0, 433, 18}, 100));
}

TEST(ProgressBlockFills, PaleEdgesFullColourInTheMiddle) {
    const tk::TColor main = tk::clLime, pale = 0x00E1FFE1;
    tk::TRect block{2, 2, 9, 16};
    TRaster picture(12, 18);
    picture.Fill(ProgressBlockFills(block, main, pale, 8, true));
    EXPECT_EQ(picture.At(2, 2), pale);
    EXPECT_EQ(picture.At(8, 9), main); // the lower half starts in the main colour at row 9
    EXPECT_NE(picture.At(5, 15), main);
    EXPECT_GT(tk::RedOf(picture.At(5, 15)), tk::RedOf(picture.At(5, 12)));
    EXPECT_EQ(picture.At(9, 9), 0x00123456u); // nothing beside the block
    EXPECT_EQ(picture.At(5, 16), 0x00123456u);
    EXPECT_EQ(ProgressBlockFills(block, main, pale, 8, false), (std::vector<TFill>{{block, main}}));
}

TEST(ProgressText, CentredPercentage) {
    EXPECT_EQ(ProgressText(14, 27, true), "14%");
    EXPECT_EQ(ProgressText(14, 27, false), "27");
    EXPECT_EQ(ProgressTextOrigin({0, 0, 433, 18}, {31, 13}), (tk::TPoint{216 - 15, 9 - 6}));
}

TEST(ProgressPosition, PaintsOncePerStepOrPercentage) {
    TProgressPosition bar;
    bar.SetMax(1000); // step size 10
    EXPECT_EQ(bar.StepSize(), 10);
    std::vector<long long> painted;
    for (long long v = 0; v <= 20; ++v)
        if (bar.SetPosition(v)) painted.push_back(v);
    // 0, 10 and 20 are multiples of the step; 6 and 15 are the first to show 1 % and 2 %
    // (0.5 % goes to the even 0, 1.5 % to the even 2).
    EXPECT_EQ(painted, (std::vector<long long>{0, 6, 10, 15, 20}));

    TProgressPosition bytes;
    bytes.SetMax(100000);
    int paints = 0;
    for (long long v = 0; v <= 100000; ++v)
        paints += bytes.SetPosition(v) ? 1 : 0;
    EXPECT_GE(paints, 101);
    EXPECT_LE(paints, 202);
}

TEST(ProgressPosition, OutOfRangeIsClampedWithoutPainting) {
    TProgressPosition bar;
    bar.SetMax(200);
    EXPECT_TRUE(bar.SetPosition(27));
    EXPECT_FALSE(bar.SetPosition(500));
    EXPECT_EQ(bar.Position(), 200);
    EXPECT_FALSE(bar.SetPosition(-1));
    EXPECT_EQ(bar.Position(), 0);
    // A step size of 0 (fewer than 100 units) paints every position.
    TProgressPosition small;
    small.SetMax(50);
    EXPECT_TRUE(small.SetPosition(3));
    EXPECT_TRUE(small.SetPosition(3));
    // A smaller Max takes the position along instead of showing more than 100 %.
    TProgressPosition shrunk;
    shrunk.SetMax(10);
    EXPECT_EQ(shrunk.Position(), 10);
    EXPECT_EQ(shrunk.Percent(), 100);
}

} // namespace
