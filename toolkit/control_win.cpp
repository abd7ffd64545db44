#include "toolkit/control.h"

#include "toolkit/application.h"
#include "toolkit/format.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <map>
#include <set>
#include <unordered_map>

namespace tk {

namespace {

// Window classes are registered on first use, one per control class name, all with
// the same window procedure. No CS_DBLCLKS: a quick second click is a second click.
void EnsureWindowClass(const char* name, WNDPROC proc) {
    static std::set<std::string> registered;
    if (registered.count(name) != 0) return;
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.lpszClassName = name;
    RegisterClassExA(&wc);
    registered.insert(name);
}

std::map<std::string, TControlFactory>& Factories() {
    static std::map<std::string, TControlFactory> factories;
    return factories;
}

// The control of each of our windows, looked up for every message. Kept in the process,
// not as a window property: where the window system keeps properties in a server (Wine),
// each look-up is a round trip.
std::unordered_map<HWND, TControl*>& Controls() {
    static std::unordered_map<HWND, TControl*> controls;
    return controls;
}

// The timer that moves the window of a control its parent draws to the control's bounds,
// and how long after the first change it does so.
constexpr UINT_PTR kPlacementTimer = 0x7401;
constexpr UINT kPlacementDelayMs = 100;

// The drag pointer: the arrow carrying a small sheet below its tip. Windows has no
// such system cursor, so it is drawn here from two masks, 32 x 32 pixels at 96 dpi and
// that size scaled at other scales (one cursor per scale, made on first use).
HCURSOR DragCursor(int dpi) {
    static std::vector<std::pair<int, HCURSOR>> cursors;
    for (const auto& [madeFor, made] : cursors)
        if (madeFor == dpi) return made;
    HCURSOR cursor = [dpi] {
        static const char* const kShape[] = {"B",
                                             "BB",
                                             "BWB",
                                             "BWWB",
                                             "BWWWB",
                                             "BWWWWB",
                                             "BWWWWWB",
                                             "BWWWWWWB",
                                             "BWWWWWWWB",
                                             "BWWWWWBBBB",
                                             "BWWBWWB",
                                             "BWB BWWB",
                                             "BB  BWWB",
                                             "B    BWWB",
                                             "     BWWB",
                                             "      BB",
                                             "",
                                             "  BBBBBBBBB",
                                             "  BWWWWWWWB",
                                             "  BWWWWWWWB",
                                             "  BWWWWWWWB",
                                             "  BWWWWWWWB",
                                             "  BWWWWWWWB",
                                             "  BBBBBBBBB"};
        // Each pixel of the cursor shows the shape's pixel nearest to it.
        const int size = Scale(32, dpi);
        const int rowBytes = (size + 15) / 16 * 2; // mask rows are whole 16-bit words
        std::vector<BYTE> andMask(static_cast<size_t>(rowBytes) * size, 0xFF);
        std::vector<BYTE> xorMask(static_cast<size_t>(rowBytes) * size, 0x00);
        for (int y = 0; y < size; ++y) {
            int shapeY = y * 32 / size;
            if (shapeY >= static_cast<int>(std::size(kShape))) break;
            const char* row = kShape[shapeY];
            int rowLength = static_cast<int>(std::strlen(row));
            for (int x = 0; x < size; ++x) {
                int shapeX = x * 32 / size;
                char c = shapeX < rowLength ? row[shapeX] : ' ';
                if (c == ' ') continue;
                BYTE bit = static_cast<BYTE>(0x80 >> (x % 8));
                size_t at = static_cast<size_t>(y) * rowBytes + x / 8;
                andMask[at] &= static_cast<BYTE>(~bit); // opaque
                if (c == 'W') xorMask[at] |= bit;       // white, else black
            }
        }
        return CreateCursor(GetModuleHandleA(nullptr), 0, 0, size, size, andMask.data(),
                            xorMask.data());
    }();
    cursors.emplace_back(dpi, cursor);
    return cursor;
}

} // namespace

TControl::TControl(TControl* parent) : parent_(parent) {
    if (parent != nullptr) {
        font_ = parent->font_;
        color_ = parent->color_;
    }
}

TControl::~TControl() {
    children_.clear();
    DestroyHandle();
}

void TControl::DestroyHandle() {
    if (handle_ == nullptr) return;
    HWND window = handle_;
    // From here on the window's messages must not reach this half-destroyed object.
    if (auto found = Controls().find(window); found != Controls().end() && found->second == this)
        Controls().erase(found);
    if (systemProc_ != nullptr)
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(systemProc_));
    handle_ = nullptr;
    placementPending_ = false;
    DestroyWindow(window);
}

