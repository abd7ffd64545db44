#include "controls/AdvToolButton.h"

#include "controls/draw_win.h"

#include <oleacc.h>
#include <windowsx.h>

TAdvToolButton::TAdvToolButton(tk::TControl* parent) : tk::TControl(parent) {
    SetBounds(0, 0, 22, 23);
    SetColor(tk::clBtnFace);
    SetTabStop(true);
    // The outermost pixel ring is left unpainted and shows what lies behind the button.
    SetTransparent(true);
    Accessibility.Role = ROLE_SYSTEM_PUSHBUTTON;
    Accessibility.Name = [this] { return Caption(); };
    Accessibility.DefaultAction = "Press";
    // The keyboard's and a screen reader's press: a click as a released Space gives it.
    Accessibility.DoDefaultAction = [this] {
        if (AcceptsInput() && !pointer_.Tracking()) ClickAndSurvive();
    };
}

TAdvToolButton::~TAdvToolButton() {
    alive_.reset();
}

void TAdvToolButton::Changed() {
    Invalidate();
}

void TAdvToolButton::SetColorTo(tk::TColor color) {
    colors_.ColorTo = color;
    Changed();
}

void TAdvToolButton::SetColorHot(tk::TColor color) {
    colors_.ColorHot = color;
    Changed();
}

void TAdvToolButton::SetColorHotTo(tk::TColor color) {
    colors_.ColorHotTo = color;
    Changed();
}

void TAdvToolButton::SetColorDown(tk::TColor color) {
    colors_.ColorDown = color;
    Changed();
}

void TAdvToolButton::SetColorDownTo(tk::TColor color) {
    colors_.ColorDownTo = color;
    Changed();
}

void TAdvToolButton::SetBorderColor(tk::TColor color) {
    colors_.BorderColor = color;
    Changed();
}

void TAdvToolButton::SetBorderHotColor(tk::TColor color) {
    colors_.BorderHotColor = color;
    Changed();
}

void TAdvToolButton::SetBorderDownColor(tk::TColor color) {
    colors_.BorderDownColor = color;
    Changed();
}

void TAdvToolButton::SetRounded(bool rounded) {
    colors_.Rounded = rounded;
    Changed();
}

void TAdvToolButton::SetDown(bool down) {
    colors_.Down = down;
    Changed();
}

void TAdvToolButton::Paint(tk::TCanvas& canvas) {
    pointer_.SyncEnabled(Enabled());
    TButtonColors colors = colors_;
    colors.Color = tk::ResolveColor(Color());
    for (tk::TColor* c : {&colors.ColorTo, &colors.ColorHot, &colors.ColorHotTo, &colors.ColorDown,
                          &colors.ColorDownTo, &colors.BorderColor, &colors.BorderHotColor,
                          &colors.BorderDownColor})
        *c = ResolveOrNone(*c);
    TButtonState state = pointer_.State();
    bool hot = pointer_.Hot();
    if (spaceHeld_) {
        // Held down with the keyboard: the look of a press with the pointer.
        state = bsDown;
        hot = true;
    }
    TButtonLook look = ButtonLook(colors, state, hot, Enabled(), ClientWidth(), ClientHeight());
    DrawFills(canvas, look.Fills);
    const int dpi = Dpi();
    if (look.Stroke) {
        // A stroke colour left at clNone is drawn as the toolkit resolves clNone (its low
        // 24 bits, white): the ring that marks a rounded button as hot or pressed. Its pen
        // and corners grow with the scale; a wide pen stays inside the button.
        canvas.Brush.Clear = true;
        canvas.Pen.Clear = false;
        canvas.Pen.Width = tk::Scale(1, dpi);
        canvas.Pen.InsideFrame = canvas.Pen.Width > 1;
        canvas.Pen.Color = look.StrokeColor;
        const tk::TRect& r = look.StrokeRect;
        int corner = tk::Scale(8, dpi);
        canvas.RoundRect(r.Left, r.Top, r.Right, r.Bottom, corner, corner);
        canvas.Pen.InsideFrame = false;
        canvas.Brush.Clear = false;
    }

    HDC dc = canvas.Handle();
    tk::ScopedSelect font(dc, Font().Handle());
    int oldMode = SetBkMode(dc, TRANSPARENT);
    // The access key's letter is marked for DrawText to underline only while the form shows
    // access keys; otherwise the caption is drawn as it always was. (DT_HIDEPREFIX would do
    // the same on Windows, but Wine's DrawText underlines all the same.)
    std::string text = Caption();
    const UINT format = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
    if (AccessKey() != 0 && !(UiState() & UISF_HIDEACCEL))
        text = AccessKeyMarked(Caption(), AccessKey());
    auto write = [&](tk::TRect r, tk::TColor color) {
        RECT area{r.Left, r.Top, r.Right, r.Bottom};
        SetTextColor(dc, tk::ResolveColor(color));
        DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &area, format);
    };
    if (Enabled()) {
        write(look.TextRect, Font().Color());
    } else {
        int shift = tk::Scale(1, dpi);
        tk::TRect moved = look.TextRect;
        moved.Left += shift;
        moved.Top += shift;
        moved.Right += shift;
        moved.Bottom += shift;
        write(moved, tk::clBtnHighlight);
        write(look.TextRect, tk::clBtnShadow);
    }
    SetBkMode(dc, oldMode);

    if (HandleAllocated() && GetFocus() == Handle() &&
        (focusCue_ || !(UiState() & UISF_HIDEFOCUS))) {
        tk::TRect f = ClientRect().Inflated(-tk::Scale(3, dpi));
        RECT focus{f.Left, f.Top, f.Right, f.Bottom};
        SetTextColor(dc, RGB(0, 0, 0));
        SetBkColor(dc, RGB(255, 255, 255));
        DrawFocusRect(dc, &focus);
    }
}

