#include "controls/JvGradient.h"

#include "controls/draw_win.h"

TJvGradient::TJvGradient(tk::TControl* parent) : tk::TGraphicControl(parent) {
    SetAlign(tk::TAlign::alClient);
}

void TJvGradient::Discard() {
    cachedWidth_ = 0;
    Invalidate();
}

void TJvGradient::SetStyle(TGradientStyle style) {
    style_ = style;
    Discard();
}

void TJvGradient::SetStartColor(tk::TColor color) {
    startColor_ = color;
    Discard();
}

void TJvGradient::SetEndColor(tk::TColor color) {
    endColor_ = color;
    Discard();
}

void TJvGradient::SetSteps(std::uint16_t steps) {
    steps_ = steps;
    Discard();
}

void TJvGradient::Paint(tk::TCanvas& canvas) {
    int width = ClientWidth(), height = ClientHeight();
    if (width != cachedWidth_ || height != cachedHeight_) {
        cachedWidth_ = width;
        cachedHeight_ = height;
        if (width <= 0 || height <= 0) {
            picture_.SetSize(0, 0);
            return;
        }
        picture_.SetSize(width, height);
        // System colours are taken as they are now; a later change of the desktop's scheme
        // shows after the next size or property change.
        DrawFills(picture_.Canvas(),
                  GradientBackground(width, height, style_, tk::ResolveColor(startColor_),
                                     tk::ResolveColor(endColor_), steps_));
        ++generations_;
    }
    if (picture_.Width() > 0) canvas.Draw(0, 0, picture_);
}

void TJvGradient::SetProperty(const std::string& name, const tk::LayoutValue& value) {
    if (name == "Style") {
        static const std::pair<const char*, TGradientStyle> kStyles[] = {
            {"grFilled", grFilled},     {"grEllipse", grEllipse}, {"grHorizontal", grHorizontal},
            {"grVertical", grVertical}, {"grPyramid", grPyramid}, {"grMount", grMount}};
        for (const auto& [text, style] : kStyles) {
            if (value.kind == tk::LayoutValue::Identifier && value.text == text) {
                SetStyle(style);
                return;
            }
        }
        throw tk::ELayoutError("Style is not a gradient style");
    } else if (name == "StartColor") {
        SetStartColor(ParseColorValue(name, value));
    } else if (name == "EndColor") {
        SetEndColor(ParseColorValue(name, value));
    } else if (name == "Steps") {
        int steps = ParseInt(name, value);
        if (steps < 0 || steps > 65535) throw tk::ELayoutError("Steps must be 0 to 65535");
        SetSteps(static_cast<std::uint16_t>(steps));
    } else {
        tk::TControl::SetProperty(name, value);
    }
}
