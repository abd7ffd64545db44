// The GUI layer on real windows: layouts, labels, the lower-case edit field, pages,
// transparent painting, the error path of event handlers and the message loop.
#include "tests/gui/pictures_win.h"
#include "toolkit/application.h"
#include "toolkit/forms.h"
#include "toolkit/gdi.h"
#include "toolkit/stdctrls.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <stdexcept>

namespace {

class TTestForm : public tk::TForm {
public:
    const char* ClassName() const override { return "TTestForm"; }
};

const char* kLayout = R"(object TestForm: TTestForm
  BorderStyle = bsSingle
  ClientWidth = 300
  ClientHeight = 200
  Color = clRed
  Caption = 'Toolkit test'
  Font.Name = 'Tahoma'
  Font.Height = -15
  Font.Color = clWhite
  OnCreate = FormCreate
  object Pages: TPageControl
    Align = alClient
    object Page1: TTabSheet
      TabVisible = False
      object Back: TPanel
        Left = 0
        Top = 0
        Width = 300
        Height = 100
        Color = $00FF0000
      end
      object Title: TLabel
        Left = 10
        Top = 10
        Caption = 'INSTALLING'
        Transparent = True
        Font.Style = [fsBold]
        OnClick = TitleClick
      end
      object Folder: TEdit
        Left = 10
        Top = 120
        Width = 200
        Height = 26
        CharCase = ecLowerCase
        Font.Color = clBlack
      end
    end
    object Page2: TTabSheet
      TabVisible = False
    end
  end
end
)";

struct Fixture : ::testing::Test {
    void SetUp() override {
        tk::Application().Initialize();
        tk::RegisterStandardControls();
        form = std::make_unique<TTestForm>();
        form->RegisterHandler("FormCreate", [this](tk::TControl*) { ++created; });
        form->RegisterHandler("TitleClick", [this](tk::TControl*) { ++clicks; });
        form->LoadLayoutText(kLayout);
    }
    void TearDown() override { tk::Application().OnException = nullptr; }

    std::unique_ptr<TTestForm> form;
    int created = 0;
    int clicks = 0;
};

TEST_F(Fixture, BuildsTheFormFromItsLayout) {
    EXPECT_EQ(created, 1);
    ASSERT_TRUE(form->HandleAllocated());
    RECT client;
    GetClientRect(form->Handle(), &client);
    EXPECT_EQ(client.right, 300);
    EXPECT_EQ(client.bottom, 200);
    char caption[64];
    GetWindowTextA(form->Handle(), caption, sizeof caption);
    EXPECT_STREQ(caption, "Toolkit test");

    auto* title = form->Find<tk::TLabel>("Title");
    // A label is a window whose text is its caption, sized to that text in its font.
    char text[64];
    GetWindowTextA(title->Handle(), text, sizeof text);
    EXPECT_STREQ(text, "INSTALLING");
    tk::TBitmap probe;
    probe.SetSize(1, 1);
    probe.Canvas().Font = title->Font();
    EXPECT_EQ(title->Width(), probe.Canvas().TextWidth("INSTALLING"));
    EXPECT_EQ(title->Font().Style(), tk::fsBold);
    EXPECT_EQ(title->Font().Name(), "Tahoma"); // the rest of the font comes from the form

    title->Click();
    EXPECT_EQ(clicks, 1);

    auto* pages = form->Find<tk::TPageControl>("Pages");
    auto* page1 = form->Find<tk::TTabSheet>("Page1");
    auto* page2 = form->Find<tk::TTabSheet>("Page2");
    EXPECT_TRUE(page1->Visible());
    EXPECT_FALSE(page2->Visible());
    EXPECT_EQ(page1->Width(), 300);
    EXPECT_EQ(page1->Height(), 200);
    pages->SetActivePageIndex(1);
    EXPECT_FALSE(IsWindowVisible(page1->Handle()) && page1->Visible());
    EXPECT_TRUE(page2->Visible());
}

