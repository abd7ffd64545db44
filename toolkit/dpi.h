#pragma once
// Display scale. Layouts and drawing code give their figures in pixels at 96 dots per inch,
// the scale of a display at 100 %; windows show them at the scale of the monitor they are on
// (120 dpi at 125 %, 144 at 150 %, 192 at 200 %). Scale is the one conversion; the Win32 side
// (a window's or the system's dots per inch, frames and metrics at a scale) is in dpi_win.h.

namespace tk {

// The scale that layouts and drawing figures are written for.
constexpr int kDesignDpi = 96;

// A figure of `px96` pixels at 96 dpi in pixels at `dpi`: px96 * dpi / 96 rounded to the
// nearest integer, halves away from zero (as MulDiv rounds). A dpi of 0 or less is taken as
// 96, so a figure passes unchanged where the scale is unknown.
int Scale(int px96, int dpi);

} // namespace tk
