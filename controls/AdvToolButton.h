#pragma once
// TAdvToolButton: the gradient tool button of both windows. A real child window: its
// caption is its window text, it takes the focus with Tab and is pressed with Space (on
// release) or Enter. The keyboard cues follow its form's (WM_QUERYUISTATE): while focused
// it shows a focus rectangle once the keyboard is in use in the window (Tab, the arrows, Alt)
// or a key was pressed on it, and its access key (AccessKey) is underlined in the caption
// once Alt was pressed; where the system is set to show keyboard cues always, both always
// show. Focus taken by a click or given by the window shows none, so that at rest it looks
// the same. With the mouse it is hot while the pointer is over it, pressed while the left
// button is held on it, and raises OnClick only when the button is released over it.
#include "controls/toolbutton_core.h"
#include "toolkit/control.h"

#include <memory>

class TAdvToolButton : public tk::TControl {
public:
    // A new button is 22 x 23 pixels and takes its parent's font.
    explicit TAdvToolButton(tk::TControl* parent);
    ~TAdvToolButton() override;
    const char* ClassName() const override { return "TAdvToolButton"; }

    // Color (inherited, default clBtnFace) is the normal look's first colour. Setters that
    // change the look request a deferred repaint.
    tk::TColor ColorTo() const { return colors_.ColorTo; }
    void SetColorTo(tk::TColor color);
    tk::TColor ColorHot() const { return colors_.ColorHot; }
    void SetColorHot(tk::TColor color);
    tk::TColor ColorHotTo() const { return colors_.ColorHotTo; }
    void SetColorHotTo(tk::TColor color);
    tk::TColor ColorDown() const { return colors_.ColorDown; }
    void SetColorDown(tk::TColor color);
    tk::TColor ColorDownTo() const { return colors_.ColorDownTo; }
    void SetColorDownTo(tk::TColor color);
    tk::TColor BorderColor() const { return colors_.BorderColor; }
    void SetBorderColor(tk::TColor color);
    tk::TColor BorderHotColor() const { return colors_.BorderHotColor; }
    void SetBorderHotColor(tk::TColor color);
    tk::TColor BorderDownColor() const { return colors_.BorderDownColor; }
    void SetBorderDownColor(tk::TColor color);
    bool Rounded() const { return colors_.Rounded; }
    void SetRounded(bool rounded);
    // Only flat buttons are drawn; a button that is not flat never becomes hot.
    bool Flat() const { return flat_; }
    void SetFlat(bool flat) { flat_ = flat; }
    bool AutoThemeAdapt() const { return autoThemeAdapt_; }
    void SetAutoThemeAdapt(bool adapt) { autoThemeAdapt_ = adapt; }
    // The toggle flag of toggle buttons.
    bool Down() const { return colors_.Down; }
    void SetDown(bool down);

    TButtonState State() const { return pointer_.State(); }
    bool Hot() const { return pointer_.Hot(); }
    bool Tracking() const { return pointer_.Tracking(); }

    void Paint(tk::TCanvas& canvas) override;
    // ColorTo, ColorHot, ColorHotTo, ColorDown, ColorDownTo, BorderColor, BorderHotColor,
    // BorderDownColor, Rounded, Flat, AutoThemeAdapt, Down; the rest as any control.
    void SetProperty(const std::string& name, const tk::LayoutValue& value) override;

protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void EnabledChanged() override;
    void TextChanged() override;
    void KeyboardCuesChanged() override;

private:
    // The form's keyboard cues (WM_QUERYUISTATE): UISF_HIDEACCEL, UISF_HIDEFOCUS.
    LRESULT UiState() const;
    void Changed();
    void HandleEnter();
    void HandleLeave();
    // Whether the pointer is over this button's window now.
    bool PointerOver() const;
    // Whether a press may start now: enabled, shown, and its form not disabled by a modal
    // dialog.
    bool AcceptsInput() const;
    // Raises OnClick; false when the handler destroyed this button.
    bool ClickAndSurvive();
    void SetFocusCue(bool show);

    TButtonColors colors_;
    bool flat_ = true;
    bool autoThemeAdapt_ = false;
    TButtonPointer pointer_;
    bool leaveTracked_ = false;
    bool spaceHeld_ = false;
    // A key was pressed on the button since it took the focus: the focus rectangle shows
    // even where the form hides keyboard cues.
    bool focusCue_ = false;
    // Cleared by the destructor, so that code that ran an event handler can tell whether the
    // handler destroyed the button.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};
