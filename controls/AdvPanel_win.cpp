#include "controls/AdvPanel.h"

#include "controls/draw_win.h"

#include <oleacc.h>

TAdvPanel::TAdvPanel(tk::TControl* parent) : tk::TControl(parent) {
    SetColor(tk::clBtnFace);
    // Only a surface for the controls on it: an unnamed pane, which screen readers pass over
    // as layout (an unnamed grouping they would announce).
    Accessibility.Role = ROLE_SYSTEM_PANE;
}

void TAdvPanel::SetColorTo(tk::TColor color) {
    colorTo_ = color;
    Invalidate();
}

void TAdvPanel::SetColorMirror(tk::TColor color) {
    colorMirror_ = color;
    Invalidate();
}

void TAdvPanel::SetColorMirrorTo(tk::TColor color) {
    colorMirrorTo_ = color;
    Invalidate();
}

void TAdvPanel::SetGradientDirection(TGradientDirection direction) {
    direction_ = direction;
    Invalidate();
}

void TAdvPanel::SetBevelOuter(TPanelBevel bevel) {
    bevelOuter_ = bevel;
    Invalidate();
}

void TAdvPanel::SetBevelInner(TPanelBevel bevel) {
    bevelInner_ = bevel;
    Invalidate();
}

void TAdvPanel::SetBevelWidth(int width) {
    bevelWidth_ = width;
    Invalidate();
}

void TAdvPanel::SetBorderColor(tk::TColor color) {
    borderColor_ = color;
    Invalidate();
}

void TAdvPanel::SetBorderWidth(int width) {
    borderWidth_ = width;
    Invalidate();
}

void TAdvPanel::Paint(tk::TCanvas& canvas) {
    TPanelLook look;
    look.Color = tk::ResolveColor(Color());
    look.ColorTo = ResolveOrNone(colorTo_);
    look.Direction = direction_;
    look.BorderColor = ResolveOrNone(borderColor_);
    // Frame widths are pixels at 96 dpi.
    look.BorderWidth = tk::Scale(borderWidth_, Dpi());
    look.BevelOuter = bevelOuter_;
    look.BevelInner = bevelInner_;
    look.BevelWidth = tk::Scale(bevelWidth_, Dpi());
    look.Highlight = tk::ResolveColor(tk::clBtnHighlight);
    look.Shadow = tk::ResolveColor(tk::clBtnShadow);
    const tk::TRect client = ClientRect();
    if (picture_.Width() != client.Width() || picture_.Height() != client.Height() ||
        !(pictureLook_ == look)) {
        picture_.SetSize(client.Width(), client.Height());
        DrawFills(picture_.Canvas(), PanelPicture(client, look));
        pictureLook_ = look;
    }
    canvas.Draw(0, 0, picture_);
}

namespace {

TPanelBevel ParseBevel(const std::string& name, const tk::LayoutValue& value) {
    if (value.kind == tk::LayoutValue::Identifier) {
        if (value.text == "bvNone") return bvNone;
        if (value.text == "bvLowered") return bvLowered;
        if (value.text == "bvRaised") return bvRaised;
    }
    throw tk::ELayoutError(name + " is not a bevel");
}

} // namespace

void TAdvPanel::SetProperty(const std::string& name, const tk::LayoutValue& value) {
    if (name == "ColorTo") {
        SetColorTo(ParseColorValue(name, value));
    } else if (name == "ColorMirror") {
        SetColorMirror(ParseColorValue(name, value));
    } else if (name == "ColorMirrorTo") {
        SetColorMirrorTo(ParseColorValue(name, value));
    } else if (name == "GradientDirection") {
        if (value.kind == tk::LayoutValue::Identifier && value.text == "gdVertical")
            SetGradientDirection(gdVertical);
        else if (value.kind == tk::LayoutValue::Identifier && value.text == "gdHorizontal")
            SetGradientDirection(gdHorizontal);
        else
            throw tk::ELayoutError("GradientDirection is not a direction");
    } else if (name == "BevelOuter") {
        SetBevelOuter(ParseBevel(name, value));
    } else if (name == "BevelInner") {
        SetBevelInner(ParseBevel(name, value));
    } else if (name == "BevelWidth") {
        SetBevelWidth(ParseInt(name, value));
    } else if (name == "BorderColor") {
        SetBorderColor(ParseColorValue(name, value));
    } else if (name == "BorderWidth") {
        SetBorderWidth(ParseInt(name, value));
    } else if (name == "Buffered") {
        SetBuffered(ParseBool(name, value));
    } else {
        tk::TControl::SetProperty(name, value);
    }
}
