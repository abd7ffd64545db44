#pragma once
// Controls: real windows (so that their captions are window texts that tests and
// screen readers can read) with the properties the installer's windows use. A control
// is built in two steps: its properties are set (from code or a layout), then
// CreateHandle makes its window and those of its children. Self-drawn controls paint
// into an off-screen bitmap; transparent ones first paint what lies behind them.
#include "toolkit/accessible.h"
#include "toolkit/canvas.h"
#include "toolkit/dpi.h"
#include "toolkit/layout.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tk {

class TControl;
using TNotifyEvent = std::function<void(TControl* Sender)>;

enum class TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };

class TControl {
public:
    explicit TControl(TControl* parent);
    virtual ~TControl();
    TControl(const TControl&) = delete;
    TControl& operator=(const TControl&) = delete;

    // The class name shown to the window system, also the layout's class name.
    virtual const char* ClassName() const { return "TControl"; }
    const std::string& Name() const { return name_; }
    void SetName(const std::string& name) { name_ = name; }

    TControl* Parent() const { return parent_; }
    const std::vector<std::unique_ptr<TControl>>& Children() const { return children_; }
    // Takes ownership of a new child (created with this control as its parent).
    template <typename T, typename... Args> T* AddChild(Args&&... args) {
        auto child = std::make_unique<T>(this, std::forward<Args>(args)...);
        T* raw = child.get();
        Adopt(std::move(child));
        return raw;
    }
    void Adopt(std::unique_ptr<TControl> child);
    // This control or a descendant with that name; null when there is none.
    TControl* FindControl(const std::string& name);
    // The control that owns a window of ours, or null for a foreign window.
    static TControl* FromHandle(HWND window);

    HWND Handle() const { return handle_; }
    bool HandleAllocated() const { return handle_ != nullptr; }
    // Creates this control's window (if not yet there) and then its children's (for a
    // control that defers them, once it is visible).
    void CreateHandle();

    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    TRect BoundsRect() const { return {left_, top_, left_ + width_, top_ + height_}; }
    virtual void SetBounds(int left, int top, int width, int height);
    void SetLeft(int left) { SetBounds(left, top_, width_, height_); }
    void SetTop(int top) { SetBounds(left_, top, width_, height_); }
    void SetWidth(int width) { SetBounds(left_, top_, width, height_); }
    void SetHeight(int height) { SetBounds(left_, top_, width_, height); }
    virtual int ClientWidth() const { return width_; }
    virtual int ClientHeight() const { return height_; }
    TRect ClientRect() const { return {0, 0, ClientWidth(), ClientHeight()}; }
    TAlign Align() const { return align_; }
    void SetAlign(TAlign align);

