// Both windows and the message dialogs at the display scale of the Wine prefix this test
// runs in (dpi.sh sets it: 120, 144 or 192 dpi). Sizes, text, gradients and the progress
// bar's text are read back from the real windows.
#include "controls/appearance.h"
#include "tests/support/screenshot_win.h"
#include "toolkit/application.h"
#include "toolkit/dpi_win.h"
#include "toolkit/stdctrls.h"
#include "ui/dialogs.h"
#include "ui/fmMain.h"
#include "ui/fmiProgress.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

int Dpi() {
    return tk::SystemDpi();
}

std::string Shot(const std::string& name) {
    return "dpi" + std::to_string(Dpi()) + "-" + name;
}

void Settle(tk::TForm& form) {
    tk::Application().ProcessMessages();
    UpdateWindow(form.Handle());
    RedrawWindow(form.Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    Sleep(100);
    tk::Application().ProcessMessages();
}

SIZE ClientSize(HWND window) {
    RECT r;
    GetClientRect(window, &r);
    return {r.right, r.bottom};
}

// The pixels a control paints (as WM_PRINTCLIENT gives them).
std::unique_ptr<tk::TBitmap> Print(tk::TControl* control) {
    auto picture = std::make_unique<tk::TBitmap>();
    picture->SetSize(control->Width(), control->Height());
    control->PaintTo(picture->DC());
    return picture;
}

// The colours down column `x`, one entry per run of equal pixels.
std::vector<std::pair<tk::TColor, int>> Runs(const tk::TBitmap& picture, int x, int from, int to) {
    std::vector<std::pair<tk::TColor, int>> runs;
    for (int y = from; y < to; ++y) {
        tk::TColor c = picture.Pixel(x, y);
        if (runs.empty() || runs.back().first != c)
            runs.emplace_back(c, 1);
        else
            ++runs.back().second;
    }
    return runs;
}

template <typename T> void Collect(tk::TControl* root, std::vector<T*>& found) {
    for (const auto& child : root->Children()) {
        if (auto* control = dynamic_cast<T*>(child.get())) found.push_back(control);
        Collect(child.get(), found);
    }
}

SIZE TextSize(HFONT font, const std::string& text) {
    tk::ClientDC screen(nullptr);
    tk::ScopedSelect select(screen.Get(), font);
    RECT r{0, 0, 0, 0};
    DrawTextA(screen.Get(), text.c_str(), static_cast<int>(text.size()), &r,
              DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    return {r.right, r.bottom};
}

bool Showing(const tk::TControl* control) {
    return control->HandleAllocated() && IsWindowVisible(control->Handle());
}

// Every label that shows has its whole text inside its parent, every button its caption
// inside the face it paints (the outer ring and one more pixel stay free), the edit field a
// whole line.
void ExpectNoTextClipped(tk::TForm& form) {
    std::vector<tk::TLabel*> labels;
    Collect(&form, labels);
    for (tk::TLabel* label : labels) {
        if (label->Caption().empty() || !Showing(label)) continue;
        SIZE text = TextSize(label->Font().Handle(), label->Caption());
        EXPECT_GE(label->Width(), text.cx) << label->Name();
        EXPECT_GE(label->Height(), text.cy) << label->Name();
        EXPECT_GE(label->Left(), 0) << label->Name();
        EXPECT_LE(label->Left() + label->Width(), label->Parent()->ClientWidth()) << label->Name();
        EXPECT_LE(label->Top() + label->Height(), label->Parent()->ClientHeight()) << label->Name();
    }
    std::vector<TAdvToolButton*> buttons;
    Collect(&form, buttons);
    for (TAdvToolButton* button : buttons) {
        if (!Showing(button)) continue;
        SIZE text = TextSize(button->Font().Handle(), button->Caption());
        EXPECT_LE(text.cx, button->Width() - 4) << button->Name();
        EXPECT_LE(text.cy, button->Height() - 4) << button->Name();
        EXPECT_LE(button->Left() + button->Width(), button->Parent()->ClientWidth())
            << button->Name();
    }
    std::vector<tk::TEdit*> edits;
    Collect(&form, edits);
    for (tk::TEdit* edit : edits) {
        SIZE text = TextSize(edit->Font().Handle(), edit->Text());
        EXPECT_LE(text.cy, ClientSize(edit->Handle()).cy) << edit->Name();
    }
}

TEST(MainWindowAtScale, SizesTextAndGradients) {
    const int dpi = Dpi();
    ASSERT_NE(dpi, 96) << "dpi.sh sets the prefix's scale";
    tMainForm form("c:\\tq", [](const std::string&) { return false; });
    form.Show();
    Settle(form);
    SIZE client = ClientSize(form.Handle());
    EXPECT_EQ(client.cx, tk::Scale(685, dpi));
    EXPECT_EQ(client.cy, tk::Scale(400, dpi));
    EXPECT_EQ(form.AdvPanel1->Width(), tk::Scale(185, dpi));
    EXPECT_EQ(form.Image1->Width(), tk::Scale(105, dpi));
    EXPECT_EQ(form.btnSetup->BoundsRect(), (tk::TRect{tk::Scale(102, dpi), tk::Scale(332, dpi),
                                                      tk::Scale(102, dpi) + tk::Scale(73, dpi),
                                                      tk::Scale(332, dpi) + tk::Scale(22, dpi)}));
    ExpectNoTextClipped(form);

    // The strip: 32 bands from #FF4D00 down to #800000 over the whole scaled height, each
    // height / 32 pixels high, the last band 31 steps of (#800000 - #FF4D00) / 32 on.
    {
        auto strip = Print(form.AdvPanel1);
        int height = form.AdvPanel1->Height();
        auto runs = Runs(*strip, strip->Width() / 2, 0, height);
        ASSERT_EQ(runs.size(), 32u);
        EXPECT_EQ(runs.front().first, tk::MakeColor(0xFF, 0x4D, 0x00));
        EXPECT_EQ(runs.back().first, tk::MakeColor(0x84, 0x02, 0x00));
        for (const auto& run : runs) {
            EXPECT_GE(run.second, height / 32) << run.first;
            EXPECT_LE(run.second, height / 32 + 1) << run.first;
        }
    }
    SaveWindowScreenshot(form.Handle(), Shot("main-welcome"));

    // The strip's drag pointer is drawn at the scale, not the 32-pixel one stretched.
    SendMessageA(form.AdvPanel1->Handle(), WM_SETCURSOR,
                 reinterpret_cast<WPARAM>(form.AdvPanel1->Handle()),
                 MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    ICONINFO cursor{};
    ASSERT_TRUE(GetIconInfo(GetCursor(), &cursor));
    BITMAP mask{};
    GetObjectA(cursor.hbmMask, sizeof mask, &mask);
    EXPECT_EQ(mask.bmWidth, tk::Scale(32, dpi));
    DeleteObject(cursor.hbmMask);
    if (cursor.hbmColor != nullptr) DeleteObject(cursor.hbmColor);

    form.btnSetupClick(nullptr);
    Settle(form);
    ExpectNoTextClipped(form);
    // The folder page's background: 100 bands of 1.27 red each from #800000; the last one
    // that shows is red 254.
    {
        TJvGradient* gradient = form.Find<TJvGradient>("JvGradient2");
        auto picture = Print(gradient);
        auto runs = Runs(*picture, picture->Width() / 2, 0, picture->Height());
        EXPECT_EQ(runs.size(), 100u);
        EXPECT_EQ(runs.front().first, tk::MakeColor(0x80, 0, 0));
        EXPECT_EQ(runs.back().first, tk::MakeColor(254, 0, 0));
    }
    SaveWindowScreenshot(form.Handle(), Shot("main-folder"));
}

TEST(MainWindowAtScale, DpiChangedLaysTheWindowOutAgain) {
    const int dpi = Dpi();
    const int next = dpi == 192 ? 120 : 192;
    tMainForm form("c:\\tq", [](const std::string&) { return false; });
    form.Show();
    Settle(form);
    RECT before;
    GetWindowRect(form.Handle(), &before);
    // What the system suggests: the window in proportion, its top-left corner kept.
    RECT suggested{before.left, before.top,
                   before.left + MulDiv(before.right - before.left, next, dpi),
                   before.top + MulDiv(before.bottom - before.top, next, dpi)};
    SendMessageA(form.Handle(), WM_DPICHANGED, MAKEWPARAM(next, next),
                 reinterpret_cast<LPARAM>(&suggested));
    Settle(form);
    RECT after;
    GetWindowRect(form.Handle(), &after);
    EXPECT_EQ(after.left, suggested.left);
    EXPECT_EQ(after.right, suggested.right);
    EXPECT_EQ(after.bottom, suggested.bottom);
    EXPECT_EQ(form.Dpi(), next);
    EXPECT_EQ(form.AdvPanel1->Width(), tk::Scale(185, next));
    EXPECT_EQ(form.Image1->BoundsRect(), (tk::TRect{tk::Scale(38, next), tk::Scale(19, next),
                                                    tk::Scale(38, next) + tk::Scale(105, next),
                                                    tk::Scale(19, next) + tk::Scale(105, next)}));
    EXPECT_EQ(form.Image1->Picture().Width(), tk::Scale(105, next)); // the logo drawn anew
    EXPECT_EQ(form.btnCancel->Top(), tk::Scale(332, next));
    EXPECT_EQ(form.btnCancel->Font().Height(), -15 * next / 96);
    // Labels measured in the new font and centred again.
    EXPECT_EQ(form.lbIns1->Left(), (form.TabSheet1->Width() - form.lbIns1->Width()) / 2);
    EXPECT_EQ(form.lbP1Progname->Left(),
              (form.AdvPanel1->Width() - form.lbP1Progname->Width()) / 2);
    ExpectNoTextClipped(form);
    SaveWindowScreenshot(form.Handle(), Shot("main-after-dpichanged-" + std::to_string(next)));
}

// An action run from the message loop a moment later (a thread timer).
std::function<void()>* pendingAction = nullptr;
void CALLBACK RunPendingAction(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    if (pendingAction != nullptr) std::exchange(pendingAction, nullptr)->operator()();
}

TEST(ProgressWindowAtScale, SizesTextAndCentredPercentage) {
    const int dpi = Dpi();
    TInstProgressForm form;
    form.SetProgramName("Pentaro");
    form.SetStage("Installing ...");
    form.Show();
    form.SetTotalBytes(1000);
    form.SetCurrentFile("c:\\tq\\pentaro1.kdb");
    form.SetBytesDone(500);
    Settle(form);
    SIZE client = ClientSize(form.Handle());
    EXPECT_EQ(client.cx, tk::Scale(447, dpi));
    EXPECT_EQ(client.cy, tk::Scale(170, dpi));
    EXPECT_EQ(form.pbar->Width(), tk::Scale(433, dpi));
    ExpectNoTextClipped(form);

    // "50%" in the bar's font: its dark pixels centred on the bar, and as tall as a
    // scaled font's digits.
    auto bar = Print(form.pbar);
    int left = bar->Width(), right = -1, top = bar->Height(), bottom = -1;
    for (int y = 0; y < bar->Height(); ++y) {
        for (int x = 0; x < bar->Width(); ++x) {
            tk::TColor c = bar->Pixel(x, y);
            if (tk::RedOf(c) + tk::GreenOf(c) + tk::BlueOf(c) >= 150) continue;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
    }
    ASSERT_GE(right, left) << "no text in the bar";
    int tolerance = tk::Scale(2, dpi) + 1;
    EXPECT_NEAR((left + right + 1) / 2.0, bar->Width() / 2.0, tolerance);
    EXPECT_NEAR((top + bottom + 1) / 2.0, bar->Height() / 2.0, tolerance);
    EXPECT_GE(bottom - top + 1, tk::Scale(13, dpi) / 2);
    SaveWindowScreenshot(form.Handle(), Shot("progress-copying"));

    // Under the pointer a rounded button strokes its ring with a pen as wide as one 96-dpi
    // pixel scaled: white across that width at the middle of the top edge, then the face.
    SendMessageA(form.btnPause->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(10, 10));
    ASSERT_TRUE(form.btnPause->Hot());
    auto hot = Print(form.btnPause);
    int middle = form.btnPause->Width() / 2, pen = tk::Scale(1, dpi);
    for (int y = 0; y < pen; ++y)
        EXPECT_EQ(hot->Pixel(middle, y), tk::clWhite) << y;
    EXPECT_NE(hot->Pixel(middle, pen), tk::clWhite);
    SendMessageA(form.btnPause->Handle(), WM_MOUSELEAVE, 0, 0);

    form.SetBytesDone(1000);
    bool seen = false;
    std::function<void()> finish = [&] {
        seen = true;
        ExpectNoTextClipped(form);
        EXPECT_EQ(form.btnCancel->Left(), (form.AdvPanel2->Width() - form.btnCancel->Width()) / 2);
        SaveWindowScreenshot(form.Handle(), Shot("progress-finished"));
        form.btnCancelClick(nullptr);
    };
    pendingAction = &finish;
    SetTimer(nullptr, 0, 300, RunPendingAction);
    form.ShowSuccess();
    EXPECT_TRUE(seen);
}

// Finds the dialog that the thread's modal loop shows, saves its picture, checks that its
// buttons show their captions whole and presses OK.
struct DialogVisit {
    std::string name;
    bool seen = false;
};
DialogVisit* visit = nullptr;

BOOL CALLBACK FindDialog(HWND window, LPARAM found) {
    char cls[32] = {};
    GetClassNameA(window, cls, sizeof cls);
    if (IsWindowVisible(window) && std::string(cls) == "#32770") {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

void CALLBACK VisitDialog(HWND, UINT, UINT_PTR id, DWORD) {
    HWND dialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindDialog, reinterpret_cast<LPARAM>(&dialog));
    if (dialog == nullptr || visit == nullptr) return;
    KillTimer(nullptr, id);
    visit->seen = true;
    SaveWindowScreenshot(dialog, Shot(visit->name));
    HWND ok = nullptr;
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        char cls[32] = {}, text[64] = {};
        GetClassNameA(child, cls, sizeof cls);
        GetWindowTextA(child, text, sizeof text);
        if (lstrcmpiA(cls, "Button") != 0) continue;
        auto font = reinterpret_cast<HFONT>(SendMessageA(child, WM_GETFONT, 0, 0));
        SIZE caption = TextSize(font, text);
        SIZE face = ClientSize(child);
        EXPECT_LE(caption.cx, face.cx - 4) << visit->name << " " << text;
        EXPECT_LE(caption.cy, face.cy - 4) << visit->name << " " << text;
        if (std::string(text) == "OK") ok = child;
    }
    if (ok != nullptr)
        PostMessageA(ok, BM_CLICK, 0, 0);
    else
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
}

void ShowAndVisit(const std::string& name) {
    DialogVisit v{name};
    visit = &v;
    SetTimer(nullptr, 0, 300, VisitDialog);
    ShowInfo("Install Directory is not on a valid device.");
    visit = nullptr;
    EXPECT_TRUE(v.seen) << name;
}

TEST(DialogsAtScale, TaskDialogAndOurOwn) {
    ShowAndVisit("dialog");
    UseFallbackDialogForTesting(true);
    ShowAndVisit("fallback-dialog");
    UseFallbackDialogForTesting(false);
}

} // namespace
