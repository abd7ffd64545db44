// The self-drawn controls on real windows under Wine: pixels read back through
// WM_PRINTCLIENT (or from the window itself where painting at once matters), and the tool
// buttons driven by real mouse and keyboard messages.
#include "controls/appearance.h"
#include "tests/gui/keyboard_cues_win.h"
#include "tests/gui/pictures_win.h"
#include "toolkit/application.h"
#include "toolkit/forms.h"
#include "toolkit/stdctrls.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

class TControlsForm : public tk::TForm {
public:
    const char* ClassName() const override { return "TControlsForm"; }
};

// Backgrounds, panels, buttons and bars with the windows' property values.
const char* kLayout = R"(object ControlsForm: TControlsForm
  BorderStyle = bsSingle
  Left = 20
  Top = 20
  ClientWidth = 800
  ClientHeight = 600
  Color = clBlue
  Font.Name = 'Tahoma'
  Font.Height = -15
  Font.Color = clWhite
  object Page: TPanel
    Left = 0
    Top = 0
    Width = 500
    Height = 390
    object Vertical: TJvGradient
      Align = alClient
      Style = grVertical
      StartColor = clMaroon
      EndColor = clRed
      Steps = 100
    end
    object btnMain: TAdvToolButton
      Left = 102
      Top = 332
      Width = 73
      Height = 22
      Caption = 'Setup'
      Color = clRed
      ColorTo = clMaroon
      ColorHot = clMaroon
      ColorHotTo = clBlack
      ColorDown = $00D8D3D2
      ColorDownTo = clNone
      BorderColor = clNone
      BorderHotColor = clNone
      BorderDownColor = clNone
      Rounded = False
      Flat = True
      AutoThemeAdapt = False
      Font.Style = [fsBold]
      OnClick = MainClick
    end
    object btnOther: TAdvToolButton
      Left = 321
      Top = 332
      Width = 73
      Height = 22
      Caption = 'Cancel'
      Color = clRed
      ColorTo = clMaroon
      ColorHot = clMaroon
      ColorHotTo = clBlack
      ColorDown = $00D8D3D2
      ColorDownTo = clNone
      Font.Style = [fsBold]
      OnClick = OtherClick
    end
  end
  object Short: TPanel
    Left = 510
    Top = 0
    Width = 50
    Height = 50
    object Fifty: TJvGradient
      Style = grVertical
      StartColor = clMaroon
      EndColor = clRed
    end
  end
  object Small: TPanel
    Left = 570
    Top = 0
    Width = 10
    Height = 10
    object Pyramid: TJvGradient
      Style = grPyramid
      StartColor = clMaroon
      EndColor = clRed
      Steps = 1000
    end
  end
  object Strip: TAdvPanel
    Left = 600
    Top = 0
    Width = 185
    Height = 400
    BevelOuter = bvNone
    Color = $00004DFF
    ColorTo = clMaroon
    GradientDirection = gdVertical
    BorderColor = clBlack
  end
  object Upper: TAdvPanel
    Left = 0
    Top = 400
    Width = 447
    Height = 129
    BevelOuter = bvRaised
    Color = clRed
    ColorTo = clMaroon
    ColorMirrorTo = clMaroon
    BorderColor = clBlack
    object pbar: TAdvProgressBar
      Left = 8
      Top = 92
      Width = 433
      Height = 18
      Min = 0
      Max = 100
      Position = 50
      ShowBorder = True
      Rounded = True
      Font.Name = 'Verdana'
      Font.Height = -13
      Font.Color = clWindowText
    end
    object Hundred: TAdvProgressBar
      Left = 8
      Top = 40
      Width = 102
      Height = 18
      ShowPosition = False
    end
  end
  object Lower: TAdvPanel
    Left = 0
    Top = 529
    Width = 447
    Height = 41
    BevelOuter = bvRaised
    Color = clRed
    ColorTo = clMaroon
    BorderColor = clBlack
    Font.Height = -13
    Font.Style = [fsBold]
    object btnRound: TAdvToolButton
      Left = 54
      Top = 6
      Width = 114
      Height = 26
      Caption = 'Pause'
      Color = clRed
      ColorTo = clBlack
      ColorHot = clRed
      ColorHotTo = $00018CE9
      ColorDown = $00018CE9
      ColorDownTo = clRed
      Rounded = True
    end
  end
