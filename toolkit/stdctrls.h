#pragma once
// The plain controls the windows use: labels that size themselves to their text, an
// edit field that can lower-case its text, pages without tabs and an image.
#include "toolkit/control.h"

namespace tk {

// A line of text. With AutoSize (the default) the label takes the size of its caption
// in its font; transparent labels show what lies behind them.
class TLabel : public TControl {
public:
    explicit TLabel(TControl* parent);
    const char* ClassName() const override { return "TLabel"; }
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool autoSize);
    void Paint(TCanvas& canvas) override;
    void SetProperty(const std::string& name, const LayoutValue& value) override;

protected:
    void TextChanged() override;
    void FontChanged() override;
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void AdjustSize();
    bool autoSize_ = true;
};

enum class TEditCharCase { ecNormal, ecLowerCase };

// A single-line edit field (the system's own). With ecLowerCase everything typed or
// set is lower case.
class TEdit : public TControl {
public:
    explicit TEdit(TControl* parent);
    const char* ClassName() const override { return "TEdit"; }
    // The current text, as the user left it.
    std::string Text() const;
    void SetText(const std::string& text) { SetCaption(text); }
    void SetCaption(const std::string& caption) override;
    void SetCharCase(TEditCharCase charCase) { charCase_ = charCase; }
    // The label that names the field for screen readers (the field has no caption of its own).
    void SetLabel(const TControl* label);
    void SetProperty(const std::string& name, const LayoutValue& value) override;

protected:
    const char* SystemClassName() const override { return "EDIT"; }
    DWORD WindowStyle() const override;
    DWORD WindowExStyle() const override { return WS_EX_CLIENTEDGE; }
    // The text in the font's colour on the control's colour, not the system's.
    HBRUSH ControlColors(HDC dc) override;

private:
    TEditCharCase charCase_ = TEditCharCase::ecNormal;
    GdiObject<HBRUSH> brush_;
    COLORREF brushColor_ = 0;
};

// A plain container (a page, a panel without decoration).
class TPanel : public TControl {
public:
    explicit TPanel(TControl* parent) : TControl(parent) {}
    const char* ClassName() const override { return "TPanel"; }

protected:
    DWORD WindowExStyle() const override { return WS_EX_CONTROLPARENT; }
};

class TTabSheet : public TPanel {
public:
    explicit TTabSheet(TControl* parent) : TPanel(parent) { SetAlign(TAlign::alClient); }
    const char* ClassName() const override { return "TTabSheet"; }
    void SetProperty(const std::string& name, const LayoutValue& value) override;

protected:
    // A page the user has not opened yet costs no windows at start-up.
    bool DefersChildWindows() const override { return true; }
};

// Pages without tabs: exactly one page (child) is visible; only code switches pages.
class TPageControl : public TPanel {
public:
    explicit TPageControl(TControl* parent) : TPanel(parent) {}
    const char* ClassName() const override { return "TPageControl"; }
    int ActivePageIndex() const { return activePage_; }
    void SetActivePageIndex(int index);
    void SetProperty(const std::string& name, const LayoutValue& value) override;

protected:
    void HandleCreated() override { SetActivePageIndex(activePage_); }

private:
    int activePage_ = 0;
};

// A picture the program draws on through its canvas.
class TImage : public TControl {
public:
    explicit TImage(TControl* parent) : TControl(parent) {}
    const char* ClassName() const override { return "TImage"; }
    // The picture's canvas; the picture takes the image's size when first used.
    TCanvas& Canvas();
    // What the picture shows, in words: a screen reader announces the image as a graphic of
    // that name. An image without one is described as any plain window.
    void SetAlternativeText(const std::string& text);
    const TBitmap& Picture() const { return picture_; }
    void Paint(TCanvas& canvas) override;

private:
    TBitmap picture_;
};

// Registers the classes above for layouts.
void RegisterStandardControls();

} // namespace tk
