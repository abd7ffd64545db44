// The controls gallery: one window, built from layout text like the installer's windows,
// showing every self-drawn control in every state: the main window's strip and both page
// backgrounds, its buttons normal, hot, pressed, disabled and focused, the progress window's
// panels, its rounded buttons normal, hot, pressed and disabled, and the levelled bar at each
// level. tests/gui/gallery.sh starts it under Wine and saves a screenshot for the eye.
#include "controls/appearance.h"
#include "toolkit/application.h"
#include "toolkit/forms.h"
#include "toolkit/stdctrls.h"

#include <windows.h>

#include <vector>

namespace {

class TGalleryForm : public tk::TForm {
public:
    const char* ClassName() const override { return "TGalleryForm"; }
};

// A tool button held in the state the layout names (Shows = hot, pressed, focused): it is
// brought there with the messages the pointer or keyboard would send, and then ignores
// the mouse so that the state stays for the screenshot.
class TGalleryButton : public TAdvToolButton {
public:
    explicit TGalleryButton(tk::TControl* parent) : TAdvToolButton(parent) {}
    const char* ClassName() const override { return "TGalleryButton"; }

    void SetProperty(const std::string& name, const tk::LayoutValue& value) override {
        if (name == "Shows")
            shows_ = value.text;
        else
            TAdvToolButton::SetProperty(name, value);
    }

    void Hold() {
        frozen_ = false;
        LPARAM inside = MAKELPARAM(5, 5);
        if (shows_ == "hot" || shows_ == "pressed") SendMessageA(Handle(), WM_MOUSEMOVE, 0, inside);
        if (shows_ == "pressed") SendMessageA(Handle(), WM_LBUTTONDOWN, MK_LBUTTON, inside);
        if (shows_ == "focused") SetFocus(Handle());
        frozen_ = true;
        // A button becomes hot only while no window holds the capture, so the next one
        // must not find this one's.
        if (GetCapture() == Handle()) ReleaseCapture();
    }

protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (frozen_ && ((message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) ||
                        message == WM_MOUSELEAVE || message == WM_CAPTURECHANGED))
            return 0;
        return TAdvToolButton::WndProc(message, wParam, lParam);
    }

private:
    std::string shows_;
    bool frozen_ = false;
};

#define MAIN_BUTTON                                                                                \
    "      Width = 73\n      Height = 22\n      Color = clRed\n      ColorTo = clMaroon\n"         \
    "      ColorHot = clMaroon\n      ColorHotTo = clBlack\n      ColorDown = $00D8D3D2\n"         \
    "      ColorDownTo = clNone\n      BorderColor = clNone\n      BorderHotColor = clNone\n"      \
    "      BorderDownColor = clNone\n      Rounded = False\n      Font.Name = 'Tahoma'\n"          \
    "      Font.Height = -15\n      Font.Color = clWhite\n      Font.Style = [fsBold]\n"

#define ROUND_BUTTON                                                                               \
    "      Width = 114\n      Height = 26\n      Color = clRed\n      ColorTo = clBlack\n"         \
    "      ColorHot = clRed\n      ColorHotTo = $00018CE9\n      ColorDown = $00018CE9\n"          \
    "      ColorDownTo = clRed\n      BorderColor = clNone\n      BorderHotColor = clNone\n"       \
    "      BorderDownColor = clNone\n      Rounded = True\n"

#define YELLOW_LABEL                                                                               \
    "      Transparent = True\n      Font.Color = clYellow\n      Font.Style = [fsBold]\n"

#define STRIP_LABEL                                                                                \
    "      Transparent = True\n      Font.Style = [fsBold]\n      Font.Height = -16\n"

#define PANEL_LOOK                                                                                 \
    "    BevelOuter = bvRaised\n    Color = clRed\n    ColorTo = clMaroon\n"                       \
    "    BorderColor = clBlack\n    Font.Height = -13\n    Font.Style = [fsBold]\n"

#define BAR(name, top, position)                                                                   \
    "    object " name ": TAdvProgressBar\n      Left = 8\n      Top = " top "\n"                  \
    "      Width = 433\n      Height = 18\n      Position = " position "\n"                        \
    "      Font.Name = 'Verdana'\n      Font.Height = -13\n      Font.Color = clWindowText\n"      \
    "      Font.Style = []\n    end\n"