end
)";

int Red(tk::TColor c) {
    return tk::RedOf(c);
}

struct Controls : ::testing::Test {
    void SetUp() override {
        tk::Application().Initialize();
        tk::RegisterStandardControls();
        RegisterAppearanceControls();
        form = std::make_unique<TControlsForm>();
        form->RegisterHandler("MainClick", [this](tk::TControl*) { ++mainClicks; });
        form->RegisterHandler("OtherClick", [this](tk::TControl*) { ++otherClicks; });
        form->LoadLayoutText(kLayout);
    }

    template <typename T> T* Get(const char* name) { return form->Find<T>(name); }

    std::unique_ptr<TControlsForm> form;
    int mainClicks = 0;
    int otherClicks = 0;
};

TEST_F(Controls, VerticalBackgroundInBandsOf3Point9Rows) {
    auto* vertical = Get<TJvGradient>("Vertical");
    ASSERT_EQ(vertical->Height(), 390);
    auto picture = Print(vertical);
    EXPECT_EQ(picture->Pixel(0, 0), tk::clMaroon);
    EXPECT_EQ(picture->Pixel(499, 389), tk::MakeColor(254, 0, 0)); // the last visible band
    // Band i starts at row Round(i * 3.9) in red Round(128 + i * 1.27): 19.5 goes to 20 and
    // 58.5 to 58.
    EXPECT_EQ(Red(picture->Pixel(250, 19)), 133);
    EXPECT_EQ(Red(picture->Pixel(250, 20)), 134);
    EXPECT_EQ(Red(picture->Pixel(250, 57)), 146);
    EXPECT_EQ(Red(picture->Pixel(250, 58)), 147);
    EXPECT_EQ(tk::GreenOf(picture->Pixel(250, 200)), 0);
}

TEST_F(Controls, ShortBackgroundHasOnePixelBandsAndPyramidFiveSteps) {
    auto fifty = Print(Get<TJvGradient>("Fifty"));
    int previous = 0;
    for (int y = 0; y < 50; ++y) {
        int red = Red(fifty->Pixel(25, y));
        EXPECT_GT(red, previous) << y;
        previous = red;
    }
    EXPECT_EQ(Red(fifty->Pixel(0, 0)), 128);
    EXPECT_EQ(Red(fifty->Pixel(0, 49)), 252);

    auto pyramid = Print(Get<TJvGradient>("Pyramid"));
    EXPECT_EQ(pyramid->Pixel(0, 0), tk::clMaroon);
    EXPECT_EQ(pyramid->Pixel(9, 9), tk::clMaroon);
    EXPECT_EQ(pyramid->Pixel(0, 5), tk::clMaroon);
    // Five steps of 25.4 whatever Steps says; the centre is the brightest.
    const int rings[] = {128, 153, 179, 204, 230};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(Red(pyramid->Pixel(i, 5)), rings[i]) << i;
    EXPECT_EQ(Red(pyramid->Pixel(5, 5)), 230);
}

TEST_F(Controls, BackgroundPictureIsGeneratedOnlyAfterAChange) {
    auto* vertical = Get<TJvGradient>("Vertical");
    Print(vertical);
    Print(vertical);
    EXPECT_EQ(vertical->Generations(), 1);
    vertical->SetEndColor(tk::clLime);
    auto recoloured = Print(vertical);
    EXPECT_EQ(vertical->Generations(), 2);
    EXPECT_EQ(recoloured->Pixel(0, 389), tk::MakeColor(1, 252, 0));
    Get<tk::TPanel>("Page")->SetHeight(300);
    Print(vertical);
    Print(vertical);
    EXPECT_EQ(vertical->Generations(), 3);
}

