#pragma once
// The geometry and colour arithmetic of the self-drawn gradients: the band gradient that
// panels, buttons and the progress bar share, the gradient background's vertical and
// pyramid pictures, and the 3-D bevel frame. Everything is expressed as a list of filled
// rectangles that the GDI side draws in order, each over the ones before it.
//
// Colours handed in here are plain RGB values 0x00BBGGRR, or clNone where a parameter says
// it may be; system colours must be resolved by the caller first (they depend on the
// desktop's colour scheme at the moment of drawing).
#include "toolkit/colors.h"
#include "toolkit/geometry.h"

#include <vector>

// One rectangle filled in one colour, outline included.
struct TFill {
    tk::TRect Rect;
    tk::TColor Color = tk::clBlack;
    bool operator==(const TFill&) const = default;
};

enum TGradientDirection { gdVertical, gdHorizontal };

// The band gradient exists in three copies that differ in two points.
enum class TBandCopy {
    Panel,       // at most 32 bands; a band ends at the rectangle's far edge
    ProgressBar, // no cap; a band ends at the rectangle's far edge
    Button,      // no cap; a band's far edge is start + Round(s) + 1, not limited (the
                 // button's drawing area clips it)
};

// The band gradient over `rect` from `from` to `to` in `bands` bands (0 counts as 1), stacked
// top to bottom (gdVertical) or side by side (gdHorizontal). Band n has the colour
// from + Round(n * (to - from) / N) per channel and starts at Round(n * s) with s the band
// size (a real quotient), so neighbours overlap by about one pixel and `to` itself is never
// drawn. Returns the bands in drawing order; bands that would be empty are left out.
std::vector<TFill> BandGradient(const tk::TRect& rect, tk::TColor from, tk::TColor to, int bands,
                                TGradientDirection direction, TBandCopy copy);

// The band count that BandGradient uses for a request of `bands`.
int BandCount(int bands, TBandCopy copy);

// The gradient background's styles; grHorizontal, grVertical and grPyramid are drawn, the
// others are painted as a plain fill in the start colour.
enum TGradientStyle { grFilled, grEllipse, grHorizontal, grVertical, grPyramid, grMount };

// Number of steps k a background of `extent` pixels (its height for grVertical, its width
// for grHorizontal) draws for a request of `steps`: min(steps, extent), at least 1.
int LinearGradientSteps(int extent, int steps);
// Number of steps k of a grPyramid background: min(steps, width div 2, height div 2), at
// least 1.
int PyramidGradientSteps(int width, int height, int steps);

// The whole picture of a gradient background of `width` x `height` pixels in `style`, from
// `start` to `end` in `steps` steps. grVertical: k + 1 full-width bands, band i from row
// Round(i * H / k) to Round((i + 1) * H / k) in Round(start + i * (end - start) / k) per
// channel (the last band starts at the bottom edge and adds nothing). grHorizontal: the same
// turned on its side. grPyramid: the whole area in `start`, then k + 1 nested rectangles
// (x_i, y_i, W - x_i, H - y_i) with x_i = Round(i * W / k / 2), y_i = Round(i * H / k / 2),
// shrinking toward the centre. Empty when either side is 0 or less.
std::vector<TFill> GradientBackground(int width, int height, TGradientStyle style, tk::TColor start,
                                      tk::TColor end, int steps);

// A 3-D frame `width` pixels wide just inside `rect`: each ring has its left and top edges
// in `topLeft` and its right and bottom edges in `bottomRight`, the bottom-right colour
// taking the top-right and bottom-left corner pixels. Raised bevels pass the highlight
// colour first, lowered ones the shadow colour.
std::vector<TFill> BevelFrame(const tk::TRect& rect, tk::TColor topLeft, tk::TColor bottomRight,
                              int width);

// A 1-pixel outline along the inside of `rect` (what a rectangle drawn with a pen and a
// hollow brush gives).
std::vector<TFill> Outline(const tk::TRect& rect, tk::TColor color);

enum TPanelBevel { bvNone, bvLowered, bvRaised };

// What a gradient panel is drawn from, with colours resolved (ColorTo and BorderColor may be
// clNone).
struct TPanelLook {
    tk::TColor Color = tk::clWhite;
    tk::TColor ColorTo = tk::clNone;
    TGradientDirection Direction = gdVertical;
    tk::TColor BorderColor = tk::clBlack;
    int BorderWidth = 0;
    TPanelBevel BevelOuter = bvRaised;
    TPanelBevel BevelInner = bvNone;
    int BevelWidth = 1;
    tk::TColor Highlight = tk::clWhite; // the system's 3-D highlight, resolved
    tk::TColor Shadow = tk::clGray;     // the system's 3-D shadow, resolved
    bool operator==(const TPanelLook&) const = default;
};

// The whole picture of a gradient panel over `client`: the background (a plain fill, or the
// panel's copy of the band gradient asked for 64 bands, so 32), the border outline when
// BorderColor is set and BorderWidth > 0, the outer bevel, a 1-pixel frame in Color when
// BorderColor is clNone, and the inner bevel, each bevel shrinking what is left.
std::vector<TFill> PanelPicture(const tk::TRect& client, const TPanelLook& look);
