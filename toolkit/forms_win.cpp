#include "toolkit/forms.h"

#include "toolkit/application.h"
#include "toolkit/dpi_win.h"
#include "toolkit/format.h"
#include "toolkit/resource.h"

#include <functional>
#include <map>

namespace tk {

namespace {

// The program's icon at one size, loaded once: icons live as long as the program. Null when
// the program has none.
HICON ApplicationIcon(int size) {
    static std::map<int, HICON> icons;
    auto found = icons.find(size);
    if (found != icons.end()) return found->second;
    HICON icon = static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), kApplicationIcon,
                                               IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
    icons.emplace(size, icon);
    return icon;
}

bool KeyboardCuesAlways() {
    BOOL always = FALSE;
    SystemParametersInfoA(SPI_GETKEYBOARDCUES, 0, &always, 0);
    return always != FALSE;
}

} // namespace

// The first control under `parent`, in creation order, that is marked (Default, Cancel, an
// access key), shown, enabled and has something to press.
TControl* TForm::FindPressable(TControl* parent,
                               const std::function<bool(const TControl&)>& marked) {
    for (const auto& child : parent->Children()) {
        TControl* c = child.get();
        if (!c->HandleAllocated() || !IsWindowVisible(c->Handle())) continue;
        if (marked(*c) && IsWindowEnabled(c->Handle()) && c->Accessibility.DoDefaultAction)
            return c;
        if (TControl* found = FindPressable(c, marked)) return found;
    }
    return nullptr;
}

TForm::TForm() : TControl(nullptr) {
    TControl::SetVisible(false); // forms are created hidden and shown on demand
}

bool TForm::PressAccessKey(char key) {
    char wanted[2] = {key, 0};
    CharUpperA(wanted);
    TControl* control = FindPressable(this, [&wanted](const TControl& c) {
        char own[2] = {c.AccessKey(), 0};
        CharUpperA(own);
        return own[0] != 0 && own[0] == wanted[0];
    });
    if (control == nullptr) return false;
    // As the dialog manager presses a button by its access key: focus, then the click.
    control->Focus();
    auto press = control->Accessibility.DoDefaultAction;
    press();
    return true;
}

UINT TForm::HiddenCues() const {
    return KeyboardCuesAlways() ? 0 : hiddenCues_;
}

TControl* TForm::ActiveControl() const {
    TControl* control = FromHandle(focused_);
    return control != nullptr && HandleAllocated() && IsChild(Handle(), focused_) ? control
                                                                                  : nullptr;
}

void TForm::ControlFocused(TControl* control) {
    if (control->TabStop())
        focused_ = control->Handle();
    else if (GetFocus() == control->Handle())
        RestoreFocus(); // the system's choice (the parent of a control it hid): pass it on
}

bool TForm::RestoreFocus() {
    TControl* last = ActiveControl();
    if (last != nullptr && IsWindowVisible(last->Handle()) && IsWindowEnabled(last->Handle())) {
        ::SetFocus(last->Handle());
        return true;
    }
    if (TControl* first = FirstTabStop()) {
        first->TakeFocus(true);
        return true;
    }
    return false;
}

void TForm::ChangeUiState(WPARAM change) {
    const UINT cues = HIWORD(change) & (UISF_HIDEACCEL | UISF_HIDEFOCUS);
    UINT hidden = hiddenCues_;
    if (LOWORD(change) == UIS_SET)
        hidden |= cues;
    else if (LOWORD(change) == UIS_CLEAR)
        hidden &= ~cues;
    if (hidden == hiddenCues_) return;
    hiddenCues_ = hidden;
    std::function<void(TControl&)> tell = [&tell](TControl& control) {
        control.KeyboardCuesChanged();
        for (const auto& child : control.Children())
            tell(*child);
    };
    tell(*this);
}

void TForm::HandleCreated() {
    ApplyIcon();
}