TEST_F(Controls, PanelStripOf32BandsAndRaisedBevel) {
    auto strip = Print(Get<TAdvPanel>("Strip"));
    // Band n from row Round(12.5 n), in #FF4D00 + Round(n * (#800000 - #FF4D00) / 32).
    for (int n = 0; n < 32; ++n) {
        int row = tk::Round(12.5 * n);
        tk::TColor band =
            tk::MakeColor(255 + tk::Round(n * -127 / 32.0), 77 + tk::Round(n * -77 / 32.0), 0);
        EXPECT_EQ(strip->Pixel(100, row), band) << n;
    }
    // The last band starts at row 388 and is cut to 12 rows by the bottom edge.
    EXPECT_EQ(strip->Pixel(0, 399), strip->Pixel(0, 388));
    EXPECT_NE(strip->Pixel(0, 387), strip->Pixel(0, 388));

    auto lower = Print(Get<TAdvPanel>("Lower"));
    tk::TColor highlight = tk::ResolveColor(tk::clBtnHighlight);
    tk::TColor shadow = tk::ResolveColor(tk::clBtnShadow);
    ASSERT_NE(highlight, shadow);
    EXPECT_EQ(lower->Pixel(0, 0), highlight);
    EXPECT_EQ(lower->Pixel(200, 0), highlight);
    EXPECT_EQ(lower->Pixel(0, 20), highlight);
    EXPECT_EQ(lower->Pixel(446, 0), shadow);
    EXPECT_EQ(lower->Pixel(446, 20), shadow);
    EXPECT_EQ(lower->Pixel(0, 40), shadow);
    EXPECT_EQ(lower->Pixel(200, 40), shadow);
    EXPECT_EQ(Red(lower->Pixel(1, 1)), 255 + tk::Round(-127 / 32.0));
}

TEST_F(Controls, PanelRepaintedAfterANewColourOrSizeShowsTheNewGradient) {
    auto* strip = Get<TAdvPanel>("Strip");
    Print(strip);
    strip->SetColorTo(tk::clLime);
    // The last of 32 bands: #FF4D00 + Round(31 * (#00FF00 - #FF4D00) / 32).
    const tk::TColor last =
        tk::MakeColor(255 - tk::Round(31 * 255 / 32.0), 77 + tk::Round(31 * 178 / 32.0), 0);
    EXPECT_EQ(Print(strip)->Pixel(100, 399), last);
    // At half the height the last band starts at row Round(31 * 6.25) = 194.
    strip->SetHeight(200);
    auto shorter = Print(strip);
    EXPECT_EQ(shorter->Pixel(100, 194), last);
    EXPECT_NE(shorter->Pixel(100, 193), last);
}

// The pixel in the middle of the first block, where the lower half starts in the main colour.
tk::TColor FirstBlock(const tk::TControl* bar) {
    return Print(bar)->Pixel(5, 9);
}

TEST_F(Controls, ProgressLevelsFollowThePercentage) {
    auto* bar = Get<TAdvProgressBar>("pbar");
    const std::pair<int, tk::TColor> levels[] = {{69, tk::clLime},   {70, tk::clYellow},
                                                 {89, tk::clYellow}, {90, 0x0053A9FF},
                                                 {99, 0x0053A9FF},   {100, tk::clRed}};
    for (auto [position, color] : levels) {
        bar->SetPosition(position);
        EXPECT_EQ(FirstBlock(bar), color) << position;
    }
    bar->SetMax(200);
    bar->SetPosition(25);
    EXPECT_EQ(bar->Percent(), 12);
    bar->SetPosition(27);
    EXPECT_EQ(bar->Percent(), 14);
    // The block fades to the level's pale colour at its top edge.
    EXPECT_EQ(Print(bar)->Pixel(5, 2), 0x00E1FFE1u);
}