TEST_F(Fixture, EditFieldLowerCasesWhatIsSetAndTyped) {
    auto* folder = form->Find<tk::TEdit>("Folder");
    folder->SetText("D:\\Games\\Pentaro");
    EXPECT_EQ(folder->Text(), "d:\\games\\pentaro");
    SendMessageA(folder->Handle(), EM_SETSEL, 0, -1);
    for (char c : std::string("C:\\TQ"))
        SendMessageA(folder->Handle(), WM_CHAR, c, 1);
    EXPECT_EQ(folder->Text(), "c:\\tq");
}

TEST_F(Fixture, TransparentLabelShowsTheSiblingBelowIt) {
    auto* title = form->Find<tk::TLabel>("Title");
    // A new child window goes to the bottom of the z-order, so the panel created first
    // lies above the label until it is sent to the back, as a background does.
    EXPECT_EQ(Print(title)->Pixel(0, 0), 0x000000FFu); // the page's red: the panel is not below
    HWND back = form->Find<tk::TPanel>("Back")->Handle();
    SetWindowPos(back, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    const auto picture = Print(title);
    // The top-left pixel of "INSTALLING" in Tahoma is background: the blue panel below,
    // not the page's red.
    EXPECT_EQ(picture->Pixel(0, 0), 0x00FF0000u);
    EXPECT_GT(CountOf(*picture, tk::clWhite), 20); // the text itself
}

// A transparent label at (left, top) of `page`, drawn by the page.
tk::TLabel* AddDrawnLine(tk::TControl* page, int left, int top) {
    auto* line = page->AddChild<tk::TLabel>();
    line->SetTransparent(true);
    line->SetBounds(left, top, 0, 0);
    line->SetDrawnByParent(true);
    return line;
}

// A label its parent draws shows on the screen as its own window would show it; when its
// text gets shorter, it moves or it is hidden, nothing of the old text stays behind. Its
// window stays visible with its text, for screen readers and tests.
TEST_F(Fixture, LabelDrawnByItsParentShowsAsItsWindowWould) {
    form->Find<tk::TPanel>("Back")->Hide();
    auto* page = form->Find<tk::TTabSheet>("Page1");
    tk::TLabel* line = AddDrawnLine(page, 10, 160);
    line->SetCaption("C:\\TQ\\PENTARO\\SETUP.EXE");
    form->Show();
    tk::Application().ProcessMessages();
    EXPECT_TRUE(IsWindowVisible(line->Handle()));
    char text[64] = {};
    GetWindowTextA(line->Handle(), text, sizeof text);
    EXPECT_STREQ(text, "C:\\TQ\\PENTARO\\SETUP.EXE");
    const tk::TRect longText = line->BoundsRect();
    EXPECT_GT(CountOf(*Print(line), tk::clWhite), 20); // the text itself
    EXPECT_EQ(CountDifferent(*OnScreen(page, longText), *Print(line)), 0);

    const tk::TColor red = 0x000000FF; // the page
    line->SetCaption("C:\\TQ");
    tk::Application().ProcessMessages();
    const tk::TRect shortText = line->BoundsRect();
    ASSERT_LT(shortText.Right, longText.Right);
    EXPECT_EQ(CountDifferent(*OnScreen(page, shortText), *Print(line)), 0);
    const tk::TRect rest{shortText.Right, longText.Top, longText.Right, longText.Bottom};
    EXPECT_EQ(CountOf(*OnScreen(page, rest), red), rest.Width() * rest.Height());

    line->SetLeft(100);
    tk::Application().ProcessMessages();
    EXPECT_EQ(CountOf(*OnScreen(page, shortText), red), shortText.Width() * shortText.Height());
    EXPECT_EQ(CountDifferent(*OnScreen(page, line->BoundsRect()), *Print(line)), 0);
    // The window follows the label's place and size soon after.
    Sleep(150);
    tk::Application().ProcessMessages();
    RECT window;
    GetWindowRect(line->Handle(), &window);
    MapWindowPoints(nullptr, page->Handle(), reinterpret_cast<POINT*>(&window), 2);
    EXPECT_EQ((tk::TRect{window.left, window.top, window.right, window.bottom}),
              line->BoundsRect());

    const tk::TRect shown = line->BoundsRect();
    line->Hide();
    tk::Application().ProcessMessages();
    EXPECT_EQ(CountOf(*OnScreen(page, shown), red), shown.Width() * shown.Height());
}

// Changes of the labels a control draws during an update reach the window system as one
// area at its end, and the one paint that follows shows them all.
TEST_F(Fixture, ChangesDuringAnUpdateBecomeOneArea) {
    form->Find<tk::TPanel>("Back")->Hide();
    auto* page = form->Find<tk::TTabSheet>("Page1");
    tk::TLabel* lines[] = {AddDrawnLine(page, 10, 150), AddDrawnLine(page, 50, 172)};
    form->Show();
    tk::Application().ProcessMessages();
    {
        tk::TUpdateScope update(*page);
        lines[0]->SetCaption("Files: 7");
        lines[1]->SetCaption("1,024 of 4,096 bytes");
        lines[1]->SetLeft(20);
        EXPECT_FALSE(GetUpdateRect(page->Handle(), nullptr, FALSE));
    }
    RECT r;
    ASSERT_TRUE(GetUpdateRect(page->Handle(), &r, FALSE));
    const tk::TRect a = lines[0]->BoundsRect(), b = lines[1]->BoundsRect();
    EXPECT_EQ((tk::TRect{r.left, r.top, r.right, r.bottom}),
              (tk::TRect{10, 150, std::max(a.Right, 50 + b.Width()), b.Bottom}));
    tk::Application().ProcessMessages();
    for (const tk::TLabel* line : lines)
        EXPECT_EQ(CountDifferent(*OnScreen(page, line->BoundsRect()), *Print(line)), 0);
}

// Each pixel of the key colour leaves the destination as it was, every other pixel is
// copied; a smaller bitmap after a larger one (with key pixels where the larger had none)
// takes nothing from the earlier call.
TEST(Canvas, DrawTransparentLeavesTheKeyPixelsAlone) {
    const tk::TColor key = 0x00FF00FF, blue = 0x00FF0000, green = 0x0000FF00;
    // A bitmap of one colour with a patch of another.
    auto patched = [](int w, int h, tk::TColor fill, const tk::TRect& patch, tk::TColor color) {
        auto bitmap = std::make_unique<tk::TBitmap>();
        bitmap->SetSize(w, h);
        bitmap->Canvas().Brush.Color = fill;
        bitmap->Canvas().FillRect({0, 0, w, h});
        bitmap->Canvas().Brush.Color = color;
        bitmap->Canvas().FillRect(patch);
        return bitmap;
    };
    const auto large = patched(6, 4, green, {0, 0, 2, 1}, key);
    const auto small = patched(3, 3, key, {2, 2, 3, 3}, green);
    tk::TBitmap target;
    target.SetSize(10, 10);
    for (const tk::TBitmap* source : {large.get(), small.get()}) {
        target.Canvas().Brush.Color = blue;
        target.Canvas().FillRect({0, 0, 10, 10});
        target.Canvas().DrawTransparent(1, 2, *source, key);
        for (int x = 0; x < 10; ++x) {
            for (int y = 0; y < 10; ++y) {
                bool inside = x >= 1 && x < 1 + source->Width() && y >= 2 &&
                              y < 2 + source->Height();
                tk::TColor expected = inside ? source->Pixel(x - 1, y - 2) : blue;
                if (expected == key) expected = blue;
                EXPECT_EQ(target.Pixel(x, y), expected) << x << "," << y;
            }
        }
    }
}

struct TThrower : tk::TControl {
    explicit TThrower(tk::TControl* parent) : tk::TControl(parent) {}
    const char* ClassName() const override { return "TThrower"; }
    void Paint(tk::TCanvas&) override { throw tk::Exception("Resource rs_cmd not found"); }
};

TEST_F(Fixture, ErrorsInHandlersReachOnePlaceAndTheLoopGoesOn) {
    std::string shown;
    tk::Application().OnException = [&](const std::exception& e) { shown = e.what(); };
    form->Show();
    // An error raised while a window message is handled stops at the window procedure.
    auto* thrower = form->Find<tk::TTabSheet>("Page1")->AddChild<TThrower>();
    thrower->SetBounds(0, 0, 10, 10);
    thrower->Repaint();
    EXPECT_EQ(shown, "Resource rs_cmd not found");
    shown.clear();
    PostMessageA(form->Handle(), WM_NULL, 0, 0);
    tk::Application().ProcessMessages();
    EXPECT_FALSE(tk::Application().Terminated());
}

TEST_F(Fixture, EditFieldTakesItsColoursFromTheLayout) {
    // Blue on yellow: no system colour scheme paints a field so.
    auto* folder = form->Find<tk::TEdit>("Folder");
    tk::TFont font = folder->Font();
    font.SetColor(tk::clBlue);
    folder->SetFont(font);
    folder->SetColor(tk::clYellow);
    folder->SetText("wwwwwwww");
    form->Show();
    // The field takes the focus, the form's first tab stop, with its text selected: the
    // colours asked for are those of text that is not.
    SendMessageA(folder->Handle(), EM_SETSEL, static_cast<WPARAM>(-1), 0);
    tk::Application().ProcessMessages();
    UpdateWindow(folder->Handle());
    RECT client;
    GetClientRect(folder->Handle(), &client);
    tk::TBitmap picture;
    picture.SetSize(client.right, client.bottom);
    tk::ClientDC screen(folder->Handle());
    BitBlt(picture.DC(), 0, 0, client.right, client.bottom, screen.Get(), 0, 0, SRCCOPY);
    int yellow = 0, blue = 0;
    for (int x = 0; x < picture.Width(); ++x)
        for (int y = 0; y < picture.Height(); ++y) {
            if (picture.Pixel(x, y) == tk::clYellow) ++yellow;
            if (picture.Pixel(x, y) == tk::clBlue) ++blue;
        }
    EXPECT_GT(yellow, client.right * client.bottom / 2);
    EXPECT_GT(blue, 20); // the text
}

TEST_F(Fixture, CentredOnTheScreenNotOnTheWorkArea) {
    // A tall taskbar at the bottom: the work area's centre lies 100 pixels above the screen's.
    RECT saved;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &saved, 0);
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    RECT work{0, 0, screenWidth, screenHeight - 200};
    SystemParametersInfoA(SPI_SETWORKAREA, 0, &work, 0);
    RECT now;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &now, 0);
    form->SetPosition(tk::TPosition::poScreenCenter);
    form->Show();
    RECT frame;
    GetWindowRect(form->Handle(), &frame);
    SystemParametersInfoA(SPI_SETWORKAREA, 0, &saved, 0);
    ASSERT_EQ(now.bottom, screenHeight - 200);
    EXPECT_EQ(frame.left, (screenWidth - (frame.right - frame.left)) / 2);
    EXPECT_EQ(frame.top, (screenHeight - (frame.bottom - frame.top)) / 2);
}

// Last: it ends the application's loop for good.
TEST_F(Fixture, ClosingTheMainFormEndsTheLoop) {
    bool asked = false;
    form->OnCloseQuery = [&](tk::TControl*, bool& canClose) {
        canClose = asked;
        asked = true;
    };
    tk::Application().SetMainForm(form.get());
    form->Show();
    PostMessageA(form->Handle(), WM_CLOSE, 0, 0);
    tk::Application().ProcessMessages();
    EXPECT_TRUE(form->Visible()); // the first close was refused
    PostMessageA(form->Handle(), WM_CLOSE, 0, 0);
    tk::Application().ProcessMessages();
    EXPECT_FALSE(form->Visible());
    EXPECT_TRUE(tk::Application().Terminated());
}

} // namespace
