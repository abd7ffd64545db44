#include "controls/toolbutton_core.h"

#include <algorithm>
#include <cctype>

namespace {

constexpr int kButtonBands = 16;

void Append(std::vector<TFill>& fills, const std::vector<TFill>& more) {
    fills.insert(fills.end(), more.begin(), more.end());
}

// A pair of colours over `r`: a plain fill when the second is clNone, else the button's band
// gradient; then the outline, when there is one.
void Face(std::vector<TFill>& fills, const tk::TRect& r, tk::TColor first, tk::TColor second,
          tk::TColor outline, bool outlineFirstWhenNone) {
    if (second == tk::clNone) {
        fills.push_back({r, first});
        if (outline == tk::clNone && outlineFirstWhenNone) outline = first;
    } else {
        Append(fills, BandGradient(r, first, second, kButtonBands, gdVertical, TBandCopy::Button));
    }
    if (outline != tk::clNone) Append(fills, Outline(r, outline));
}

} // namespace

TButtonLook ButtonLook(const TButtonColors& c, TButtonState state, bool hot, bool enabled,
                       int width, int height) {
    TButtonLook look;
    tk::TRect client{0, 0, width, height};
    tk::TRect r = client;
    if (c.BorderDownColor == tk::clNone || c.Rounded) r = r.Inflated(-1);
    if (!hot || !enabled) {
        tk::TColor outline = c.Down ? c.BorderDownColor : c.BorderColor;
        if (c.Rounded) outline = tk::clNone;
        Face(look.Fills, r, c.Color, c.ColorTo, outline, false);
    } else {
        bool down = state == bsDown;
        tk::TColor first = down ? c.ColorDown : c.ColorHot;
        tk::TColor second = down ? c.ColorDownTo : c.ColorHotTo;
        tk::TColor outline = down ? c.BorderDownColor : c.BorderHotColor;
        if (c.Rounded) outline = tk::clNone;
        Face(look.Fills, r, first, second, outline, true);
        if (c.Rounded) {
            r = r.Inflated(1);
            look.Stroke = true;
            look.StrokeRect = r;
            look.StrokeColor = down ? c.BorderDownColor : c.BorderHotColor;
        }
    }
    // The last bands reach past the drawing rectangle; the button's own area ends them.
    for (TFill& fill : look.Fills) {
        fill.Rect.Left = std::max(fill.Rect.Left, client.Left);
        fill.Rect.Top = std::max(fill.Rect.Top, client.Top);
        fill.Rect.Right = std::min(fill.Rect.Right, client.Right);
        fill.Rect.Bottom = std::min(fill.Rect.Bottom, client.Bottom);
    }
    std::erase_if(look.Fills, [](const TFill& f) {
        return f.Rect.Right <= f.Rect.Left || f.Rect.Bottom <= f.Rect.Top;
    });
    look.TextRect = r.Inflated(-1);
    return look;
}

bool TButtonPointer::Enter(bool flat, bool enabled, bool captured) {
    if (!flat || hot_ || !enabled || captured) return false;
    hot_ = true;
    return true;
}

bool TButtonPointer::Leave(bool enabled) {
    if (!enabled || !hot_) return false;
    hot_ = false;
    return true;
}

bool TButtonPointer::LeftDown(bool enabled, bool down) {
    if (!enabled) return false;
    tracking_ = true;
    if (down) return false;
    state_ = bsDown;
    return true;
}

bool TButtonPointer::Move(bool inside) {
    if (!tracking_) return false;
    TButtonState next = inside ? bsDown : bsUp;
    if (next == state_) return false;
    state_ = next;
    return true;
}

TButtonPointer::TRelease TButtonPointer::LeftUp(bool inside) {
    TRelease release;
    if (!tracking_) return release;
    // A release outside changes the look as well (the state and the hot flag), so it is
    // repainted too, not only a click.
    release.Repaint = inside || state_ != bsUp || hot_;
    release.Click = inside;
    tracking_ = false;
    state_ = bsUp;
    hot_ = false;
    return release;
}

bool TButtonPointer::CancelTracking() {
    if (!tracking_) return false;
    tracking_ = false;
    state_ = bsUp;
    return true;
}

bool TButtonPointer::SyncEnabled(bool enabled) {
    if (!enabled) {
        bool changed = state_ != bsDisabled || tracking_;
        state_ = bsDisabled;
        tracking_ = false;
        return changed;
    }
    if (state_ != bsDisabled) return false;
    state_ = bsUp;
    return true;
}

std::string AccessKeyMarked(const std::string& caption, char key) {
    const auto upper = [](char c) { return std::toupper(static_cast<unsigned char>(c)); };
    std::string marked;
    bool placed = false;
    for (char c : caption) {
        if (c == '&') {
            marked += "&&";
            continue;
        }
        if (!placed && key != 0 && upper(c) == upper(key)) {
            marked += '&';
            placed = true;
        }
        marked += c;
    }
    return marked;
}