TEST_F(Controls, ProgressBlocksAndCorners) {
    auto* small = Get<TAdvProgressBar>("Hundred"); // usable length 100: Q = percent
    auto colored = [&](int q, int x) {
        small->SetPosition(q);
        return Print(small)->Pixel(x, 9) != tk::clWhite;
    };
    EXPECT_FALSE(colored(1, 2));
    EXPECT_TRUE(colored(9, 9)); // one block of 8: columns 2..9
    EXPECT_FALSE(colored(9, 10));
    EXPECT_TRUE(colored(10, 8)); // one block of 7
    EXPECT_FALSE(colored(10, 9));
    EXPECT_TRUE(colored(20, 17)); // two blocks of 7, a 2-pixel gap
    EXPECT_FALSE(colored(20, 10));
    EXPECT_FALSE(colored(20, 18));
    EXPECT_TRUE(colored(21, 21)); // and a third block, 2 wide
    EXPECT_FALSE(colored(21, 22));

    auto* bar = Get<TAdvProgressBar>("pbar");
    bar->SetPosition(100);
    auto full = Print(bar);
    // 48 blocks of 7 at a pitch of 9 up to the border; the text sits in the middle.
    for (int k = 0; k < 48; ++k) {
        int left = 2 + 9 * k;
        if (left > 180 && left < 250) continue;
        EXPECT_EQ(full->Pixel(left, 9), tk::clRed) << k;
        EXPECT_EQ(full->Pixel(left + 6, 9), tk::clRed) << k;
        if (k < 47) {
            EXPECT_EQ(full->Pixel(left + 7, 9), tk::clWhite) << k;
        }
    }
    EXPECT_EQ(full->Pixel(432, 9), tk::clGray); // the border
    EXPECT_EQ(full->Pixel(200, 0), tk::clGray);
    // The magenta corners are not copied: the panel behind the bar shows there.
    auto behind = Print(Get<TAdvPanel>("Upper"));
    EXPECT_EQ(full->Pixel(0, 0), behind->Pixel(8, 92));
    EXPECT_EQ(full->Pixel(432, 17), behind->Pixel(8 + 432, 92 + 17));
    EXPECT_NE(full->Pixel(0, 0), tk::clFuchsia);
    // "100%" in the window-text colour, centred.
    int dark = 0;
    for (int x = 190; x < 245; ++x)
        for (int y = 2; y < 16; ++y)
            if (full->Pixel(x, y) == tk::clBlack) ++dark;
    EXPECT_GT(dark, 20);
}

// At every percentage each block of the bar is the first block's picture, and the gaps
// show the bar's inside (away from the text in the middle).
TEST_F(Controls, EveryBlockLooksLikeTheFirst) {
    auto* bar = Get<TAdvProgressBar>("pbar");
    for (int percent = 1; percent <= 100; ++percent) {
        bar->SetPosition(percent);
        auto picture = Print(bar);
        int blocks = (433 - 2) * percent / 100 / 9; // whole blocks of 7 at a pitch of 9
        for (int k = 1; k < blocks; ++k) {
            int left = 2 + 9 * k;
            if (left + 9 > 180 && left < 250) continue;
            for (int x = 0; x < 9; ++x)
                for (int y = 2; y < 16; ++y)
                    ASSERT_EQ(picture->Pixel(left + x, y), picture->Pixel(2 + x, y))
                        << percent << "% block " << k << " at " << x << "," << y;
        }
    }
}

// Every block of a half-full bar shows the bands the fills of its own rectangle give,
// pixel for pixel (the bar draws one block and copies it to the others of its size).
TEST_F(Controls, EveryProgressBlockShowsItsOwnBands) {
    auto* bar = Get<TAdvProgressBar>("pbar");
    bar->SetShowPosition(false);
    bar->SetPosition(53);
    auto picture = Print(bar);
    const tk::TColor main = tk::ResolveColor(bar->LevelColor(0));
    const tk::TColor pale = tk::ResolveColor(bar->LevelColorTo(0));
    auto blocks = ProgressBlocks(bar->ClientRect(), 53, ProgressMetricsAt(bar->Dpi()));
    ASSERT_GT(blocks.size(), 20u);
    // The fills in order, a later one over an earlier one, as a canvas would take them.
    const int width = bar->ClientWidth();
    std::vector<tk::TColor> expected(static_cast<size_t>(width * bar->ClientHeight()), tk::clNone);
    for (const tk::TRect& block : blocks)
        for (const TFill& fill :
             ProgressBlockFills(block, main, pale, bar->Steps(), bar->ShowGradient()))
            for (int y = fill.Rect.Top; y < fill.Rect.Bottom; ++y)
                for (int x = fill.Rect.Left; x < fill.Rect.Right; ++x)
                    expected[static_cast<size_t>(y * width + x)] = fill.Color;
    int wrong = 0;
    for (int y = 0; y < bar->ClientHeight(); ++y)
        for (int x = 0; x < width; ++x) {
            tk::TColor want = expected[static_cast<size_t>(y * width + x)];
            if (want != tk::clNone && picture->Pixel(x, y) != want) ++wrong;
        }
    EXPECT_EQ(wrong, 0);
}

