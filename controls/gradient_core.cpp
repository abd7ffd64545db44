#include "controls/gradient_core.h"

#include <algorithm>

namespace {

constexpr int kPanelBandCap = 32;

int Channel(tk::TColor color, int channel) {
    switch (channel) {
    case 0:
        return tk::RedOf(color);
    case 1:
        return tk::GreenOf(color);
    default:
        return tk::BlueOf(color);
    }
}

int Clamp8(int value) {
    return std::clamp(value, 0, 255);
}

// The colour `from` + Round(i * step) per channel (the band gradient's rounding).
tk::TColor StepColor(tk::TColor from, const double step[3], int i) {
    int c[3];
    for (int k = 0; k < 3; ++k)
        c[k] = Clamp8(Channel(from, k) + tk::Round(i * step[k]));
    return tk::MakeColor(c[0], c[1], c[2]);
}

// The colour Round(start + i * step) per channel (the gradient background's rounding).
tk::TColor RoundedColor(tk::TColor start, const double step[3], int i) {
    int c[3];
    for (int k = 0; k < 3; ++k)
        c[k] = Clamp8(tk::Round(Channel(start, k) + i * step[k]));
    return tk::MakeColor(c[0], c[1], c[2]);
}

void Steps(tk::TColor from, tk::TColor to, int count, double step[3]) {
    for (int k = 0; k < 3; ++k)
        step[k] = static_cast<double>(Channel(to, k) - Channel(from, k)) / count;
}

bool Empty(const tk::TRect& r) {
    return r.Right <= r.Left || r.Bottom <= r.Top;
}

void Add(std::vector<TFill>& fills, const tk::TRect& rect, tk::TColor color) {
    if (!Empty(rect)) fills.push_back({rect, color});
}

} // namespace

int BandCount(int bands, TBandCopy copy) {
    int n = bands < 1 ? 1 : bands;
    if (copy == TBandCopy::Panel && n > kPanelBandCap) n = kPanelBandCap;
    return n;
}

std::vector<TFill> BandGradient(const tk::TRect& rect, tk::TColor from, tk::TColor to, int bands,
                                TGradientDirection direction, TBandCopy copy) {
    int n = BandCount(bands, copy);
    double step[3];
    Steps(from, to, n, step);
    bool vertical = direction == gdVertical;
    int start = vertical ? rect.Top : rect.Left;
    int end = vertical ? rect.Bottom : rect.Right;
    double size = static_cast<double>(end - start) / n;
    std::vector<TFill> fills;
    fills.reserve(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        int lo = start + tk::Round(i * size);
        int hi = copy == TBandCopy::Button ? lo + tk::Round(size) + 1
                                           : std::min(end, lo + static_cast<int>(size) + 1);
        tk::TRect band = vertical ? tk::TRect{rect.Left, lo, rect.Right, hi}
                                  : tk::TRect{lo, rect.Top, hi, rect.Bottom};
        Add(fills, band, StepColor(from, step, i));
    }
    return fills;
}

int LinearGradientSteps(int extent, int steps) {
    int k = steps;
    if (extent < k) k = extent;
    return k < 1 ? 1 : k;
}

int PyramidGradientSteps(int width, int height, int steps) {
    int k = steps;
    if (width / 2 < k) k = width / 2;
    if (height / 2 < k) k = height / 2;
    return k < 1 ? 1 : k;
}

std::vector<TFill> GradientBackground(int width, int height, TGradientStyle style, tk::TColor start,
                                      tk::TColor end, int steps) {
    std::vector<TFill> fills;
    if (width <= 0 || height <= 0) return fills;
    tk::TRect whole{0, 0, width, height};
    double step[3];
    switch (style) {
    case grVertical:
    case grHorizontal: {
        bool vertical = style == grVertical;
        int extent = vertical ? height : width;
        int k = LinearGradientSteps(extent, steps);
        Steps(start, end, k, step);
        double size = static_cast<double>(extent) / k;
        for (int i = 0; i <= k; ++i) {
            int lo = std::min(extent, tk::Round(i * size));
            int hi = std::min(extent, tk::Round((i + 1) * size));
            tk::TRect band = vertical ? tk::TRect{0, lo, width, hi} : tk::TRect{lo, 0, hi, height};
            Add(fills, band, RoundedColor(start, step, i));
        }
        break;
    }
    case grPyramid: {
        fills.push_back({whole, start});
        int k = PyramidGradientSteps(width, height, steps);
        Steps(start, end, k, step);
        double hx = static_cast<double>(width) / k / 2;
        double hy = static_cast<double>(height) / k / 2;
        for (int i = 0; i <= k; ++i) {
            int x = tk::Round(i * hx);
            int y = tk::Round(i * hy);
            Add(fills, {x, y, width - x, height - y}, RoundedColor(start, step, i));
        }
        break;
    }
    default:
        fills.push_back({whole, start});
        break;
    }
    return fills;
}

std::vector<TFill> BevelFrame(const tk::TRect& rect, tk::TColor topLeft, tk::TColor bottomRight,
                              int width) {
    std::vector<TFill> fills;
    for (int ring = 0; ring < width; ++ring) {
        tk::TRect r = rect.Inflated(-ring);
        if (Empty(r)) break;
        Add(fills, {r.Left, r.Top, r.Left + 1, r.Bottom - 1}, topLeft);
        Add(fills, {r.Left, r.Top, r.Right - 1, r.Top + 1}, topLeft);
        Add(fills, {r.Right - 1, r.Top, r.Right, r.Bottom}, bottomRight);
        Add(fills, {r.Left, r.Bottom - 1, r.Right, r.Bottom}, bottomRight);
    }
    return fills;
}

std::vector<TFill> Outline(const tk::TRect& r, tk::TColor color) {
    std::vector<TFill> fills;
    if (Empty(r)) return fills;
    Add(fills, {r.Left, r.Top, r.Right, r.Top + 1}, color);
    Add(fills, {r.Left, r.Bottom - 1, r.Right, r.Bottom}, color);
    Add(fills, {r.Left, r.Top, r.Left + 1, r.Bottom}, color);
    Add(fills, {r.Right - 1, r.Top, r.Right, r.Bottom}, color);
    return fills;
}

std::vector<TFill> PanelPicture(const tk::TRect& client, const TPanelLook& look) {
    std::vector<TFill> fills;
    auto append = [&fills](const std::vector<TFill>& more) {
        fills.insert(fills.end(), more.begin(), more.end());
    };
    tk::TRect r = client;
    if (look.ColorTo == tk::clNone)
        Add(fills, r, look.Color);
    else
        append(BandGradient(r, look.Color, look.ColorTo, 64, look.Direction, TBandCopy::Panel));
    if (look.BorderColor != tk::clNone && look.BorderWidth > 0)
        append(Outline(r, look.BorderColor));
    auto bevel = [&](TPanelBevel kind) {
        if (kind == bvNone) return;
        bool raised = kind == bvRaised;
        append(BevelFrame(r, raised ? look.Highlight : look.Shadow,
                          raised ? look.Shadow : look.Highlight, look.BevelWidth));
        r = r.Inflated(-look.BevelWidth);
    };
    bevel(look.BevelOuter);
    if (look.BorderColor == tk::clNone) append(Outline(r, look.Color));
    bevel(look.BevelInner);
    return fills;
}