void TControl::Adopt(std::unique_ptr<TControl> child) {
    TControl* raw = child.get();
    children_.push_back(std::move(child));
    if (handle_ != nullptr) raw->CreateHandle();
    if (raw->align_ != TAlign::alNone) AlignControls();
}

TControl* TControl::FindControl(const std::string& name) {
    if (name_ == name) return this;
    for (auto& child : children_)
        if (TControl* found = child->FindControl(name)) return found;
    return nullptr;
}

TControl* TControl::FromHandle(HWND window) {
    if (window == nullptr) return nullptr;
    auto found = Controls().find(window);
    return found != Controls().end() ? found->second : nullptr;
}

DWORD TControl::WindowStyle() const {
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    if (visible_) style |= WS_VISIBLE;
    if (!enabled_) style |= WS_DISABLED;
    if (tabStop_) style |= WS_TABSTOP;
    return style;
}

void TControl::CreateHandle() {
    if (!HasWindow()) return;
    if (handle_ == nullptr) {
        if (parent_ != nullptr && parent_->handle_ == nullptr) {
            parent_->CreateHandle(); // creates this one too
            return;
        }
        const char* systemClass = SystemClassName();
        const char* windowClass = systemClass;
        if (systemClass != nullptr) EnsureCommonControls(); // the manifest's version 6 classes
        if (windowClass == nullptr) {
            EnsureWindowClass(ClassName(), StaticWndProc);
            windowClass = ClassName();
        }
        HWND parentWindow = parent_ != nullptr ? parent_->handle_ : nullptr;
        // A control its parent draws must not cut its area out of the parent's paint.
        DWORD exStyle = WindowExStyle() | (drawnByParent_ ? WS_EX_TRANSPARENT : 0);
        HWND window = CreateWindowExA(exStyle, windowClass, caption_.c_str(), WindowStyle(),
                                      left_, top_, width_, height_, parentWindow, nullptr,
                                      GetModuleHandleA(nullptr), this);
        if (window == nullptr)
            throw Exception(Format("Cannot create the window of %s", name_.c_str()));
        if (systemClass != nullptr) {
            handle_ = window;
            Controls()[window] = this;
            systemProc_ = reinterpret_cast<WNDPROC>(
                SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SubclassProc)));
        }
        SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Handle()), FALSE);
        HandleCreated();
    }
    if (visible_ || !DefersChildWindows())
        for (auto& child : children_)
            child->CreateHandle();
    AlignControls();
}

LRESULT CALLBACK TControl::StaticWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self =
            static_cast<TControl*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        self->handle_ = window;
        Controls()[window] = self;
    }
    return SubclassProc(window, message, wParam, lParam);
}

LRESULT CALLBACK TControl::SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    TControl* self = FromHandle(window);
    if (self == nullptr) return DefWindowProcA(window, message, wParam, lParam);
    LRESULT result = self->Dispatch(message, wParam, lParam);
    // The last message of a window the system destroyed (with its parent): its handle may
    // come back for another window.
    if (message == WM_NCDESTROY) Controls().erase(window);
    return result;
}

LRESULT TControl::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    // The one place where an error raised in an event handler ends: it must not unwind
    // through the window system's own frames, which carry no unwind information.
    try {
        return WndProc(message, wParam, lParam);
    } catch (const std::exception& error) {
        Application().HandleException(error);
    } catch (...) {
        Application().HandleException(Exception("Unknown error"));
    }
    return 0;
}

LRESULT TControl::DefaultHandler(UINT message, WPARAM wParam, LPARAM lParam) {
    if (systemProc_ != nullptr)
        return CallWindowProcA(systemProc_, handle_, message, wParam, lParam);
    return DefWindowProcA(handle_, message, wParam, lParam);
}