void TForm::ApplyIcon() {
    if (!HandleAllocated()) return;
    if (HICON small = ApplicationIcon(SystemMetricForDpi(SM_CXSMICON, dpi_)))
        SendMessageA(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
    if (HICON big = ApplicationIcon(SystemMetricForDpi(SM_CXICON, dpi_)))
        SendMessageA(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
}

int TForm::ClientWidth() const {
    if (HandleAllocated()) {
        RECT r;
        GetClientRect(Handle(), &r);
        return r.right;
    }
    return clientWidth_;
}

int TForm::ClientHeight() const {
    if (HandleAllocated()) {
        RECT r;
        GetClientRect(Handle(), &r);
        return r.bottom;
    }
    return clientHeight_;
}

void TForm::SetClientSize(int width, int height) {
    clientWidth_ = width;
    clientHeight_ = height;
    SIZE frame = FrameSize(width, height, dpi_);
    SetBounds(Left(), Top(), frame.cx, frame.cy);
}

SIZE TForm::FrameSize(int width, int height, int dpi) const {
    RECT r{0, 0, width, height};
    AdjustWindowRectForDpi(r, WindowStyle(), WindowExStyle(), dpi);
    return {r.right - r.left, r.bottom - r.top};
}

SIZE TForm::ClientSizeAt(int dpi) const {
    if (borderStyle_ != TBorderStyle::bsSizeable && layout_ != nullptr) {
        const LayoutValue* width = layout_->Find("ClientWidth");
        const LayoutValue* height = layout_->Find("ClientHeight");
        if (width != nullptr && height != nullptr)
            return {static_cast<LONG>(ValueAtDpi({"ClientWidth", *width}, dpi).integer),
                    static_cast<LONG>(ValueAtDpi({"ClientHeight", *height}, dpi).integer)};
    }
    return {MulDiv(ClientWidth(), dpi, dpi_), MulDiv(ClientHeight(), dpi, dpi_)};
}

DWORD TForm::WindowStyle() const {
    DWORD style = WS_CLIPCHILDREN;
    switch (borderStyle_) {
    case TBorderStyle::bsNone:
        style |= WS_POPUP;
        break;
    case TBorderStyle::bsSizeable:
        style |= WS_OVERLAPPED | WS_CAPTION | WS_THICKFRAME;
        break;
    case TBorderStyle::bsSingle:
    case TBorderStyle::bsDialog:
        style |= WS_OVERLAPPED | WS_CAPTION;
        break;
    }
    if (borderStyle_ != TBorderStyle::bsNone && (borderIcons_ & biSystemMenu)) {
        style |= WS_SYSMENU;
        if (borderStyle_ != TBorderStyle::bsDialog) {
            if (borderIcons_ & biMinimize) style |= WS_MINIMIZEBOX;
            if (borderIcons_ & biMaximize) style |= WS_MAXIMIZEBOX;
        }
    }
    return style;
}

DWORD TForm::WindowExStyle() const {
    // Tab moves into nested panels and pages; the form carries its own taskbar button.
    DWORD exStyle = WS_EX_CONTROLPARENT | WS_EX_APPWINDOW;
    if (borderStyle_ == TBorderStyle::bsDialog) exStyle |= WS_EX_DLGMODALFRAME;
    return exStyle;
}

void TForm::RegisterHandler(const std::string& name, TNotifyEvent handler) {
    handlers_[name] = std::move(handler);
}

void TForm::RegisterCloseQuery(const std::string& name, TCloseQueryEvent handler) {
    closeQueries_[name] = std::move(handler);
}

void TForm::LoadLayout(const std::string& resourceName) {
    LoadLayoutText(LoadDeflatedRcData(resourceName));
}

void TForm::LoadLayoutText(const std::string& text) {
    auto root = ParseLayout(text);
    if (root->className != ClassName())
        throw ELayoutError(
            Format("The layout is for %s, not %s", root->className.c_str(), ClassName()));
    layout_ = std::move(root);
    laidOut_.clear();
    // The window is placed on the primary monitor; its scale is the one to start at.
    dpi_ = SystemDpi();
    SetName(layout_->name);
    ApplyProperties(this, *layout_);
    BuildChildren(this, *layout_);
    ControlsLoaded();
    if (clientWidth_ > 0 || clientHeight_ > 0) SetClientSize(clientWidth_, clientHeight_);
    CreateHandle();
    if (OnCreate) OnCreate(this);
}

void TForm::BuildChildren(TControl* parent, const LayoutObject& object) {
    for (const auto& childObject : object.children) {
        std::unique_ptr<TControl> child = CreateControl(childObject->className, parent);
        child->SetName(childObject->name);
        TControl* raw = child.get();
        parent->Adopt(std::move(child));
        ApplyProperties(raw, *childObject);
        BuildChildren(raw, *childObject);
    }
}

void TForm::ApplyProperties(TControl* control, const LayoutObject& object) {
    laidOut_.emplace_back(control, &object);
    for (const auto& property : object.properties) {
        const std::string& name = property.name;
        if (name.rfind("On", 0) == 0 && property.value.kind == LayoutValue::Identifier) {
            const std::string& handler = property.value.text;
            if (name == "OnCloseQuery" && control == this) {
                auto found = closeQueries_.find(handler);
                if (found == closeQueries_.end())
                    throw ELayoutError(Format("No handler %s", handler.c_str()));
                OnCloseQuery = found->second;
                continue;
            }
            auto found = handlers_.find(handler);
            if (found == handlers_.end())
                throw ELayoutError(Format("No handler %s", handler.c_str()));
            if (name == "OnClick") {
                control->OnClick = found->second;
            } else if (control == this && name == "OnCreate") {
                OnCreate = found->second;
            } else if (control == this && name == "OnShow") {
                OnShow = found->second;
            } else if (control == this && name == "OnClose") {
                OnClose = found->second;
            } else {
                throw ELayoutError(
                    Format("Unknown event %s of %s", name.c_str(), object.name.c_str()));
            }
            continue;
        }
        control->SetProperty(name, ValueAtDpi(property, dpi_));
    }
}

void TForm::ApplyDpi(int dpi) {
    if (dpi <= 0) return;
    dpi_ = dpi;
    for (const auto& [control, object] : laidOut_) {
        for (const auto& property : object->properties) {
            if (!IsScaledProperty(property.name)) continue;
            // The window's place and size are the system's suggestion (WM_DPICHANGED).
            if (control == this && property.name != "Font.Height") continue;
            control->SetProperty(property.name, ValueAtDpi(property, dpi));
        }
    }
    AlignControls();
    ScaleChanged();
    ApplyIcon();
    if (HandleAllocated())
        RedrawWindow(Handle(), nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

void TForm::SetProperty(const std::string& name, const LayoutValue& value) {
    if (name == "ClientWidth") {
        SetClientSize(ParseInt(name, value), clientHeight_);
    } else if (name == "ClientHeight") {
        SetClientSize(clientWidth_, ParseInt(name, value));
    } else if (name == "BorderStyle") {
        const std::string& s = value.text;
        if (s == "bsSingle")
            borderStyle_ = TBorderStyle::bsSingle;
        else if (s == "bsSizeable")
            borderStyle_ = TBorderStyle::bsSizeable;
        else if (s == "bsDialog")
            borderStyle_ = TBorderStyle::bsDialog;
        else if (s == "bsNone")
            borderStyle_ = TBorderStyle::bsNone;
        else
            throw ELayoutError("Unknown BorderStyle " + s);
    } else if (name == "BorderIcons") {
        if (value.kind != LayoutValue::Set) throw ELayoutError("BorderIcons must be a set");
        borderIcons_ = 0;
        for (const auto& icon : value.set) {
            if (icon == "biSystemMenu")
                borderIcons_ |= biSystemMenu;
            else if (icon == "biMinimize")
                borderIcons_ |= biMinimize;
            else if (icon == "biMaximize")
                borderIcons_ |= biMaximize;
            else
                throw ELayoutError("Unknown border icon " + icon);
        }
    } else if (name == "Position") {
        if (value.text == "poScreenCenter" || value.text == "poDesktopCenter")
            position_ = TPosition::poScreenCenter;
        else if (value.text == "poDesigned")
            position_ = TPosition::poDesigned;
        else
            throw ELayoutError("Unknown Position " + value.text);
    } else {
        TControl::SetProperty(name, value);
    }
}

void TForm::PlaceOnScreen() {
    if (placed_) return;
    placed_ = true;
    if (position_ != TPosition::poScreenCenter) return;
    // The whole primary screen, taskbar included, not its work area.
    int left = (GetSystemMetrics(SM_CXSCREEN) - Width()) / 2;
    int top = (GetSystemMetrics(SM_CYSCREEN) - Height()) / 2;
    SetBounds(left, top, Width(), Height());
}

void TForm::SetVisible(bool visible) {
    if (visible == Visible()) return;
    if (visible) {
        CreateHandle();
        PlaceOnScreen();
        if (OnShow) OnShow(this);
        TControl::SetVisible(true);
        ShowWindow(Handle(), SW_SHOW);
        SetForegroundWindow(Handle());
    } else {
        TControl::SetVisible(false);
    }
}

bool TForm::CloseQuery() {
    bool canClose = true;
    if (OnCloseQuery) {
        TCloseQueryEvent handler = OnCloseQuery;
        handler(this, canClose);
    }
    return canClose;
}

void TForm::Close() {
    if (!CloseQuery()) return;
    Hide();
    if (OnClose) {
        TNotifyEvent handler = OnClose;
        handler(this);
    }
    if (Application().MainForm() == this) Application().Terminate();
}

LRESULT TForm::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CLOSE:
        Close();
        return 0;
    case WM_COMMAND:
        // IsDialogMessage turns Enter and Escape into IDOK / IDCANCEL when the focused
        // control does not take the key itself.
        if (HIWORD(wParam) == 0 && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
            TControl* button = LOWORD(wParam) == IDOK ? DefaultControl() : CancelControl();
            if (button != nullptr) {
                auto press = button->Accessibility.DoDefaultAction;
                press();
            }
        }
        return 0;
    case WM_ACTIVATE:
        // The focus goes back to a control, not to the window (the system's answer).
        if (LOWORD(wParam) != WA_INACTIVE && HIWORD(wParam) == 0 && RestoreFocus()) return 0;
        break;
    case WM_SETFOCUS:
        if (RestoreFocus()) return 0;
        break;
    case WM_CHANGEUISTATE:
    case WM_UPDATEUISTATE:
        // Windows sends these when the keyboard comes into use; the message loop sends the
        // first itself for Alt, as Wine sends nothing. The system passes them on to the
        // children.
        ChangeUiState(wParam);
        break;
    case WM_QUERYUISTATE:
        return (DefaultHandler(message, wParam, lParam) &
                ~LRESULT{UISF_HIDEACCEL | UISF_HIDEFOCUS}) |
               HiddenCues();
    case WM_GETDPISCALEDSIZE: {
        // The size the window will have at the new scale, so that the system's suggestion
        // in WM_DPICHANGED fits the layout rather than a stretched frame.
        int dpi = static_cast<int>(wParam);
        SIZE client = ClientSizeAt(dpi);
        *reinterpret_cast<SIZE*>(lParam) = FrameSize(client.cx, client.cy, dpi);
        return TRUE;
    }
    case WM_DPICHANGED: {
        // The window moved to a monitor of another scale (or the scale changed): take the
        // place the system suggests, then lay out and draw everything at the new scale.
        const RECT& r = *reinterpret_cast<const RECT*>(lParam);
        SetWindowPos(Handle(), nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        ApplyDpi(HIWORD(wParam));
        return 0;
    }
    default:
        break;
    }
    return TControl::WndProc(message, wParam, lParam);
}

} // namespace tk
