#pragma once
// The gradient tool button without the window system: which look it shows for its state,
// and how the pointer moves it between its states.
#include "controls/gradient_core.h"

#include <string>

// The drawing state of a button. bsExclusive belongs to grouped buttons, which the
// installer's windows do not have.
enum TButtonState { bsUp, bsDisabled, bsDown, bsExclusive };

// A button's colour properties, resolved to RGB; every one but Color may be clNone.
struct TButtonColors {
    tk::TColor Color = tk::clWhite;
    tk::TColor ColorTo = tk::clNone;
    tk::TColor ColorHot = 0x00CAC7C7;
    tk::TColor ColorHotTo = tk::clNone;
    tk::TColor ColorDown = 0x00D8D3D2;
    tk::TColor ColorDownTo = tk::clNone;
    tk::TColor BorderColor = tk::clNone;
    tk::TColor BorderHotColor = tk::clNone;
    tk::TColor BorderDownColor = tk::clNone;
    bool Rounded = false;
    bool Down = false; // the toggle flag, not the drawing state
};

// What a flat button shows: filled rectangles, then (rounded buttons when hot or pressed) a
// rounded outline with an 8 x 8 corner ellipse stroked with a hollow brush, then the caption
// centred in TextRect.
struct TButtonLook {
    std::vector<TFill> Fills;
    bool Stroke = false;
    tk::TRect StrokeRect;
    // May be clNone: the colour property it comes from was not set.
    tk::TColor StrokeColor = tk::clNone;
    tk::TRect TextRect;
};

// The look of a flat button of `width` x `height` pixels. The hot or pressed look is used
// when `hot` and `enabled`, the normal look otherwise; `state` chooses between the hot pair
// (ColorHot, ColorHotTo) and the pressed pair (ColorDown, ColorDownTo). Gradients are the
// button's copy of the band gradient with 16 vertical bands. The outermost pixel ring is never
// painted when BorderDownColor is clNone or the button is rounded.
TButtonLook ButtonLook(const TButtonColors& colors, TButtonState state, bool hot, bool enabled,
                       int width, int height);

// The caption as DrawText takes it with the access key `key` marked: each '&' doubled, and an
// '&' before the first letter that is `key` in either case (none when there is no such
// letter).
std::string AccessKeyMarked(const std::string& caption, char key);

// The pointer's side of a button: hot while the pointer is over it, tracking from a left
// button-down on it until the button comes up, and the drawing state. Each event returns
// whether the button must be repainted; a release also says whether it is a click.
class TButtonPointer {
public:
    TButtonState State() const { return state_; }
    bool Hot() const { return hot_; }
    bool Tracking() const { return tracking_; }

    // The pointer entered. Only a flat, enabled button that is not hot yet becomes hot, and
    // only while no window holds the mouse capture (`captured`).
    bool Enter(bool flat, bool enabled, bool captured);
    // The pointer left: an enabled hot button stops being hot.
    bool Leave(bool enabled);
    // The left button went down: an enabled button that is not `down` (toggled) goes to
    // bsDown; tracking starts on any enabled button.
    bool LeftDown(bool enabled, bool down);
    // The pointer moved while tracking: bsDown when `inside` the client rectangle, bsUp
    // otherwise. Does nothing when not tracking.
    bool Move(bool inside);
    struct TRelease {
        bool Repaint = false;
        bool Click = false;
    };
    // The left button came up. While tracking: tracking stops, the state becomes bsUp and the
    // hot flag is cleared; released `inside` it is a click. Not tracking: nothing happens.
    TRelease LeftUp(bool inside);
    // Tracking ended without a release (the button lost the mouse capture): back to bsUp,
    // no click.
    bool CancelTracking();
    // The enabled state now: a disabled button is bsDisabled and stops tracking; one that was
    // disabled and is enabled again returns to bsUp.
    bool SyncEnabled(bool enabled);

private:
    TButtonState state_ = bsUp;
    bool hot_ = false;
    bool tracking_ = false;
};