LRESULT TControl::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT:
        if (systemProc_ != nullptr) break;
        if (drawnByParent_)
            ValidateRect(handle_, nullptr); // its parent's paint shows it
        else
            PaintWindow();
        return 0;
    case WM_PRINTCLIENT:
        if (systemProc_ != nullptr) break;
        PaintTo(reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_ERASEBKGND:
        if (systemProc_ != nullptr) break;
        return 1; // WM_PAINT covers every pixel
    case WM_SETCURSOR:
        if ((cursor_ != nullptr || dragCursor_) && LOWORD(lParam) == HTCLIENT) {
            ::SetCursor(dragCursor_ ? DragCursor(Dpi()) : cursor_);
            return TRUE;
        }
        break;
    case WM_CTLCOLOREDIT: {
        TControl* child = FromHandle(reinterpret_cast<HWND>(lParam));
        if (child != nullptr && child->parent_ == this)
            if (HBRUSH brush = child->ControlColors(reinterpret_cast<HDC>(wParam)))
                return reinterpret_cast<LRESULT>(brush);
        break;
    }
    case WM_SETFOCUS:
        // The form keeps the control that had the focus last, to give it back when the
        // window is activated again.
        if (Root() != this) Root()->ControlFocused(this);
        break;
    case WM_TIMER:
        if (wParam == kPlacementTimer) {
            PlaceWindow();
            return 0;
        }
        break;
    case WM_GETOBJECT:
        // A screen reader finds the window where the control is.
        if (placementPending_) PlaceWindow();
        // Only the client area is ours to describe; the frame stays the system's.
        if (Accessibility.Role != 0 && static_cast<LONG>(lParam) == OBJID_CLIENT)
            if (LRESULT object = AccessibleObjectResult(handle_, wParam)) return object;
        break;
    case kDefaultActionMessage:
        if (Accessibility.DoDefaultAction) {
            // A copy: the action may change the description (a caption, a handler).
            auto action = Accessibility.DoDefaultAction;
            action();
        }
        return 0;
    case WM_SIZE:
        if (parent_ == nullptr && wParam != SIZE_MINIMIZED) {
            RECT r;
            GetWindowRect(handle_, &r);
            width_ = r.right - r.left;
            height_ = r.bottom - r.top;
            AlignControls();
            Resized();
        }
        break;
    default:
        break;
    }
    return DefaultHandler(message, wParam, lParam);
}

void TControl::PaintWindow() {
    PaintDC paintDC(handle_);
    // The part to renew; when nothing of the window shows, the whole of it as ever.
    const RECT& r = paintDC.Area();
    const bool some = r.right > r.left && r.bottom > r.top;
    PaintArea(paintDC.Get(), some ? TRect{r.left, r.top, r.right, r.bottom} : ClientRect());
}

void TControl::PaintTo(HDC dc) {
    PaintArea(dc, ClientRect());
}

void TControl::PaintArea(HDC dc, const TRect& wanted) {
    const TRect client = ClientRect();
    const TRect area{std::max(wanted.Left, 0), std::max(wanted.Top, 0),
                     std::min(wanted.Right, client.Right), std::min(wanted.Bottom, client.Bottom)};
    if (area.Width() <= 0 || area.Height() <= 0) return;
    if (!DoubleBuffered()) {
        TCanvas canvas(dc);
        canvas.Font = font_;
        PaintWithDrawnChildren(canvas, area, nullptr);
        return;
    }
    const int w = client.Width(), h = client.Height();
    // One off-screen bitmap serves every paint (it only grows): a bitmap made and freed
    // for each paint costs more than the painting of a label. A paint inside a paint
    // (which does not happen today) gets a bitmap of its own.
    static TBitmap shared;
    static bool sharedInUse = false;
    TBitmap own;
    TBitmap& buffer = sharedInUse ? own : shared;
    if (buffer.Width() < w || buffer.Height() < h)
        buffer.SetSize(std::max(w, buffer.Width()), std::max(h, buffer.Height()));
    HDC memory = buffer.DC();
    // Each paint starts as on a new bitmap: black pixels, the device context's defaults
    // and a canvas with default pen and brush. The state is given back on every path.
    struct Borrowed {
        HDC dc;
        int saved;
        bool& inUse;
        bool wasInUse;
        ~Borrowed() {
            RestoreDC(dc, saved);
            inUse = wasInUse;
        }
    } borrowed{memory, SaveDC(memory), sharedInUse, sharedInUse};
    if (&buffer == &shared) sharedInUse = true;
    // Only the area is drawn and copied: the rest of the screen stays as it is.
    IntersectClipRect(memory, area.Left, area.Top, area.Right, area.Bottom);
    PatBlt(memory, area.Left, area.Top, area.Width(), area.Height(), BLACKNESS);
    TCanvas canvas(memory);
    canvas.Font = font_;
    if (transparent_ && parent_ != nullptr) parent_->PaintBehind(this, canvas);
    PaintWithDrawnChildren(canvas, area, nullptr);
    BitBlt(dc, area.Left, area.Top, area.Width(), area.Height(), memory, area.Left, area.Top,
           SRCCOPY);
}

