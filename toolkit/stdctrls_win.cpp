#include "toolkit/stdctrls.h"

#include "toolkit/format.h"

#include <oleacc.h>

namespace tk {

TLabel::TLabel(TControl* parent) : TControl(parent) {
    AdjustSize();
    Accessibility.Role = ROLE_SYSTEM_STATICTEXT;
    Accessibility.Name = [this] { return Caption(); };
    Accessibility.State = STATE_SYSTEM_READONLY;
}

void TLabel::SetAutoSize(bool autoSize) {
    autoSize_ = autoSize;
    AdjustSize();
}

void TLabel::AdjustSize() {
    if (!autoSize_) return;
    // An empty caption still has the height of a line, as a blank would.
    std::string text = Caption().empty() ? std::string(" ") : Caption();
    // Measured on a memory device context kept for good: the same text metrics as the
    // screen's, without asking the window system for a screen context on every caption.
    static MemoryDC measure;
    ScopedSelect font(measure.Get(), Font().Handle());
    RECT r{0, 0, 0, 0};
    DrawTextA(measure.Get(), text.c_str(), static_cast<int>(text.size()), &r,
              DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    int width = Caption().empty() ? 0 : r.right;
    SetBounds(Left(), Top(), width, r.bottom);
}

void TLabel::TextChanged() {
    const TRect before = BoundsRect();
    AdjustSize();
    // Drawn by its parent, a label that changed its size has had its area invalidated.
    if (!DrawnByParent() || BoundsRect() == before) Invalidate();
    // A screen reader can announce a line that changes (the file being written, the bytes
    // done) without asking again and again.
    NotifyAccessibleEvent(Handle(), EVENT_OBJECT_NAMECHANGE);
}

void TLabel::FontChanged() {
    AdjustSize();
    Invalidate();
}

void TLabel::Paint(TCanvas& canvas) {
    TControl::Paint(canvas);
    canvas.Font = Font();
    canvas.Brush.Clear = true;
    RECT r{0, 0, Width(), Height()};
    HDC dc = canvas.Handle();
    ScopedSelect font(dc, canvas.Font.Handle());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ResolveColor(canvas.Font.Color()));
    // No '&' processing: labels show file paths, which may contain one.
    DrawTextA(dc, Caption().c_str(), static_cast<int>(Caption().size()), &r,
              DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
}

LRESULT TLabel::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    // Clicks pass through labels to whatever lies below.
    if (message == WM_NCHITTEST) return HTTRANSPARENT;
    return TControl::WndProc(message, wParam, lParam);
}

void TLabel::SetProperty(const std::string& name, const LayoutValue& value) {
    if (name == "AutoSize")
        SetAutoSize(ParseBool(name, value));
    else
        TControl::SetProperty(name, value);
}

TEdit::TEdit(TControl* parent) : TControl(parent) {
    SetTabStop(true);
    SetColor(clWhite);
    Accessibility.Role = ROLE_SYSTEM_TEXT;
    Accessibility.Value = [this] { return Text(); };
}

void TEdit::SetLabel(const TControl* label) {
    Accessibility.Name = [label] { return label->Caption(); };
}

HBRUSH TEdit::ControlColors(HDC dc) {
    COLORREF background = ResolveColor(Color());
    if (!brush_ || brushColor_ != background) {
        brush_.Reset(CreateSolidBrush(background));
        brushColor_ = background;
    }
    SetTextColor(dc, ResolveColor(Font().Color()));
    SetBkColor(dc, background);
    return brush_.Get();
}

DWORD TEdit::WindowStyle() const {
    DWORD style = TControl::WindowStyle() | ES_AUTOHSCROLL;
    style &= ~static_cast<DWORD>(WS_CLIPCHILDREN);
    if (charCase_ == TEditCharCase::ecLowerCase) style |= ES_LOWERCASE;
    return style;
}

std::string TEdit::Text() const {
    if (!HandleAllocated()) return Caption();
    int length = GetWindowTextLengthA(Handle());
    std::string text(static_cast<size_t>(length) + 1, '\0');
    int copied = GetWindowTextA(Handle(), text.data(), length + 1);
    text.resize(static_cast<size_t>(copied));
    return text;
}

void TEdit::SetCaption(const std::string& caption) {
    std::string text = caption;
    if (charCase_ == TEditCharCase::ecLowerCase && !text.empty())
        CharLowerBuffA(text.data(), static_cast<DWORD>(text.size()));
    TControl::SetCaption(text);
    // What the user typed may differ from the last text set; set it again always.
    if (HandleAllocated()) SetWindowTextA(Handle(), text.c_str());
}

void TEdit::SetProperty(const std::string& name, const LayoutValue& value) {
    if (name == "CharCase") {
        if (value.text == "ecLowerCase")
            charCase_ = TEditCharCase::ecLowerCase;
        else if (value.text == "ecNormal")
            charCase_ = TEditCharCase::ecNormal;
        else
            throw ELayoutError("Unknown CharCase " + value.text);
    } else {
        TControl::SetProperty(name, value);
    }
}

void TTabSheet::SetProperty(const std::string& name, const LayoutValue& value) {
    // Pages never show a tab; the layout says so for readers.
    if (name == "TabVisible") return;
    TPanel::SetProperty(name, value);
}

namespace {

bool HoldsFocus(const TControl* control, HWND focus) {
    return control->HandleAllocated() && focus != nullptr &&
           (focus == control->Handle() || IsChild(control->Handle(), focus));
}

} // namespace

void TPageControl::SetActivePageIndex(int index) {
    activePage_ = index;
    // When the focus is on the page that goes, it moves to the first control of the page that
    // comes: the keyboard goes on where the eye goes, not in a hidden window.
    HWND focus = GetFocus();
    bool focusLeaves = false;
    TControl* shown = nullptr;
    int i = 0;
    for (const auto& child : Children()) {
        if (dynamic_cast<TTabSheet*>(child.get()) == nullptr) continue;
        if (i == index)
            shown = child.get();
        else if (HoldsFocus(child.get(), focus))
            focusLeaves = true;
        child->SetVisible(i == index);
        ++i;
    }
    if (focusLeaves && shown != nullptr)
        if (TControl* first = shown->FirstTabStop()) first->Focus();
}

void TPageControl::SetProperty(const std::string& name, const LayoutValue& value) {
    if (name == "ActivePage") {
        // The active page is chosen at run time.
    } else {
        TPanel::SetProperty(name, value);
    }
}

void TImage::SetAlternativeText(const std::string& text) {
    Accessibility.Role = ROLE_SYSTEM_GRAPHIC;
    Accessibility.Name = [text] { return text; };
    Accessibility.State = STATE_SYSTEM_READONLY;
}

TCanvas& TImage::Canvas() {
    if (picture_.Width() != Width() || picture_.Height() != Height()) {
        picture_.SetSize(Width(), Height());
        picture_.Canvas().Brush.Color = clWhite;
        picture_.Canvas().FillRect({0, 0, Width(), Height()});
    }
    Invalidate();
    return picture_.Canvas();
}

void TImage::Paint(TCanvas& canvas) {
    if (picture_.Width() == 0) {
        TControl::Paint(canvas);
        return;
    }
    canvas.Draw(0, 0, picture_);
}

void RegisterStandardControls() {
    RegisterControlClass<TLabel>();
    RegisterControlClass<TEdit>();
    RegisterControlClass<TPanel>();
    RegisterControlClass<TTabSheet>();
    RegisterControlClass<TPageControl>();
    RegisterControlClass<TImage>();
}

} // namespace tk