LRESULT TAdvToolButton::UiState() const {
    if (!HandleAllocated()) return UISF_HIDEACCEL | UISF_HIDEFOCUS;
    return SendMessageA(GetAncestor(Handle(), GA_ROOT), WM_QUERYUISTATE, 0, 0);
}

void TAdvToolButton::KeyboardCuesChanged() {
    if (AccessKey() != 0 || (HandleAllocated() && GetFocus() == Handle())) Invalidate();
}

void TAdvToolButton::SetFocusCue(bool show) {
    if (show == focusCue_) return;
    focusCue_ = show;
    Invalidate();
}

bool TAdvToolButton::PointerOver() const {
    if (!HandleAllocated()) return false;
    POINT p;
    if (!GetCursorPos(&p)) return false;
    return WindowFromPoint(p) == Handle();
}

void TAdvToolButton::HandleEnter() {
    if (pointer_.Enter(flat_, Enabled(), GetCapture() != nullptr)) Invalidate();
    // Also when it was hot already: after a late leave notice the leaving is watched again.
    if (pointer_.Hot() && !leaveTracked_) {
        TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, Handle(), 0};
        leaveTracked_ = TrackMouseEvent(&track) != FALSE;
    }
}

void TAdvToolButton::HandleLeave() {
    if (pointer_.Leave(Enabled())) Invalidate();
}

bool TAdvToolButton::AcceptsInput() const {
    // Input queued before the button's window was hidden or its form disabled (the second
    // click of a double click that started an installation or opened a modal dialog)
    // still arrives here while that runs; it must not press the button a second time.
    return Enabled() && HandleAllocated() && IsWindowVisible(Handle()) &&
           IsWindowEnabled(GetAncestor(Handle(), GA_ROOT));
}

bool TAdvToolButton::ClickAndSurvive() {
    std::weak_ptr<bool> alive = alive_;
    Click();
    return !alive.expired();
}

void TAdvToolButton::TextChanged() {
    Invalidate();
    // "Pause" becomes "Resume", "Cancel" becomes "OK": a screen reader says the new name.
    tk::NotifyAccessibleEvent(Handle(), EVENT_OBJECT_NAMECHANGE);
}

void TAdvToolButton::EnabledChanged() {
    pointer_.SyncEnabled(Enabled());
    if (!Enabled()) {
        spaceHeld_ = false;
        if (HandleAllocated() && GetCapture() == Handle()) ReleaseCapture();
    }
    if (PointerOver())
        HandleEnter();
    else
        HandleLeave();
    Repaint();
}