void TControl::PaintWithDrawnChildren(TCanvas& canvas, const TRect& area, const TControl* skip) {
    Paint(canvas);
    HDC dc = canvas.Handle();
    for (const auto& child : children_) {
        if (!child->drawnByParent_ || !child->visible_ || child.get() == skip ||
            !child->BoundsRect().Overlaps(area))
            continue;
        // As its window would show it: at its place, cut to its bounds, in its font.
        int saved = SaveDC(dc);
        OffsetWindowOrgEx(dc, -child->left_, -child->top_, nullptr);
        IntersectClipRect(dc, 0, 0, child->width_, child->height_);
        TCanvas childCanvas(dc);
        childCanvas.Font = child->font_;
        child->Paint(childCanvas);
        RestoreDC(dc, saved);
    }
}

void TControl::Paint(TCanvas& canvas) {
    if (transparent_) return;
    canvas.Brush.Clear = false;
    canvas.Brush.Color = color_;
    canvas.FillRect(ClientRect());
}

void TControl::PaintBehind(TControl* child, TCanvas& canvas) {
    HDC dc = canvas.Handle();
    int saved = SaveDC(dc);
    // Logical coordinates of this control, device origin at the child's corner.
    POINT origin;
    OffsetWindowOrgEx(dc, child->left_, child->top_, &origin);
    if (transparent_ && parent_ != nullptr) parent_->PaintBehind(this, canvas);
    {
        TCanvas own(dc);
        own.Font = font_;
        PaintWithDrawnChildren(own, child->BoundsRect(), child);
    }
    // The opaque siblings that overlap the child and lie below it in the window system's
    // z-order (a new child window goes to the bottom, and a control may move itself),
    // painted bottom first. The z-order costs a round trip per sibling: asked only when
    // some opaque sibling overlaps at all, which a label on a plain panel rarely does.
    TRect area = child->BoundsRect();
    auto overlaps = [&area](const TControl* sibling) {
        if (!sibling->visible_ || sibling->transparent_ || sibling->drawnByParent_) return false;
        return sibling->BoundsRect().Overlaps(area);
    };
    bool anyOverlap = false;
    for (auto& sibling : children_)
        if (sibling.get() != child && overlaps(sibling.get())) anyOverlap = true;
    std::vector<TControl*> below;
    if (anyOverlap && child->handle_ != nullptr) {
        for (HWND w = GetWindow(child->handle_, GW_HWNDNEXT); w != nullptr;
             w = GetWindow(w, GW_HWNDNEXT)) {
            TControl* sibling = FromHandle(w);
            if (sibling != nullptr && sibling->parent_ == this) below.push_back(sibling);
        }
    }
    for (auto it = below.rbegin(); it != below.rend(); ++it) {
        TControl* sibling = *it;
        if (!overlaps(sibling)) continue;
        TRect r = sibling->BoundsRect();
        int inner = SaveDC(dc);
        OffsetWindowOrgEx(dc, -r.Left, -r.Top, nullptr);
        IntersectClipRect(dc, 0, 0, r.Width(), r.Height());
        TCanvas siblingCanvas(dc);
        siblingCanvas.Font = sibling->font_;
        sibling->Paint(siblingCanvas);
        RestoreDC(dc, inner);
    }
    RestoreDC(dc, saved);
}

