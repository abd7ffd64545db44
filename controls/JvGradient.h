#pragma once
// TJvGradient: the gradient background behind each page of the main window. It fills its
// parent, is opaque, and keeps its picture in an off-screen bitmap that is generated again
// only when its size or one of its properties changed; any other repaint is one copy. It has
// no window: its page draws it below its controls, and a screen reader, which would find only
// an unnamed picture, never meets it.
#include "controls/gradient_core.h"
#include "toolkit/control.h"

#include <cstdint>

class TJvGradient : public tk::TGraphicControl {
public:
    explicit TJvGradient(tk::TControl* parent);
    const char* ClassName() const override { return "TJvGradient"; }

    // Setters that change the look discard the picture and request a deferred repaint.
    TGradientStyle Style() const { return style_; }
    void SetStyle(TGradientStyle style);
    tk::TColor StartColor() const { return startColor_; }
    void SetStartColor(tk::TColor color);
    tk::TColor EndColor() const { return endColor_; }
    void SetEndColor(tk::TColor color);
    std::uint16_t Steps() const { return steps_; }
    void SetSteps(std::uint16_t steps);

    // How often the picture has been generated (a repaint of an unchanged background does
    // not count).
    int Generations() const { return generations_; }

    void Paint(tk::TCanvas& canvas) override;
    // Style (grVertical, grPyramid, grHorizontal), StartColor, EndColor, Steps (0..65535);
    // the rest as any control.
    void SetProperty(const std::string& name, const tk::LayoutValue& value) override;

protected:
    // The cached picture is the buffer.
    bool DoubleBuffered() const override { return false; }

private:
    void Discard();

    TGradientStyle style_ = grHorizontal;
    tk::TColor startColor_ = tk::clBlue;
    tk::TColor endColor_ = tk::clBlack;
    std::uint16_t steps_ = 100;
    tk::TBitmap picture_;
    int cachedWidth_ = 0;
    int cachedHeight_ = 0;
    int generations_ = 0;
};