    bool Visible() const { return visible_; }
    virtual void SetVisible(bool visible);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    const std::string& Caption() const { return caption_; }
    virtual void SetCaption(const std::string& caption);
    TColor Color() const { return color_; }
    void SetColor(TColor color);
    const TFont& Font() const { return font_; }
    // Replaces the font; children that take their parent's font follow it.
    void SetFont(const TFont& font);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool transparent);
    // A control its parent draws, in the parent's own paint and picture, as a control
    // without a window would be drawn. Its window stays (screen readers, tests and the
    // layout see it as before), but it paints nothing on the screen and does not cut its
    // area out of the parent's: a change of its text, size or place invalidates the area it
    // covers on the parent, so changes of several such controls end in one paint of the
    // parent. Its window follows its bounds shortly after they change (moving a window costs
    // more than drawing a line of text), and at once when a screen reader asks for it.
    // WM_PRINTCLIENT still paints it alone.
    bool DrawnByParent() const { return drawnByParent_; }
    void SetDrawnByParent(bool drawn);
    bool TabStop() const { return tabStop_; }
    void SetTabStop(bool tabStop) { tabStop_ = tabStop; }
    // Enter and Escape in a form press the first shown and enabled control marked Default,
    // respectively Cancel (its default action), unless the focused control takes the key.
    bool Default() const { return default_; }
    void SetDefault(bool isDefault) { default_ = isDefault; }
    bool Cancel() const { return cancel_; }
    void SetCancel(bool isCancel) { cancel_ = isCancel; }
    // Gives this control the keyboard focus; an edit field's text is selected, as when Tab
    // brings the focus. While its form is not the active window, the control takes the focus
    // when the form is activated next, instead of activating it now.
    void Focus();
    // The first control inside this one, in creation order (the Tab order), that can take
    // the focus: shown, enabled and a tab stop. Null when there is none.
    TControl* FirstTabStop() const;
    // The letter that presses this control with Alt (its access key), 0 for none. Where the
    // control writes its caption, the letter is underlined while the keyboard is in use.
    char AccessKey() const { return accessKey_; }
    void SetAccessKey(char key);
    // A system cursor (IDC_ARROW, ...) or a cursor handle of our own.
    void SetCursor(HCURSOR cursor) { cursor_ = cursor; }

    // Dots per inch the control is laid out and drawn at: its form's; 96 outside a form.
    virtual int Dpi() const { return parent_ != nullptr ? parent_->Dpi() : kDesignDpi; }

    // A deferred repaint.
    void Invalidate();
    // From BeginUpdate to the matching EndUpdate, what the children this control draws
    // invalidate on it is gathered and handed to the window system as one rectangle at the
    // end (TUpdateScope below does both).
    void BeginUpdate() { ++updating_; }
    void EndUpdate();
    // Paint now whatever is invalid.
    void Update();
    void Repaint() {
        Invalidate();
        Update();
    }

    // What this control looks like, in its own client coordinates. The default fills
    // the control with its colour (nothing when transparent).
    virtual void Paint(TCanvas& canvas);
    // Paints, into a canvas whose origin is child's top-left corner, what lies behind
    // `child`: this control (with the children it draws) and the siblings below it in the
    // z-order.
    void PaintBehind(TControl* child, TCanvas& canvas);
    // Paints the whole control as WM_PAINT would, into any device context (also what
    // WM_PRINTCLIENT does, so that tests can read a control's pixels back).
    void PaintTo(HDC dc);

    TNotifyEvent OnClick;
    // Raises OnClick; the handler may replace OnClick while it runs.
    virtual void Click();

    // What screen readers are told about this control; controls fill it in when they are
    // made. With no role the system describes the window as it would any other.
    TAccessibility Accessibility;

    // Applies one layout property; raises ELayoutError for one it does not know.
    virtual void SetProperty(const std::string& name, const LayoutValue& value);

protected:
    virtual DWORD WindowStyle() const;
    virtual DWORD WindowExStyle() const { return 0; }
    // A system window class to create instead of our own (for example "EDIT").
    virtual const char* SystemClassName() const { return nullptr; }
    // Whether WM_PAINT goes through an off-screen bitmap (flicker-free) or straight
    // to the window.
    virtual bool DoubleBuffered() const { return true; }
    virtual LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT DefaultHandler(UINT message, WPARAM wParam, LPARAM lParam);
    virtual void HandleCreated() {}
    // True for a control whose children get their windows only when it is first shown
    // (a hidden page): until then they exist with their properties, but without windows.
    virtual bool DefersChildWindows() const { return false; }
    virtual void Resized() {}
    virtual void TextChanged() { Invalidate(); }
    // The form's keyboard cues (access keys underlined or not) changed.
    virtual void KeyboardCuesChanged() {}
    // A control inside this one (at any depth) received the keyboard focus.
    virtual void ControlFocused(TControl* control) {}
    // Whether this control is a window of its own (see TGraphicControl).
    virtual bool HasWindow() const { return true; }
    virtual void FontChanged() { Invalidate(); }
    virtual void EnabledChanged() { Invalidate(); }
    // Colours a system control child (an edit field) asks its parent for: sets them in `dc`
    // and returns the background brush; null lets the system choose.
    virtual HBRUSH ControlColors(HDC dc) { return nullptr; }
    // Places the children that have an alignment within the client area.
    void AlignControls();
    void DestroyHandle();
    static bool ParseBool(const std::string& property, const LayoutValue& value);
    static int ParseInt(const std::string& property, const LayoutValue& value);
    static TColor ParseColorValue(const std::string& property, const LayoutValue& value);
    static const std::string& ParseString(const std::string& property, const LayoutValue& value);

    bool parentFont_ = true;
    bool parentColor_ = true;

