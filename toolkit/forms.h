#pragma once
// Top-level windows. A form is built from its layout resource, creates its window
// hidden, then runs its create handler; it is shown modelessly. The layout's positions,
// sizes and font heights are pixels at 96 dpi: the form applies them scaled to the display
// it starts on, and again from the layout when the system moves it to another scale.
//
// The keyboard focus is always on a control when a form is active, never on the form itself
// (where a screen reader finds nothing to announce): activated, the form gives the focus back
// to the control that had it last, at first to its first tab stop. Its title bar shows the
// program's icon.
#include "toolkit/control.h"

#include <map>
#include <utility>
#include <vector>

namespace tk {

// The icon group of the program's resources that every form shows in its title bar, the one
// Explorer shows for the file. Where there is none, the system's default shows.
inline constexpr char kApplicationIcon[] = "MAINICON";

enum class TBorderStyle { bsSizeable, bsSingle, bsDialog, bsNone };
enum TBorderIcon { biSystemMenu = 1, biMinimize = 2, biMaximize = 4 };
enum class TPosition { poDesigned, poScreenCenter };
using TCloseQueryEvent = std::function<void(TControl* Sender, bool& CanClose)>;

class TForm : public TControl {
public:
    TForm();
    const char* ClassName() const override { return "TForm"; }

    // Builds the form from the layout resource `resourceName` (stored deflated, as
    // LoadDeflatedRcData reads it): properties, child controls and their event handlers
    // (looked up by the names registered below); then creates the windows and runs OnCreate.
    void LoadLayout(const std::string& resourceName);
    // The same from layout text (tests, galleries).
    void LoadLayoutText(const std::string& text);

    // Handlers that layouts may name: OnClick = btnSetupClick and the like.
    void RegisterHandler(const std::string& name, TNotifyEvent handler);
    void RegisterCloseQuery(const std::string& name, TCloseQueryEvent handler);
    template <typename T> T* Find(const std::string& name) {
        auto* control = dynamic_cast<T*>(FindControl(name));
        if (control == nullptr) throw ELayoutError("No control " + name + " of the expected class");
        return control;
    }

    int ClientWidth() const override;
    int ClientHeight() const override;
    void SetClientSize(int width, int height);
    void SetBorderStyle(TBorderStyle style) { borderStyle_ = style; }
    void SetBorderIcons(int icons) { borderIcons_ = icons; }
    void SetPosition(TPosition position) { position_ = position; }

    int Dpi() const override { return dpi_; }
    // Lays the form out again at `dpi`: the layout's positions, sizes and font heights
    // applied scaled, docked controls placed, then ScaleChanged, then a repaint. The
    // window keeps its place and size (WM_DPICHANGED sets them).
    void ApplyDpi(int dpi);

    void SetVisible(bool visible) override;
    // Asks OnCloseQuery; when it allows, hides the form (and ends the application when
    // this is the main form), then runs OnClose.
    void Close();
    bool CloseQuery();
    // What Enter and Escape press when the focused control does not take the key: the first
    // shown and enabled control marked Default, respectively Cancel; null when there is none.
    TControl* DefaultControl() {
        return FindPressable(this, [](const TControl& c) { return c.Default(); });
    }
    TControl* CancelControl() {
        return FindPressable(this, [](const TControl& c) { return c.Cancel(); });
    }
    // Alt with a letter: focuses and presses the first shown and enabled control whose access
    // key it is (either case). False when there is none.
    bool PressAccessKey(char key);
    // The keyboard cues hidden now (WM_QUERYUISTATE): UISF_HIDEACCEL until the user pressed
    // Alt in this window, UISF_HIDEFOCUS until Alt, Tab or an arrow key; neither where the
    // system is set to show them always. Windows keeps this state for a window; the form
    // keeps it too, as Wine does not.
    UINT HiddenCues() const;
    // The control that has the keyboard focus, or had it last while the form was active.
    TControl* ActiveControl() const;

    TNotifyEvent OnCreate;
    TNotifyEvent OnShow;
    TNotifyEvent OnClose;
    TCloseQueryEvent OnCloseQuery;

    void SetProperty(const std::string& name, const LayoutValue& value) override;

protected:
    // Runs once the layout's controls exist, before their windows are made and before
    // OnCreate: the place to bind a form's control fields by name.
    virtual void ControlsLoaded() {}
    // Runs after ApplyDpi: the place to redo what the form places or draws itself (centred
    // labels, pictures).
    virtual void ScaleChanged() {}
    DWORD WindowStyle() const override;
    DWORD WindowExStyle() const override;
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void HandleCreated() override;
    void ControlFocused(TControl* control) override;

private:
    void BuildChildren(TControl* parent, const LayoutObject& object);
    void ApplyProperties(TControl* control, const LayoutObject& object);
    void PlaceOnScreen();
    // The window's outer size for a client area of `width` x `height` at `dpi`.
    SIZE FrameSize(int width, int height, int dpi) const;
    // The client size the form has at `dpi`: a fixed-size form its layout's, a sizeable one
    // its present client size in proportion.
    SIZE ClientSizeAt(int dpi) const;
    static TControl* FindPressable(TControl* parent,
                                   const std::function<bool(const TControl&)>& marked);
    // Focuses the control that had the focus last, else the first tab stop; false when there
    // is neither.
    bool RestoreFocus();
    // Applies UIS_SET or UIS_CLEAR of UISF_HIDEACCEL and UISF_HIDEFOCUS.
    void ChangeUiState(WPARAM change);
    // The program's icon at the sizes of the title bar and of Alt+Tab at the form's scale.
    void ApplyIcon();

    std::map<std::string, TNotifyEvent> handlers_;
    std::map<std::string, TCloseQueryEvent> closeQueries_;
    TBorderStyle borderStyle_ = TBorderStyle::bsSizeable;
    int borderIcons_ = biSystemMenu | biMinimize | biMaximize;
    TPosition position_ = TPosition::poDesigned;
    int clientWidth_ = 0;
    int clientHeight_ = 0;
    bool placed_ = false;
    int dpi_ = kDesignDpi;
    HWND focused_ = nullptr;
    UINT hiddenCues_ = UISF_HIDEACCEL | UISF_HIDEFOCUS; // as far as the keyboard was not used
    // The layout the form was built from, and which control each of its objects became.
    std::unique_ptr<LayoutObject> layout_;
    std::vector<std::pair<TControl*, const LayoutObject*>> laidOut_;
};

} // namespace tk