void TControl::SetBounds(int left, int top, int width, int height) {
    // A child that stays where it is needs no window operation (each one costs a round of
    // messages and, for a transparent control, a repaint of what lies behind it). Not so
    // for a top-level window, which the user may have moved since.
    if (parent_ != nullptr && left == left_ && top == top_ && width == width_ &&
        height == height_)
        return;
    bool resized = width != width_ || height != height_;
    const TRect before = BoundsRect();
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    if (handle_ != nullptr && drawnByParent_) {
        // The window follows later; a line that changes with every file moves it once.
        if (!placementPending_) {
            placementPending_ = true;
            SetTimer(handle_, kPlacementTimer, kPlacementDelayMs, nullptr);
        }
    } else if (handle_ != nullptr) {
        UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
        // A transparent control shows what lies behind it: never reuse its old pixels.
        if (transparent_) flags |= SWP_NOCOPYBITS;
        SetWindowPos(handle_, nullptr, left, top, width, height, flags);
    }
    // Drawn by its parent: the parent repaints the old and the new place, in one go.
    if (drawnByParent_ && visible_ && parent_ != nullptr)
        parent_->InvalidateArea(before.United(BoundsRect()));
    if (resized) {
        AlignControls();
        Resized();
    }
}

void TControl::PlaceWindow() {
    if (handle_ == nullptr) return;
    if (placementPending_) KillTimer(handle_, kPlacementTimer);
    placementPending_ = false;
    UINT flags = SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS;
    if (drawnByParent_) flags |= SWP_NOREDRAW;
    SetWindowPos(handle_, nullptr, left_, top_, width_, height_, flags);
}

void TControl::SetAlign(TAlign align) {
    align_ = align;
    if (parent_ != nullptr) parent_->AlignControls();
}

void TControl::AlignControls() {
    TRect rest = ClientRect();
    for (TAlign pass :
         {TAlign::alTop, TAlign::alBottom, TAlign::alLeft, TAlign::alRight, TAlign::alClient}) {
        for (auto& child : children_) {
            if (child->align_ != pass || !child->visible_) continue;
            switch (pass) {
            case TAlign::alTop:
                child->SetBounds(rest.Left, rest.Top, rest.Width(), child->height_);
                rest.Top += child->height_;
                break;
            case TAlign::alBottom:
                child->SetBounds(rest.Left, rest.Bottom - child->height_, rest.Width(),
                                 child->height_);
                rest.Bottom -= child->height_;
                break;
            case TAlign::alLeft:
                child->SetBounds(rest.Left, rest.Top, child->width_, rest.Height());
                rest.Left += child->width_;
                break;
            case TAlign::alRight:
                child->SetBounds(rest.Right - child->width_, rest.Top, child->width_,
                                 rest.Height());
                rest.Right -= child->width_;
                break;
            default:
                child->SetBounds(rest.Left, rest.Top, rest.Width(), rest.Height());
                break;
            }
        }
    }
}

void TControl::SetVisible(bool visible) {
    if (visible == visible_) return;
    visible_ = visible;
    // Deferred children get their windows before they can be seen.
    if (visible && handle_ != nullptr && DefersChildWindows()) CreateHandle();
    if (handle_ != nullptr) ShowWindow(handle_, visible ? SW_SHOWNA : SW_HIDE);
    if (drawnByParent_ && parent_ != nullptr) parent_->InvalidateArea(BoundsRect());
    if (parent_ != nullptr && align_ != TAlign::alNone) parent_->AlignControls();
}

void TControl::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    if (handle_ != nullptr) EnableWindow(handle_, enabled ? TRUE : FALSE);
    EnabledChanged();
}

void TControl::SetCaption(const std::string& caption) {
    if (caption == caption_) return;
    caption_ = caption;
    if (handle_ != nullptr) SetWindowTextA(handle_, caption_.c_str());
    TextChanged();
}

void TControl::SetColor(TColor color) {
    parentColor_ = false;
    ApplyColor(color);
}

void TControl::ParentColorChanged(TColor color) {
    if (parentColor_) ApplyColor(color);
}

void TControl::ApplyColor(TColor color) {
    if (color == color_) return;
    color_ = color;
    for (auto& child : children_)
        child->ParentColorChanged(color);
    Invalidate();
}

void TControl::SetFont(const TFont& font) {
    parentFont_ = false;
    ApplyFont(font);
}

void TControl::ParentFontChanged(const TFont& font) {
    if (parentFont_) ApplyFont(font);
}

void TControl::ApplyFont(const TFont& font) {
    font_ = font;
    if (handle_ != nullptr)
        SendMessageA(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Handle()), FALSE);
    for (auto& child : children_)
        child->ParentFontChanged(font_);
    FontChanged();
}