const char* kLayout =
    "object Gallery: TGalleryForm\n"
    "  BorderStyle = bsSingle\n  BorderIcons = [biSystemMenu, biMinimize]\n"
    "  Caption = 'Controls gallery'\n  Left = 4\n  Top = 4\n"
    "  ClientWidth = 1000\n  ClientHeight = 690\n  Color = clMaroon\n"
    "  Font.Name = 'Tahoma'\n  Font.Height = -15\n  Font.Color = clWhite\n"
    // The main window: strip, welcome page (pyramid), folder page (vertical).
    "  object Strip: TAdvPanel\n    Left = 0\n    Top = 0\n    Width = 185\n    Height = 400\n"
    "    BevelOuter = bvNone\n    Color = $00004DFF\n    ColorTo = clMaroon\n"
    "    BorderColor = clBlack\n    Font.Style = [fsBold]\n    Font.Height = -16\n"
    "    object Label14: TLabel\n      Left = 42\n      Top = 165\n      Caption = "
    "'INSTALLING'\n" STRIP_LABEL "    end\n"
    "    object Label15: TLabel\n      Left = 40\n      Top = 205\n      Caption = "
    "'Corvane'#174\n" STRIP_LABEL "    end\n"
    "    object Name1: TLabel\n      Left = 60\n      Top = 253\n      Caption = "
    "'Pentaro'\n" STRIP_LABEL "    end\n"
    "    object Version1: TLabel\n      Left = 75\n      Top = 293\n      Caption = "
    "'3.24'\n" STRIP_LABEL "    end\n"
    "  end\n"
    "  object Welcome: TPanel\n    Left = 185\n    Top = 0\n    Width = 400\n    Height = 400\n"
    "    object JvGradient1: TJvGradient\n      Style = grPyramid\n      StartColor = clMaroon\n"
    "      EndColor = clRed\n      Steps = 100\n    end\n"
    "    object lbIns1: TLabel\n      Left = 70\n      Top = 13\n"
    "      Caption = 'This will install Corvane Pentaro'\n" YELLOW_LABEL "    end\n"
    "    object lbDetails: TLabel\n      Left = 20\n      Top = 252\n"
    "      Caption = 'Normal, hot, pressed, focused; disabled'\n" YELLOW_LABEL "    end\n"
    "    object btnNormal: TGalleryButton\n      Left = 20\n      Top = 300\n"
    "      Caption = 'Setup'\n" MAIN_BUTTON "    end\n"
    "    object btnHot: TGalleryButton\n      Left = 110\n      Top = 300\n"
    "      Caption = 'Hot'\n      Shows = hot\n" MAIN_BUTTON "    end\n"
    "    object btnPressed: TGalleryButton\n      Left = 200\n      Top = 300\n"
    "      Caption = 'Pressed'\n      Shows = pressed\n" MAIN_BUTTON "    end\n"
    "    object btnDisabled: TGalleryButton\n      Left = 110\n      Top = 340\n"
    "      Caption = 'Disabled'\n      Enabled = False\n" MAIN_BUTTON "    end\n"
    "    object btnFocused: TGalleryButton\n      Left = 290\n      Top = 300\n"
    "      Caption = 'Cancel'\n      Shows = focused\n" MAIN_BUTTON "    end\n"
    "  end\n"
    "  object Folder: TPanel\n    Left = 585\n    Top = 0\n    Width = 415\n    Height = 400\n"
    "    object JvGradient2: TJvGradient\n      Style = grVertical\n      StartColor = clMaroon\n"
    "      EndColor = clRed\n      Steps = 100\n    end\n"
    "    object Label10: TLabel\n      Left = 20\n      Top = 13\n      Caption = 'Install "
    "Folder:'\n"
    "      Transparent = True\n      Font.Color = clSilver\n    end\n"
    "    object edInstallDir: TEdit\n      Left = 21\n      Top = 35\n      Width = 287\n"
    "      Height = 26\n      CharCase = ecLowerCase\n      Text = 'C:\\CORVANE\\TQ'\n"
    "      Font.Color = clBlack\n    end\n"
    "    object btnBrowse: TGalleryButton\n      Left = 311\n      Top = 37\n"
    "      Caption = 'Browse'\n" MAIN_BUTTON "    end\n"
    "    object btnInstall: TGalleryButton\n      Left = 166\n      Top = 341\n"
    "      Caption = 'Install'\n" MAIN_BUTTON "    end\n"
    "    object BtnCancel2: TGalleryButton\n      Left = 300\n      Top = 341\n"
    "      Caption = 'Cancel'\n" MAIN_BUTTON "    end\n"
    "  end\n"
    // The progress window as it looks while copying.
    "  object AdvPanel1: TAdvPanel\n    Left = 0\n    Top = 410\n    Width = 447\n    Height = "
    "129\n" PANEL_LOOK
    "    object lbStage: TLabel\n      Left = 8\n      Top = 10\n      Caption = 'Installing ...'\n"
    "      Transparent = True\n    end\n"
    "    object lbProgramName: TLabel\n      Left = 192\n      Top = 41\n      Caption = "
    "'Pentaro'\n"
    "      Color = clRed\n      Font.Height = -15\n    end\n"
    "    object lbFileName: TLabel\n      Left = 10\n      Top = 75\n"
    "      Caption = 'c:\\corvane\\tq\\pentaro.exe'\n      Transparent = True\n    end\n"
    "    object lbFiles: TLabel\n      Left = 375\n      Top = 73\n      Caption = 'Files: 3'\n"
    "      Transparent = True\n    end\n" BAR(
        "pbar", "92",
        "50") "    object lbStatus: TLabel\n      Left = 150\n      Top = 113\n"
              "      Caption = '61,440 of 122,880 bytes'\n      Transparent = True\n    end\n"
              "  end\n"
              "  object AdvPanel2: TAdvPanel\n    Left = 0\n    Top = 539\n    Width = 447\n    "
              "Height = 41\n" PANEL_LOOK "    object btnPause: TGalleryButton\n      Left = 54\n   "
              "   Top = 6\n      Caption = 'Pause'\n" ROUND_BUTTON "    end\n"
              "    object btnCancel: TGalleryButton\n      Left = 267\n      Top = 6\n      "
              "Caption = 'Cancel'\n"
              "      Shows = hot\n" ROUND_BUTTON "    end\n"
              "  end\n"
              "  object AdvPanel3: TAdvPanel\n    Left = 0\n    Top = 590\n    Width = 447\n    "
              "Height = 41\n" PANEL_LOOK
              "    object btnRoundPressed: TGalleryButton\n      Left = 10\n      Top = 6\n"
              "      Caption = 'Pressed'\n      Shows = pressed\n" ROUND_BUTTON "    end\n"
              "    object btnRoundDisabled: TGalleryButton\n      Left = 160\n      Top = 6\n"
              "      Caption = 'Disabled'\n      Enabled = False\n" ROUND_BUTTON "    end\n"
              "    object btnOK: TGalleryButton\n      Left = 310\n      Top = 6\n      Caption = "
              "'OK'\n" ROUND_BUTTON "    end\n"
              "  end\n"
              // The bar at every level, from empty to full.
              "  object Levels: TAdvPanel\n    Left = 457\n    Top = 410\n    Width = 449\n    "
              "Height = 180\n" PANEL_LOOK BAR("bar0", "8", "0") BAR("bar12", "32", "12")
                  BAR("bar69", "56", "69") BAR("bar70", "80", "70") BAR("bar95", "104", "95")
                      BAR("bar99", "128", "99") BAR("bar100", "152", "100") "  end\n"
                                                                            "end\n";

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    tk::Application().Initialize();
    tk::RegisterStandardControls();
    RegisterAppearanceControls();
    tk::RegisterControlClass<TGalleryButton>();
    TGalleryForm form;
    form.LoadLayoutText(kLayout);
    tk::Application().SetMainForm(&form);
    // The pointer away from the window, so that only the buttons meant to be hot are.
    SetCursorPos(1020, 760);
    form.Show();
    tk::Application().ProcessMessages();
    // The focused one last: only one window has the focus.
    const char* const buttons[] = {"btnHot", "btnPressed", "btnCancel", "btnRoundPressed",
                                   "btnFocused"};
    for (const char* name : buttons)
        form.Find<TGalleryButton>(name)->Hold();
    tk::Application().Run();
    return 0;
}
