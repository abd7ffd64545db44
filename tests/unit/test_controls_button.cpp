// The gradient tool button's looks with the windows' colours, and its pointer states.
#include "controls/toolbutton_core.h"
#include "test_controls_raster.h"

#include <gtest/gtest.h>

namespace {

constexpr tk::TColor kParent = 0x00123456; // what the raster starts with: the parent

TButtonColors MainWindowButton() {
    TButtonColors c;
    c.Color = tk::clRed;
    c.ColorTo = tk::clMaroon;
    c.ColorHot = tk::clMaroon;
    c.ColorHotTo = tk::clBlack;
    c.ColorDown = 0x00D8D3D2;
    return c;
}

TButtonColors ProgressWindowButton() {
    TButtonColors c;
    c.Color = tk::clRed;
    c.ColorTo = tk::clBlack;
    c.ColorHot = tk::clRed;
    c.ColorHotTo = 0x00018CE9;
    c.ColorDown = 0x00018CE9;
    c.ColorDownTo = tk::clRed;
    c.Rounded = true;
    return c;
}

TRaster Draw(const TButtonLook& look, int width, int height) {
    TRaster raster(width, height, kParent);
    raster.Fill(look.Fills);
    return raster;
}

TEST(ButtonLook, MainWindowNormalHotAndPressed) {
    auto colors = MainWindowButton();
    auto normal = Draw(ButtonLook(colors, bsUp, false, true, 73, 22), 73, 22);
    // The outer ring is not painted (no BorderDownColor) and shows the parent.
    EXPECT_EQ(normal.At(0, 0), kParent);
    EXPECT_EQ(normal.At(72, 10), kParent);
    EXPECT_EQ(normal.At(0, 10), kParent);
    EXPECT_EQ(normal.At(1, 1), tk::clRed);
    EXPECT_EQ(normal.At(71, 1), tk::clRed);
    // 16 bands from red toward maroon: the lowest rows are the darkest, never maroon itself.
    int lastRed = tk::RedOf(normal.At(36, 20));
    EXPECT_LT(lastRed, 140);
    EXPECT_GT(lastRed, 128);

    auto hot = Draw(ButtonLook(colors, bsUp, true, true, 73, 22), 73, 22);
    EXPECT_EQ(hot.At(1, 1), tk::clMaroon);
    EXPECT_LT(tk::RedOf(hot.At(36, 20)), 16);

    auto pressed = ButtonLook(colors, bsDown, true, true, 73, 22);
    EXPECT_FALSE(pressed.Stroke);
    auto down = Draw(pressed, 73, 22);
    for (auto [x, y] : {std::pair{1, 1}, {36, 10}, {71, 20}})
        EXPECT_EQ(down.At(x, y), tk::MakeColor(0xD2, 0xD3, 0xD8));
    EXPECT_EQ(down.At(0, 0), kParent);
    EXPECT_EQ(pressed.TextRect, (tk::TRect{2, 2, 71, 20}));

    // Pressed but dragged off (not hot), or disabled: the normal look.
    EXPECT_EQ(ButtonLook(colors, bsDown, false, true, 73, 22).Fills,
              ButtonLook(colors, bsUp, false, true, 73, 22).Fills);
    EXPECT_EQ(ButtonLook(colors, bsDisabled, true, false, 73, 22).Fills,
              ButtonLook(colors, bsUp, false, true, 73, 22).Fills);
}

TEST(ButtonLook, RoundedButtonStrokesItsOutlineWhenHotOrPressed) {
    auto colors = ProgressWindowButton();
    auto normal = ButtonLook(colors, bsUp, false, true, 114, 26);
    EXPECT_FALSE(normal.Stroke);
    auto hot = ButtonLook(colors, bsUp, true, true, 114, 26);
    ASSERT_TRUE(hot.Stroke);
    EXPECT_EQ(hot.StrokeRect, (tk::TRect{0, 0, 114, 26}));
    EXPECT_EQ(hot.StrokeColor, tk::clNone); // BorderHotColor as the layout leaves it
    EXPECT_EQ(hot.TextRect, (tk::TRect{1, 1, 113, 25}));
    auto hotPicture = Draw(hot, 114, 26);
    EXPECT_EQ(hotPicture.At(1, 1), tk::clRed);
    EXPECT_EQ(hotPicture.At(0, 0), kParent);

    colors.BorderDownColor = tk::clWhite;
    auto pressed = ButtonLook(colors, bsDown, true, true, 114, 26);
    EXPECT_EQ(pressed.StrokeColor, tk::clWhite);
    EXPECT_EQ(Draw(pressed, 114, 26).At(1, 1), 0x00018CE9u); // orange at the top
    // A rounded button never draws its straight outline.
    colors.BorderColor = tk::clBlue;
    for (const TFill& f : ButtonLook(colors, bsUp, false, true, 114, 26).Fills)
        EXPECT_NE(f.Color, tk::clBlue);
}

TEST(ButtonLook, OutlineWhenABorderColourIsSet) {
    auto colors = MainWindowButton();
    colors.BorderDownColor = tk::clBlue; // now the outer ring is painted
    colors.BorderColor = tk::clBlue;
    auto picture = Draw(ButtonLook(colors, bsUp, false, true, 73, 22), 73, 22);
    EXPECT_EQ(picture.At(0, 0), tk::clBlue);
    EXPECT_EQ(picture.At(72, 21), tk::clBlue);
    EXPECT_EQ(picture.At(36, 1), tk::MakeColor(247, 0, 0)); // band 1 of the gradient
}

TEST(ButtonPointer, ClickOnlyWhenReleasedInside) {
    TButtonPointer p;
    EXPECT_TRUE(p.Enter(true, true, false));
    EXPECT_TRUE(p.Hot());
    EXPECT_FALSE(p.Enter(true, true, false)); // already hot
    EXPECT_TRUE(p.LeftDown(true, false));
    EXPECT_EQ(p.State(), bsDown);
    EXPECT_TRUE(p.Tracking());
    EXPECT_FALSE(p.Move(true));
    EXPECT_TRUE(p.Move(false)); // dragged off: up
    EXPECT_EQ(p.State(), bsUp);
    EXPECT_TRUE(p.Move(true)); // and back: down
    EXPECT_TRUE(p.Move(false));
    auto outside = p.LeftUp(false);
    EXPECT_FALSE(outside.Click);
    EXPECT_TRUE(outside.Repaint); // the hot flag went
    EXPECT_FALSE(p.Hot());
    EXPECT_FALSE(p.Tracking());

    p.Enter(true, true, false);
    p.LeftDown(true, false);
    auto inside = p.LeftUp(true);
    EXPECT_TRUE(inside.Click);
    EXPECT_TRUE(inside.Repaint);
    EXPECT_EQ(p.State(), bsUp);
    EXPECT_FALSE(p.LeftUp(true).Click); // no second click without a button-down
}

TEST(ButtonPointer, WhatDoesNotMakeItHot) {
    TButtonPointer p;
    EXPECT_FALSE(p.Enter(false, true, false)); // not flat
    EXPECT_FALSE(p.Enter(true, false, false)); // disabled
    EXPECT_FALSE(p.Enter(true, true, true));   // another window holds the mouse capture
    EXPECT_FALSE(p.Hot());
    EXPECT_FALSE(p.LeftDown(false, false));
    EXPECT_FALSE(p.Tracking());
    // A toggled-down button tracks without changing its state.
    EXPECT_FALSE(p.LeftDown(true, true));
    EXPECT_TRUE(p.Tracking());
    EXPECT_EQ(p.State(), bsUp);
}

TEST(ButtonPointer, DisablingStopsTrackingAndEnablingReturnsToUp) {
    TButtonPointer p;
    p.Enter(true, true, false);
    p.LeftDown(true, false);
    EXPECT_TRUE(p.SyncEnabled(false));
    EXPECT_EQ(p.State(), bsDisabled);
    EXPECT_FALSE(p.Tracking());
    EXPECT_FALSE(p.LeftUp(true).Click);
    EXPECT_FALSE(p.Leave(false)); // a disabled button keeps its hot flag
    EXPECT_FALSE(p.SyncEnabled(false));
    EXPECT_TRUE(p.SyncEnabled(true));
    EXPECT_EQ(p.State(), bsUp);
    EXPECT_FALSE(p.SyncEnabled(true));
    // Losing the capture mid-press ends tracking without a click.
    p.LeftDown(true, false);
    EXPECT_TRUE(p.CancelTracking());
    EXPECT_EQ(p.State(), bsUp);
    EXPECT_FALSE(p.LeftUp(true).Click);
}

} // namespace

TEST(AccessKeyMarked, MarksTheFirstLetterOfTheKeyAndKeepsAmpersandsLiteral) {
    const struct {
        const char* caption;
        char key;
        const char* marked;
    } cases[] = {
        {"Setup", 'S', "&Setup"},     {"Resume", 'r', "&Resume"}, // either case
        {"Cancel", 'n', "Ca&ncel"},   {"Install", 'l', "Insta&ll"}, // the first of two
        {"R&D", 'D', "R&&&D"},        {"Pause", 'x', "Pause"}, // no such letter: no mark
        {"OK", 0, "OK"},              {"", 'O', ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(AccessKeyMarked(c.caption, c.key), c.marked) << c.caption << " " << c.key;
}