TEST_F(Controls, NewPositionIsPaintedAtOnceAndOnlyWhenItShowsSomethingNew) {
    form->Show();
    tk::Application().ProcessMessages();
    auto* bar = Get<TAdvProgressBar>("pbar");
    bar->SetPosition(95);
    EXPECT_EQ(OnScreen(bar)->Pixel(5, 9), 0x0053A9FFu); // painted synchronously
    // Above Max: Position reads Max, the picture stays, nothing is queued.
    bar->SetPosition(150);
    EXPECT_EQ(bar->Position(), 100);
    EXPECT_FALSE(GetUpdateRect(bar->Handle(), nullptr, FALSE));
    EXPECT_EQ(OnScreen(bar)->Pixel(5, 9), 0x0053A9FFu);

    bar->SetMax(100000); // step size 1000
    bar->SetPosition(0);
    ValidateRect(bar->Handle(), nullptr);
    auto scribble = [&] {
        tk::ClientDC dc(bar->Handle());
        tk::TCanvas canvas(dc.Get());
        canvas.Brush.Color = tk::clBlue;
        canvas.FillRect(bar->ClientRect());
    };
    scribble();
    bar->SetPosition(400); // same step, still 0 %
    EXPECT_EQ(OnScreen(bar)->Pixel(100, 5), tk::clBlue);
    bar->SetPosition(501); // 1 %
    EXPECT_EQ(OnScreen(bar)->Pixel(100, 5), tk::clWhite);
    scribble();
    bar->SetPosition(1000); // a multiple of the step
    EXPECT_EQ(OnScreen(bar)->Pixel(100, 5), tk::clWhite);
}

// Mouse messages as the system sends them, with the real pointer where they say it is.
struct Pointer {
    explicit Pointer(tk::TControl* control) : control(control) {}
    void MoveTo(int x, int y) {
        POINT p{x, y};
        ClientToScreen(control->Handle(), &p);
        SetCursorPos(p.x, p.y);
        // Wine moves the X pointer asynchronously: wait until the system reports it there.
        for (int i = 0; i < 500; ++i) {
            POINT now;
            GetCursorPos(&now);
            if (now.x == p.x && now.y == p.y) break;
            Sleep(2);
        }
        Send(WM_MOUSEMOVE, x, y);
        // What the move brings of itself (the system's own move, a leave).
        tk::Application().ProcessMessages();
    }
    void Down(int x, int y) { Send(WM_LBUTTONDOWN, x, y); }
    void Up(int x, int y) { Send(WM_LBUTTONUP, x, y); }
    void Send(UINT message, int x, int y) {
        WPARAM keys = message == WM_LBUTTONDOWN ? MK_LBUTTON : 0;
        if (message == WM_MOUSEMOVE && control->Handle() == GetCapture()) keys = MK_LBUTTON;
        SendMessageA(control->Handle(), message, keys, MAKELPARAM(x, y));
    }
    tk::TControl* control;
};

// Processes messages until `done` holds or a second has passed.
template <typename F> bool PumpUntil(F done) {
    for (int i = 0; i < 500 && !done(); ++i) {
        tk::Application().ProcessMessages();
        Sleep(2);
    }
    return done();
}

struct Buttons : Controls {
    void SetUp() override {
        Controls::SetUp();
        Pointer(form.get()).MoveTo(1000, 560); // away from the controls
        // The system's moves from where the last test left the pointer come in late under
        // load; they must not reach this form's buttons, so they are taken in first.
        for (int quiet = 0, i = 0; quiet < 10 && i < 250; ++i) {
            tk::Application().ProcessMessages();
            quiet = HIWORD(GetQueueStatus(QS_MOUSEMOVE)) == 0 ? quiet + 1 : 0;
            Sleep(2);
        }
        form->Show();
        tk::Application().ProcessMessages();
    }
};

const tk::TColor kPressed = tk::MakeColor(0xD2, 0xD3, 0xD8);

