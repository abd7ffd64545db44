#pragma once
// Paints a list of fills into a plain pixel array, the way GDI fills rectangles, so that the
// portable drawing lists can be checked pixel by pixel without a device context.
#include "controls/gradient_core.h"

#include <algorithm>
#include <vector>

class TRaster {
public:
    TRaster(int width, int height, tk::TColor background = 0x00123456)
        : width_(width), height_(height), pixels_(static_cast<size_t>(width) * height, background) {
    }

    void Fill(const std::vector<TFill>& fills) {
        for (const TFill& f : fills)
            for (int y = std::max(0, f.Rect.Top); y < std::min(height_, f.Rect.Bottom); ++y)
                for (int x = std::max(0, f.Rect.Left); x < std::min(width_, f.Rect.Right); ++x)
                    pixels_[static_cast<size_t>(y) * width_ + x] = f.Color;
    }
    tk::TColor At(int x, int y) const { return pixels_[static_cast<size_t>(y) * width_ + x]; }

private:
    int width_, height_;
    std::vector<tk::TColor> pixels_;
};
