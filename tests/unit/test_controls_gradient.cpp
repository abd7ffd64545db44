// The gradient arithmetic of the backgrounds and panels, with the worked examples of the
// main window (maroon to red in 100 steps) and the panels (32 bands at most).
#include "controls/gradient_core.h"
#include "test_controls_raster.h"

#include <gtest/gtest.h>

namespace {

constexpr tk::TColor kMaroon = 0x00000080;
constexpr tk::TColor kRed = 0x000000FF;

TEST(GradientBackground, VerticalInHundredStepsOf3Point9Pixels) {
    auto fills = GradientBackground(500, 390, grVertical, kMaroon, kRed, 100);
    // The 101st band starts at the bottom edge and adds nothing.
    ASSERT_EQ(fills.size(), 100u);
    EXPECT_EQ(fills.front().Color, kMaroon);
    EXPECT_EQ(fills.back().Color, tk::MakeColor(254, 0, 0));
    EXPECT_EQ(fills.back().Rect.Bottom, 390);
    // Band boundaries at Round(i * 3.9), halves going to the even row.
    const std::pair<int, int> boundaries[] = {{1, 4},   {5, 20},   {15, 58},
                                              {25, 98}, {35, 136}, {99, 386}};
    for (auto [i, row] : boundaries) {
        EXPECT_EQ(fills[i].Rect.Top, row) << "band " << i;
        EXPECT_EQ(fills[i - 1].Rect.Bottom, row) << "band " << i - 1;
    }
    for (const TFill& f : fills) {
        EXPECT_EQ(f.Rect.Left, 0);
        EXPECT_EQ(f.Rect.Right, 500);
    }
    // 128 + 50 * 1.27 = 191.5, which goes to the even 192.
    EXPECT_EQ(fills[50].Color, tk::MakeColor(192, 0, 0));
}

TEST(GradientBackground, FewerRowsThanStepsGiveOnePixelBands) {
    EXPECT_EQ(LinearGradientSteps(50, 100), 50);
    auto fills = GradientBackground(500, 50, grVertical, kMaroon, kRed, 100);
    ASSERT_EQ(fills.size(), 50u);
    for (int i = 0; i < 50; ++i)
        EXPECT_EQ(fills[i].Rect, (tk::TRect{0, i, 500, i + 1}));
    EXPECT_EQ(fills[49].Color, tk::MakeColor(252, 0, 0)); // 128 + 49 * 2.54 = 252.46
    EXPECT_EQ(LinearGradientSteps(10, 0), 1);
    EXPECT_EQ(GradientBackground(500, 1, grVertical, kMaroon, kRed, 0).size(), 1u);
}

TEST(GradientBackground, PyramidIsCappedByHalfTheSmallerSide) {
    EXPECT_EQ(PyramidGradientSteps(10, 400, 100), 5);
    EXPECT_EQ(PyramidGradientSteps(500, 9, 100), 4);
    EXPECT_EQ(PyramidGradientSteps(1, 1, 100), 1);
    TRaster picture(10, 10);
    picture.Fill(GradientBackground(10, 10, grPyramid, kMaroon, kRed, 100));
    EXPECT_EQ(picture.At(0, 0), kMaroon);
    EXPECT_EQ(picture.At(9, 5), kMaroon);
    EXPECT_EQ(picture.At(5, 9), kMaroon);
    // Five steps of 25.4: the rings grow brighter toward the centre, which is the brightest.
    int previous = -1;
    for (int ring = 0; ring < 5; ++ring) {
        int red = tk::RedOf(picture.At(ring, 5));
        EXPECT_GT(red, previous);
        previous = red;
    }
    EXPECT_EQ(picture.At(4, 4), tk::MakeColor(230, 0, 0)); // Round(128 + 4 * 25.4)
    EXPECT_EQ(picture.At(5, 5), picture.At(4, 4));
}

TEST(GradientBackground, NothingForAnEmptyArea) {
    EXPECT_TRUE(GradientBackground(0, 390, grVertical, kMaroon, kRed, 100).empty());
    EXPECT_TRUE(GradientBackground(500, 0, grPyramid, kMaroon, kRed, 100).empty());
}

TEST(BandGradient, PanelAskedFor64BandsDraws32Of12Point5Rows) {
    EXPECT_EQ(BandCount(64, TBandCopy::Panel), 32);
    EXPECT_EQ(BandCount(64, TBandCopy::ProgressBar), 64);
    EXPECT_EQ(BandCount(0, TBandCopy::Button), 1);
    auto bands =
        BandGradient({0, 0, 185, 400}, 0x00004DFF, kMaroon, 64, gdVertical, TBandCopy::Panel);
    ASSERT_EQ(bands.size(), 32u);
    for (int n = 0; n < 31; ++n) {
        EXPECT_EQ(bands[n].Rect.Top, tk::Round(12.5 * n)) << n;
        EXPECT_EQ(bands[n].Rect.Height(), 13) << n;
    }
    EXPECT_EQ(bands[31].Rect.Top, 388);
    EXPECT_EQ(bands[31].Rect.Height(), 12);
    EXPECT_EQ(bands[0].Color, tk::MakeColor(0xFF, 0x4D, 0x00));
    // The last band: from + Round(31 * (to - from) / 32); the to-colour is never drawn.
    EXPECT_EQ(bands[31].Color,
              tk::MakeColor(255 + tk::Round(31 * -127 / 32.0), 77 + tk::Round(31 * -77 / 32.0), 0));
}

TEST(BandGradient, ButtonBandsReachPastTheRectangle) {
    // 20 rows in 16 bands of 1.25: the panel's copy stops at the bottom, the button's does not.
    auto button = BandGradient({1, 1, 72, 21}, kRed, kMaroon, 16, gdVertical, TBandCopy::Button);
    auto bar = BandGradient({1, 1, 72, 21}, kRed, kMaroon, 16, gdVertical, TBandCopy::ProgressBar);
    EXPECT_EQ(button.back().Rect, (tk::TRect{1, 20, 72, 22}));
    EXPECT_EQ(bar.back().Rect, (tk::TRect{1, 20, 72, 21}));
    auto side =
        BandGradient({0, 0, 40, 10}, kRed, kMaroon, 4, gdHorizontal, TBandCopy::ProgressBar);
    EXPECT_EQ(side[1].Rect, (tk::TRect{10, 0, 21, 10}));
}

TEST(PanelPicture, RaisedBevelInsideTheGradient) {
    const tk::TColor highlight = 0x00FFFFFF, shadow = 0x00808080;
    TPanelLook look;
    look.Color = kRed;
    look.ColorTo = kMaroon;
    look.Highlight = highlight;
    look.Shadow = shadow;
    TRaster picture(447, 41);
    picture.Fill(PanelPicture({0, 0, 447, 41}, look));
    EXPECT_EQ(picture.At(0, 0), highlight);
    EXPECT_EQ(picture.At(0, 39), highlight);
    EXPECT_EQ(picture.At(445, 0), highlight);
    EXPECT_EQ(picture.At(446, 0), shadow); // top-right and bottom-left corners: shadow
    EXPECT_EQ(picture.At(0, 40), shadow);
    EXPECT_EQ(picture.At(446, 20), shadow);
    EXPECT_EQ(picture.At(200, 40), shadow);
    // Row 0 is bevel; band 1 starts at row Round(41 / 32) = 1 just inside it.
    EXPECT_EQ(tk::RedOf(picture.At(1, 1)), 255 + tk::Round(-127 / 32.0));
    // 41 rows in 32 bands of 1.28: row 39 is band 30's.
    EXPECT_EQ(tk::RedOf(picture.At(1, 39)), 255 + tk::Round(30 * -127 / 32.0));

    look.BevelOuter = bvLowered;
    TRaster lowered(447, 41);
    lowered.Fill(PanelPicture({0, 0, 447, 41}, look));
    EXPECT_EQ(lowered.At(0, 0), shadow);
    EXPECT_EQ(lowered.At(446, 40), highlight);
}

TEST(PanelPicture, StripWithoutBevelOrFrame) {
    TPanelLook look;
    look.Color = 0x00004DFF;
    look.ColorTo = kMaroon;
    look.BevelOuter = bvNone;
    TRaster picture(185, 400);
    picture.Fill(PanelPicture({0, 0, 185, 400}, look));
    EXPECT_EQ(picture.At(0, 0), look.Color);
    EXPECT_EQ(picture.At(184, 11), look.Color); // band 1 starts at row Round(12.5) = 12
    EXPECT_NE(picture.At(0, 13), look.Color);
    // No border colour: a 1-pixel frame in Color; a plain panel is one fill.
    look.BorderColor = tk::clNone;
    TRaster framed(185, 400);
    framed.Fill(PanelPicture({0, 0, 185, 400}, look));
    EXPECT_EQ(framed.At(0, 399), look.Color);
    look.ColorTo = tk::clNone;
    look.BorderColor = tk::clBlack;
    EXPECT_EQ(PanelPicture({0, 0, 10, 10}, look),
              (std::vector<TFill>{{{0, 0, 10, 10}, look.Color}}));
}

} // namespace