void TControl::SetTransparent(bool transparent) {
    transparent_ = transparent;
    Invalidate();
}

void TControl::SetDrawnByParent(bool drawn) {
    // A control without a window is always drawn by its parent.
    if (drawn == drawnByParent_ || (!drawn && !HasWindow())) return;
    if (placementPending_) PlaceWindow();
    if (handle_ != nullptr) {
        LONG_PTR exStyle = GetWindowLongPtrA(handle_, GWL_EXSTYLE);
        exStyle = drawn ? (exStyle | WS_EX_TRANSPARENT) : (exStyle & ~LONG_PTR{WS_EX_TRANSPARENT});
        SetWindowLongPtrA(handle_, GWL_EXSTYLE, exStyle);
        InvalidateRect(handle_, nullptr, FALSE);
    }
    drawnByParent_ = drawn;
    if (parent_ != nullptr) parent_->InvalidateArea(BoundsRect());
}

void TControl::Invalidate() {
    if (drawnByParent_) {
        if (visible_ && parent_ != nullptr) parent_->InvalidateArea(BoundsRect());
        return;
    }
    if (handle_ != nullptr) InvalidateRect(handle_, nullptr, FALSE);
}

void TControl::InvalidateArea(const TRect& area) {
    if (handle_ == nullptr || area.Width() <= 0 || area.Height() <= 0) return;
    if (updating_ > 0) {
        gathered_ = gathered_.Width() <= 0 ? area : gathered_.United(area);
        return;
    }
    RECT r{area.Left, area.Top, area.Right, area.Bottom};
    InvalidateRect(handle_, &r, FALSE);
}

void TControl::EndUpdate() {
    if (updating_ == 0 || --updating_ > 0) return;
    TRect area = gathered_;
    gathered_ = {};
    InvalidateArea(area);
}

void TControl::Update() {
    if (handle_ != nullptr) UpdateWindow(handle_);
}

TControl* TControl::Root() {
    TControl* root = this;
    while (root->parent_ != nullptr)
        root = root->parent_;
    return root;
}

void TControl::Focus() {
    if (handle_ == nullptr) return;
    TControl* root = Root();
    if (root == this || GetActiveWindow() == root->handle_) {
        TakeFocus(true);
    } else {
        // SetFocus would activate the window, or fail for a hidden one. An edit field keeps
        // its selection meanwhile.
        root->ControlFocused(this);
        TakeFocus(false);
    }
}

