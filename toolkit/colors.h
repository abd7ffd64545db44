#pragma once
// Colour values as the windows and controls use them: 0x00BBGGRR (red in the lowest
// byte), clNone for "no colour", and 0xFF0000nn for system colour nn, which is
// resolved to RGB only when something is drawn (see canvas.h, ResolveColor).
#include <cstdint>

namespace tk {

using TColor = std::uint32_t;

constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clBlack = 0x00000000;
constexpr TColor clMaroon = 0x00000080;
constexpr TColor clRed = 0x000000FF;
constexpr TColor clLime = 0x0000FF00;
constexpr TColor clYellow = 0x0000FFFF;
constexpr TColor clBlue = 0x00FF0000;
constexpr TColor clGray = 0x00808080;
constexpr TColor clSilver = 0x00C0C0C0;
constexpr TColor clWhite = 0x00FFFFFF;
constexpr TColor clFuchsia = 0x00FF00FF;

constexpr TColor SystemColor(int index) {
    return 0xFF000000u | static_cast<std::uint32_t>(index);
}
constexpr TColor clWindowText = SystemColor(8);    // COLOR_WINDOWTEXT
constexpr TColor clBtnFace = SystemColor(15);      // COLOR_BTNFACE
constexpr TColor clBtnShadow = SystemColor(16);    // COLOR_BTNSHADOW
constexpr TColor clBtnHighlight = SystemColor(20); // COLOR_BTNHIGHLIGHT

constexpr bool IsSystemColor(TColor c) {
    return (c & 0xFF000000u) == 0xFF000000u;
}
constexpr int SystemColorIndex(TColor c) {
    return static_cast<int>(c & 0xFFu);
}

constexpr int RedOf(TColor c) {
    return static_cast<int>(c & 0xFF);
}
constexpr int GreenOf(TColor c) {
    return static_cast<int>((c >> 8) & 0xFF);
}
constexpr int BlueOf(TColor c) {
    return static_cast<int>((c >> 16) & 0xFF);
}
constexpr TColor MakeColor(int r, int g, int b) {
    return static_cast<TColor>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}

// Round to the nearest integer, halves to the even neighbour (12.5 -> 12, 13.5 -> 14),
// whatever the floating-point environment says.
int Round(double x);

// Looks a colour name up ("clRed", "clBtnFace", ...) or parses a number
// ("$00004DFF", "16711935"); false when it is neither.
bool ParseColor(const char* text, TColor& color);

} // namespace tk