TEST_F(Buttons, HotPressedAndReleasedOutsideWithoutAClick) {
    auto* button = Get<TAdvToolButton>("btnMain");
    Pointer mouse(button);
    EXPECT_EQ(Print(button)->Pixel(1, 1), tk::clRed);
    auto behind = Print(Get<TJvGradient>("Vertical"))->Pixel(102, 332);
    EXPECT_EQ(Print(button)->Pixel(0, 0), behind); // the outer ring shows the background

    mouse.MoveTo(10, 10);
    EXPECT_TRUE(button->Hot());
    EXPECT_EQ(Print(button)->Pixel(1, 1), tk::clMaroon);

    mouse.Down(10, 10);
    EXPECT_EQ(button->State(), bsDown);
    auto pressed = Print(button);
    EXPECT_EQ(pressed->Pixel(1, 1), kPressed);
    EXPECT_EQ(pressed->Pixel(71, 20), kPressed);
    EXPECT_EQ(pressed->Pixel(0, 0), behind);

    mouse.MoveTo(150, 60); // dragged off: the normal look
    EXPECT_EQ(button->State(), bsUp);
    EXPECT_EQ(Print(button)->Pixel(1, 1), tk::clRed);
    mouse.Up(150, 60);
    // A late move of the system's from inside may make it hot for a moment; the leave
    // notice that follows ends that.
    PumpUntil([&] { return !button->Hot(); });
    EXPECT_EQ(mainClicks, 0);
    EXPECT_FALSE(button->Tracking());
    EXPECT_FALSE(button->Hot());
    EXPECT_EQ(Print(button)->Pixel(1, 1), tk::clRed);
}

TEST_F(Buttons, ClickWhenReleasedOverTheButton) {
    auto* button = Get<TAdvToolButton>("btnMain");
    Pointer mouse(button);
    mouse.MoveTo(10, 10);
    mouse.Down(10, 10);
    mouse.MoveTo(200, 10); // off and back again
    mouse.MoveTo(30, 12);
    EXPECT_EQ(button->State(), bsDown);
    mouse.Up(30, 12);
    EXPECT_EQ(mainClicks, 1);
    EXPECT_EQ(button->State(), bsUp);
    // The pointer is still over it (once the system's late moves from the drag are in).
    EXPECT_TRUE(PumpUntil([&] { return button->Hot(); }));
    EXPECT_EQ(GetCapture(), nullptr);
    // The rounded button: a stroked 8 x 8-rounded outline over the hot gradient.
    auto* round = Get<TAdvToolButton>("btnRound");
    Pointer other(round);
    EXPECT_EQ(Print(round)->Pixel(50, 0), Print(Get<TAdvPanel>("Lower"))->Pixel(104, 6));
    other.MoveTo(50, 10);
    auto hot = Print(round);
    EXPECT_EQ(hot->Pixel(50, 0), tk::clWhite);
    EXPECT_EQ(hot->Pixel(50, 1), tk::clRed);
    EXPECT_NE(hot->Pixel(0, 0), tk::clWhite); // outside the rounded corner
    other.Down(50, 10);
    EXPECT_EQ(Print(round)->Pixel(50, 1), 0x00018CE9u);
}

TEST_F(Buttons, DisabledButtonIsNeitherHotNorPressed) {
    auto* button = Get<TAdvToolButton>("btnMain");
    Pointer mouse(button);
    button->SetEnabled(false);
    EXPECT_EQ(button->State(), bsDisabled);
    mouse.MoveTo(10, 10);
    mouse.Down(10, 10);
    mouse.Up(10, 10);
    EXPECT_FALSE(button->Hot());
    EXPECT_EQ(mainClicks, 0);
    auto picture = Print(button);
    EXPECT_EQ(picture->Pixel(1, 1), tk::clRed);
    int shadow = 0;
    for (int x = 0; x < 73; ++x)
        for (int y = 0; y < 22; ++y)
            if (picture->Pixel(x, y) == tk::ResolveColor(tk::clBtnShadow)) ++shadow;
    EXPECT_GT(shadow, 10); // the caption, in the shadow colour
    button->SetEnabled(true);
    EXPECT_EQ(button->State(), bsUp);
    EXPECT_TRUE(button->Hot()); // enabling looks where the pointer is
}

TEST_F(Buttons, ButtonsLieAboveTheBackground) {
    // The background is its page's first child; the buttons made after it must still be
    // the windows that the screen shows and the pointer hits.
    auto* button = Get<TAdvToolButton>("btnMain");
    POINT centre{36, 11};
    ClientToScreen(button->Handle(), &centre);
    EXPECT_EQ(WindowFromPoint(centre), button->Handle());
    EXPECT_EQ(OnScreen(button)->Pixel(1, 1), tk::clRed);
    EXPECT_EQ(OnScreen(button)->Pixel(36, 2), tk::MakeColor(247, 0, 0));
}