LRESULT TAdvToolButton::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_MOUSEMOVE: {
        tk::TPoint p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        bool inside = ClientRect().Contains(p);
        if (pointer_.Tracking()) {
            bool repaint = pointer_.Move(inside);
            // The button holds the mouse capture while tracking, so the pointer's leaving
            // shows here, in the moves that the capture still brings.
            if (!inside) repaint = pointer_.Leave(Enabled()) || repaint;
            if (repaint) Invalidate();
        } else if (!pointer_.Hot() && inside) {
            HandleEnter();
        }
        break;
    }
    case WM_MOUSELEAVE:
        leaveTracked_ = false;
        if (pointer_.Tracking()) return 0;
        // The notice may be late: posted while the pointer was off the button, handled
        // after it came back (dragged off and back, released over it). Only the pointer's
        // place now counts.
        if (PointerOver())
            HandleEnter();
        else
            HandleLeave();
        return 0;
    case WM_LBUTTONDOWN:
        if (!AcceptsInput()) break;
        if (GetFocus() != Handle()) SetFocus(Handle());
        if (pointer_.LeftDown(Enabled(), Down())) Invalidate();
        // Moves and the release off the button must still reach it.
        SetCapture(Handle());
        return 0;
    case WM_LBUTTONUP: {
        tk::TPoint p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        TButtonPointer::TRelease release = pointer_.LeftUp(ClientRect().Contains(p));
        if (GetCapture() == Handle()) ReleaseCapture();
        if (release.Repaint) Invalidate();
        if (release.Click && !ClickAndSurvive()) return 0;
        // The handler may have run for long (a whole installation): ask where the pointer
        // is now.
        if (PointerOver()) HandleEnter();
        return 0;
    }
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(lParam) != Handle() && pointer_.CancelTracking()) {
            Invalidate();
            if (!PointerOver()) HandleLeave();
        }
        break;
    case WM_GETDLGCODE: {
        // Space and Enter press the focused button; the dialog manager (the message loop
        // runs IsDialogMessage) would otherwise take Enter as its default-button key. Tab and
        // the arrows stay with the dialog manager.
        const MSG* msg = reinterpret_cast<const MSG*>(lParam);
        if (msg != nullptr &&
            (msg->message == WM_KEYDOWN || msg->message == WM_KEYUP || msg->message == WM_CHAR) &&
            (msg->wParam == VK_SPACE || msg->wParam == VK_RETURN))
            return DLGC_WANTMESSAGE;
        return 0;
    }
    case WM_KEYDOWN:
        SetFocusCue(true);
        // Bit 30: the key was already down; a held key repeats, a button must not.
        if (lParam & (1 << 30)) {
            if (wParam == VK_SPACE || wParam == VK_RETURN) return 0;
            break;
        }
        if (wParam == VK_SPACE && AcceptsInput() && !pointer_.Tracking()) {
            spaceHeld_ = true;
            Invalidate();
            return 0;
        }
        if (wParam == VK_RETURN && AcceptsInput() && !pointer_.Tracking()) {
            ClickAndSurvive();
            return 0;
        }
        break;
    case WM_KEYUP:
        if (wParam == VK_SPACE && spaceHeld_) {
            spaceHeld_ = false;
            Invalidate();
            ClickAndSurvive();
            return 0;
        }
        break;
    case WM_CHAR:
        if (wParam == VK_SPACE || wParam == VK_RETURN) return 0;
        break;
    case WM_SETFOCUS:
        // The focus rectangle shows once the keyboard is in use in the window (its form's
        // keyboard cues) or a key is pressed on the button; focus given by a click or by the
        // window itself shows none.
        focusCue_ = false;
        Invalidate();
        break;
    case WM_KILLFOCUS:
        spaceHeld_ = false;
        Invalidate();
        break;
    default:
        break;
    }
    return tk::TControl::WndProc(message, wParam, lParam);
}

void TAdvToolButton::SetProperty(const std::string& name, const tk::LayoutValue& value) {
    if (name == "ColorTo") {
        SetColorTo(ParseColorValue(name, value));
    } else if (name == "ColorHot") {
        SetColorHot(ParseColorValue(name, value));
    } else if (name == "ColorHotTo") {
        SetColorHotTo(ParseColorValue(name, value));
    } else if (name == "ColorDown") {
        SetColorDown(ParseColorValue(name, value));
    } else if (name == "ColorDownTo") {
        SetColorDownTo(ParseColorValue(name, value));
    } else if (name == "BorderColor") {
        SetBorderColor(ParseColorValue(name, value));
    } else if (name == "BorderHotColor") {
        SetBorderHotColor(ParseColorValue(name, value));
    } else if (name == "BorderDownColor") {
        SetBorderDownColor(ParseColorValue(name, value));
    } else if (name == "Rounded") {
        SetRounded(ParseBool(name, value));
    } else if (name == "Flat") {
        SetFlat(ParseBool(name, value));
    } else if (name == "AutoThemeAdapt") {
        SetAutoThemeAdapt(ParseBool(name, value));
    } else if (name == "Down") {
        SetDown(ParseBool(name, value));
    } else {
        tk::TControl::SetProperty(name, value);
    }
}
