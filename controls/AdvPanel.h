#pragma once
// TAdvPanel: the gradient panel that forms the main window's left strip and both areas of
// the progress window. A container: its children (labels, buttons, the progress bar) lie on
// it, and transparent ones show its gradient through.
#include "controls/gradient_core.h"
#include "toolkit/control.h"

class TAdvPanel : public tk::TControl {
public:
    explicit TAdvPanel(tk::TControl* parent);
    const char* ClassName() const override { return "TAdvPanel"; }

    // Color (inherited, default clBtnFace) is where the gradient starts. Setters that change
    // the look request a deferred repaint.
    tk::TColor ColorTo() const { return colorTo_; }
    void SetColorTo(tk::TColor color);
    // Stored for layouts; a mirrored gradient is not drawn.
    tk::TColor ColorMirror() const { return colorMirror_; }
    void SetColorMirror(tk::TColor color);
    tk::TColor ColorMirrorTo() const { return colorMirrorTo_; }
    void SetColorMirrorTo(tk::TColor color);
    TGradientDirection GradientDirection() const { return direction_; }
    void SetGradientDirection(TGradientDirection direction);
    TPanelBevel BevelOuter() const { return bevelOuter_; }
    void SetBevelOuter(TPanelBevel bevel);
    TPanelBevel BevelInner() const { return bevelInner_; }
    void SetBevelInner(TPanelBevel bevel);
    int BevelWidth() const { return bevelWidth_; }
    void SetBevelWidth(int width);
    tk::TColor BorderColor() const { return borderColor_; }
    void SetBorderColor(tk::TColor color);
    int BorderWidth() const { return borderWidth_; }
    void SetBorderWidth(int width);
    // Whether the panel is drawn off-screen first and copied in one step.
    bool Buffered() const { return buffered_; }
    void SetBuffered(bool buffered) { buffered_ = buffered; }

    // Draws the whole look into `canvas` (also an off-screen one with a shifted origin, when a
    // transparent child asks for what lies behind it).
    void Paint(tk::TCanvas& canvas) override;
    // ColorTo, ColorMirror, ColorMirrorTo, GradientDirection (gdVertical, gdHorizontal),
    // BevelOuter, BevelInner (bvNone, bvLowered, bvRaised), BevelWidth, BorderColor,
    // BorderWidth, Buffered; the rest as any control.
    void SetProperty(const std::string& name, const tk::LayoutValue& value) override;

protected:
    bool DoubleBuffered() const override { return buffered_; }
    // Tab moves into the panel's buttons.
    DWORD WindowExStyle() const override { return WS_EX_CONTROLPARENT; }

private:
    tk::TColor colorTo_ = tk::clNone;
    tk::TColor colorMirror_ = tk::clNone;
    tk::TColor colorMirrorTo_ = tk::clNone;
    TGradientDirection direction_ = gdVertical;
    TPanelBevel bevelOuter_ = bvRaised;
    TPanelBevel bevelInner_ = bvNone;
    int bevelWidth_ = 1;
    tk::TColor borderColor_ = tk::clBlack;
    int borderWidth_ = 0;
    bool buffered_ = true;
    // The panel's picture as last drawn, and the look it was drawn with: each transparent
    // label on the panel paints the panel behind itself whenever its text changes, which
    // is then one copy instead of every band of the gradient again.
    tk::TBitmap picture_;
    TPanelLook pictureLook_;
};