TEST_F(Buttons, LosingTheCaptureEndsThePressWithoutAClick) {
    auto* button = Get<TAdvToolButton>("btnMain");
    Pointer mouse(button);
    mouse.MoveTo(10, 10);
    mouse.Down(10, 10);
    ASSERT_EQ(GetCapture(), button->Handle());
    SetCapture(form->Handle()); // another window takes the mouse (a dialog, a drag)
    EXPECT_FALSE(button->Tracking());
    EXPECT_EQ(button->State(), bsUp);
    ReleaseCapture();
    mouse.Up(10, 10);
    EXPECT_EQ(mainClicks, 0);
}

TEST_F(Buttons, CaptionIsTheWindowText) {
    auto* button = Get<TAdvToolButton>("btnMain");
    char text[32];
    GetWindowTextA(button->Handle(), text, sizeof text);
    EXPECT_STREQ(text, "Setup");
    button->SetCaption("Resume");
    GetWindowTextA(button->Handle(), text, sizeof text);
    EXPECT_STREQ(text, "Resume");
    EXPECT_TRUE(GetWindowLongA(button->Handle(), GWL_STYLE) & WS_TABSTOP);
}

// Keys through the application's message loop, which runs IsDialogMessage.
void Key(HWND window, UINT message, WPARAM key, LPARAM flags = 1) {
    PostMessageA(window, message, key, flags);
    tk::Application().ProcessMessages();
}

TEST_F(Buttons, SpaceAndEnterPressTheFocusedButtonAndTabMovesOn) {
    auto* button = Get<TAdvToolButton>("btnMain");
    auto* other = Get<TAdvToolButton>("btnOther");
    SetFocus(button->Handle());
    tk::Application().ProcessMessages();
    ASSERT_EQ(GetFocus(), button->Handle());

    Key(button->Handle(), WM_KEYDOWN, VK_SPACE);
    EXPECT_EQ(Print(button)->Pixel(1, 1), kPressed); // held: the pressed look
    EXPECT_EQ(mainClicks, 0);
    Key(button->Handle(), WM_KEYUP, VK_SPACE, 0xC0000001);
    EXPECT_EQ(mainClicks, 1);
    Key(button->Handle(), WM_KEYDOWN, VK_RETURN);
    EXPECT_EQ(mainClicks, 2);
    Key(button->Handle(), WM_KEYDOWN, VK_RETURN, 0x40000001); // auto-repeat
    EXPECT_EQ(mainClicks, 2);

    Key(button->Handle(), WM_KEYDOWN, VK_TAB);
    EXPECT_EQ(GetFocus(), other->Handle());
    Key(other->Handle(), WM_KEYDOWN, VK_RETURN);
    EXPECT_EQ(otherClicks, 1);
}

TEST_F(Buttons, FocusCueOnlyAfterKeyboardUse) {
    KeyboardCues windowsDefault(FALSE);
    auto* button = Get<TAdvToolButton>("btnMain");
    auto* other = Get<TAdvToolButton>("btnOther");
    Pointer mouse(button);
    auto unfocused = Print(button);
    auto otherUnfocused = Print(other);
    mouse.MoveTo(10, 10);
    mouse.Down(10, 10); // a click takes the focus, but shows no cue
    mouse.Up(10, 10);
    mouse.MoveTo(200, 60);
    // The system reports the pointer's leaving on its own, a little later.
    ASSERT_TRUE(PumpUntil([&] { return !button->Hot(); }));
    ASSERT_EQ(GetFocus(), button->Handle());
    EXPECT_EQ(CountDifferent(*Print(button), *unfocused), 0);

    Key(button->Handle(), WM_KEYDOWN, VK_TAB);
    ASSERT_EQ(GetFocus(), other->Handle());
    // The dotted focus rectangle three pixels inside the edge, and nothing else changed.
    auto cue = Print(other);
    int dotted = 0;
    for (int x = 3; x < 70; ++x)
        if (cue->Pixel(x, 3) != otherUnfocused->Pixel(x, 3)) ++dotted;
    EXPECT_GT(dotted, 20);
    EXPECT_EQ(cue->Pixel(1, 1), otherUnfocused->Pixel(1, 1));
    EXPECT_EQ(CountDifferent(*Print(button), *unfocused), 0); // the cue left with the focus
}

} // namespace