private:
    friend class TForm; // tells the controls of the keyboard cues, keeps the focused one

    // The control at the top of this one's tree (its form).
    TControl* Root();
    // SetFocus when `now`; an edit field's text selected either way.
    void TakeFocus(bool now);
    static LRESULT CALLBACK StaticWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    void PaintWindow();
    // Paint and then the visible children this control draws that reach into `area`
    // (except `skip`), in the control's own coordinates.
    void PaintWithDrawnChildren(TCanvas& canvas, const TRect& area, const TControl* skip);
    // PaintTo for the part `area` of the client area only (what a paint has to renew).
    void PaintArea(HDC dc, const TRect& area);
    // Invalidates `area` (in this control's client coordinates) when it has a window.
    void InvalidateArea(const TRect& area);
    // Moves the window to the control's bounds (no repaint when the parent draws it).
    void PlaceWindow();
    // Take a new font or colour and hand it on to the children that follow their parent.
    void ApplyFont(const TFont& font);
    void ApplyColor(TColor color);
    void ParentFontChanged(const TFont& font);
    void ParentColorChanged(TColor color);

    TControl* parent_;
    std::vector<std::unique_ptr<TControl>> children_;
    std::string name_;
    HWND handle_ = nullptr;
    WNDPROC systemProc_ = nullptr;
    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    TAlign align_ = TAlign::alNone;
    bool visible_ = true;
    bool enabled_ = true;
    bool transparent_ = false;
    bool drawnByParent_ = false;
    bool placementPending_ = false; // the window lags behind the bounds
    int updating_ = 0;
    TRect gathered_; // what the children it draws invalidated during an update
    bool tabStop_ = false;
    char accessKey_ = 0;
    bool default_ = false;
    bool cancel_ = false;
    std::string caption_;
    TColor color_ = clBtnFace;
    TFont font_;
    HCURSOR cursor_ = nullptr;
    bool dragCursor_ = false; // the drag pointer, drawn for the control's scale
};

// A control without a window of its own: its parent draws it in its own paint, as it draws
// the controls marked SetDrawnByParent. It takes no input and a screen reader never meets
// it: for pictures that only decorate (a background). PaintTo still paints it alone.
class TGraphicControl : public TControl {
public:
    explicit TGraphicControl(TControl* parent) : TControl(parent) { SetDrawnByParent(true); }

protected:
    bool HasWindow() const override { return false; }
};

// BeginUpdate and EndUpdate of a control for the life of a scope.
class TUpdateScope {
public:
    explicit TUpdateScope(TControl& control) : control_(control) { control_.BeginUpdate(); }
    ~TUpdateScope() { control_.EndUpdate(); }
    TUpdateScope(const TUpdateScope&) = delete;
    TUpdateScope& operator=(const TUpdateScope&) = delete;

private:
    TControl& control_;
};

// Layout class names the toolkit can build: every control class registers a factory.
using TControlFactory = std::function<std::unique_ptr<TControl>(TControl* parent)>;
void RegisterControlClass(const std::string& className, TControlFactory factory);
template <typename T> void RegisterControlClass() {
    RegisterControlClass(T(nullptr).ClassName(),
                         [](TControl* parent) { return std::make_unique<T>(parent); });
}
// Builds a control of a registered class; raises ELayoutError for an unknown one.
std::unique_ptr<TControl> CreateControl(const std::string& className, TControl* parent);

} // namespace tk