void TControl::TakeFocus(bool now) {
    if (now) ::SetFocus(handle_);
    if (SendMessageA(handle_, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL)
        SendMessageA(handle_, EM_SETSEL, 0, -1);
}

TControl* TControl::FirstTabStop() const {
    for (const auto& child : children_) {
        if (child->handle_ == nullptr || !IsWindowVisible(child->handle_) ||
            !IsWindowEnabled(child->handle_))
            continue;
        if (child->tabStop_) return child.get();
        if (TControl* inner = child->FirstTabStop()) return inner;
    }
    return nullptr;
}

void TControl::SetAccessKey(char key) {
    if (key == accessKey_) return;
    accessKey_ = key;
    Invalidate();
}

void TControl::Click() {
    // A copy: the handler may replace OnClick (a button that swaps its own handler).
    TNotifyEvent handler = OnClick;
    if (handler) handler(this);
}

bool TControl::ParseBool(const std::string& property, const LayoutValue& value) {
    if (value.kind == LayoutValue::Identifier && (value.text == "True" || value.text == "False"))
        return value.text == "True";
    throw ELayoutError(Format("%s must be True or False", property.c_str()));
}

int TControl::ParseInt(const std::string& property, const LayoutValue& value) {
    if (value.kind != LayoutValue::Integer)
        throw ELayoutError(Format("%s must be a number", property.c_str()));
    return static_cast<int>(value.integer);
}

TColor TControl::ParseColorValue(const std::string& property, const LayoutValue& value) {
    if (value.kind == LayoutValue::Integer) return static_cast<TColor>(value.integer);
    TColor color;
    if (value.kind == LayoutValue::Identifier && ParseColor(value.text.c_str(), color))
        return color;
    throw ELayoutError(Format("%s is not a colour", property.c_str()));
}

const std::string& TControl::ParseString(const std::string& property, const LayoutValue& value) {
    if (value.kind != LayoutValue::String)
        throw ELayoutError(Format("%s must be a quoted text", property.c_str()));
    return value.text;
}

void TControl::SetProperty(const std::string& name, const LayoutValue& value) {
    if (name == "Left") {
        SetLeft(ParseInt(name, value));
    } else if (name == "Top") {
        SetTop(ParseInt(name, value));
    } else if (name == "Width") {
        SetWidth(ParseInt(name, value));
    } else if (name == "Height") {
        SetHeight(ParseInt(name, value));
    } else if (name == "Caption" || name == "Text") {
        SetCaption(ParseString(name, value));
    } else if (name == "Color") {
        SetColor(ParseColorValue(name, value));
    } else if (name == "ParentColor") {
        parentColor_ = ParseBool(name, value);
    } else if (name == "ParentFont") {
        parentFont_ = ParseBool(name, value);
    } else if (name == "Visible") {
        SetVisible(ParseBool(name, value));
    } else if (name == "Enabled") {
        SetEnabled(ParseBool(name, value));
    } else if (name == "Transparent") {
        SetTransparent(ParseBool(name, value));
    } else if (name == "TabStop") {
        SetTabStop(ParseBool(name, value));
    } else if (name == "Align") {
        static const std::pair<const char*, TAlign> kAligns[] = {
            {"alNone", TAlign::alNone},     {"alTop", TAlign::alTop},
            {"alBottom", TAlign::alBottom}, {"alLeft", TAlign::alLeft},
            {"alRight", TAlign::alRight},   {"alClient", TAlign::alClient}};
        for (const auto& [text, align] : kAligns) {
            if (value.kind == LayoutValue::Identifier && value.text == text) {
                SetAlign(align);
                return;
            }
        }
        throw ELayoutError("Align is not an alignment");
    } else if (name.rfind("Font.", 0) == 0) {
        TFont font = font_;
        std::string part = name.substr(5);
        if (part == "Name") {
            font.SetName(ParseString(name, value));
        } else if (part == "Height") {
            font.SetHeight(ParseInt(name, value));
        } else if (part == "Color") {
            font.SetColor(ParseColorValue(name, value));
        } else if (part == "Style") {
            if (value.kind != LayoutValue::Set) throw ELayoutError("Font.Style must be a set");
            int style = 0;
            for (const auto& s : value.set) {
                if (s == "fsBold")
                    style |= fsBold;
                else if (s == "fsItalic")
                    style |= fsItalic;
                else if (s == "fsUnderline")
                    style |= fsUnderline;
                else
                    throw ELayoutError(Format("Unknown font style %s", s.c_str()));
            }
            font.SetStyle(style);
        } else if (part != "Charset") {
            throw ELayoutError(Format("Unknown property %s of %s", name.c_str(), name_.c_str()));
        }
        SetFont(font);
    } else if (name == "Cursor") {
        dragCursor_ = false;
        if (value.kind == LayoutValue::Identifier && value.text == "crDefault") return;
        if (value.kind == LayoutValue::Identifier && value.text == "crHandPoint") {
            SetCursor(LoadCursorA(nullptr, IDC_HAND));
            return;
        }
        if (value.kind == LayoutValue::Identifier && value.text == "crDrag") {
            dragCursor_ = true;
            return;
        }
        throw ELayoutError(Format("Unknown cursor of %s", name_.c_str()));
    } else if (name == "AccessKey") {
        const std::string& key = ParseString(name, value);
        if (key.size() != 1) throw ELayoutError("AccessKey must be one character");
        SetAccessKey(key[0]);
    } else if (name == "Default") {
        SetDefault(ParseBool(name, value));
    } else if (name == "Cancel") {
        SetCancel(ParseBool(name, value));
    } else if (name == "TabOrder") {
        // Tab order is creation order.
    } else {
        throw ELayoutError(Format("Unknown property %s of %s", name.c_str(), name_.c_str()));
    }
}

void RegisterControlClass(const std::string& className, TControlFactory factory) {
    Factories()[className] = std::move(factory);
}

std::unique_ptr<TControl> CreateControl(const std::string& className, TControl* parent) {
    auto found = Factories().find(className);
    if (found == Factories().end())
        throw ELayoutError(Format("Unknown control class %s", className.c_str()));
    return found->second(parent);
}

} // namespace tk
