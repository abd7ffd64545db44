// The progress window driven as the installation run drives it, with real messages
// posted into its queue before the call that processes them.
#include "controls/appearance.h"
#include "tests/support/screenshot_win.h"
#include "toolkit/application.h"
#include "toolkit/stdctrls.h"
#include "ui/fmiProgress.h"
#include "ui/ui_core.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

// A left click as the mouse gives it: button down and up over the button's centre.
void PostClick(tk::TControl* button) {
    LPARAM at = MAKELPARAM(button->Width() / 2, button->Height() / 2);
    PostMessageA(button->Handle(), WM_MOUSEMOVE, 0, at);
    PostMessageA(button->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(button->Handle(), WM_LBUTTONUP, 0, at);
}

// Runs `action` from the message loop after `ms` milliseconds (a thread timer).
std::function<void()> g_later;
void CALLBACK RunLater(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    auto action = std::move(g_later);
    g_later = nullptr;
    if (action) action();
}
void Later(UINT ms, std::function<void()> action) {
    g_later = std::move(action);
    SetTimer(nullptr, 0, ms, RunLater);
}

std::string WindowText(const tk::TControl* control) {
    char text[256] = {};
    GetWindowTextA(control->Handle(), text, sizeof text);
    return text;
}

int TextWidth(const tk::TFont& font, const std::string& text) {
    tk::TBitmap probe;
    probe.SetSize(1, 1);
    probe.Canvas().Font = font;
    return probe.Canvas().TextWidth(text);
}

struct ProgressWindow : ::testing::Test {
    void SetUp() override {
        form = std::make_unique<TInstProgressForm>();
        form->SetProgramName("Pentaro");
        form->SetStage("Installing ...");
        form->Show();
    }
    void TearDown() override {
        form.reset();
        tk::Application().ProcessMessages();
    }
    std::unique_ptr<TInstProgressForm> form;
};

TEST_F(ProgressWindow, LoadingStateThenCountingFiles) {
    EXPECT_EQ(WindowText(form.get()), "Installation Progress");
    EXPECT_EQ(WindowText(form->btnPause), "Pause");
    EXPECT_EQ(WindowText(form->lbStage), "Installing ...");
    EXPECT_EQ(WindowText(form->lbFiles), "Files:  0");
    EXPECT_FALSE(form->pbar->Visible());
    EXPECT_FALSE(form->lbFileName->Visible());
    EXPECT_FALSE(form->lbStatus->Visible());
    EXPECT_EQ(WindowText(form->lbStatus), "0 of 0 bytes");
    // The heading is centred in its panel, rounded toward zero.
    int panel = form->AdvPanel1->Width();
    EXPECT_EQ(panel, 447);
    EXPECT_EQ(form->lbProgramName->Width(), TextWidth(form->lbProgramName->Font(), "Pentaro"));
    EXPECT_EQ(form->lbProgramName->Left(), (panel - form->lbProgramName->Width()) / 2);

    form->SetTotalBytes(445634);
    EXPECT_TRUE(form->pbar->Visible());
    EXPECT_EQ(form->pbar->Max(), 445634);
    form->SetCurrentFile("c:\\tq\\tarnw.exe");
    EXPECT_EQ(WindowText(form->lbFiles), "Files: 1");
    EXPECT_EQ(WindowText(form->lbFileName), "c:\\tq\\tarnw.exe");
    // The counter's right edge lies the width of "##" from the panel's right edge.
    int hashes = TextWidth(form->lbFiles->Font(), "##");
    EXPECT_EQ(form->lbFiles->Left() + form->lbFiles->Width(), panel - hashes);
    form->SetBytesDone(10442);
    EXPECT_EQ(WindowText(form->lbStatus), BytesDoneText(10442, 445634, ThousandSeparator()));
    EXPECT_EQ(form->lbStatus->Left(), (panel - form->lbStatus->Width()) / 2);
    form->SetCurrentFile("c:\\tq\\pentaro.exe");
    EXPECT_EQ(WindowText(form->lbFiles), "Files: 2");

    // A second copying phase counts from the start again.
    form->SetTotalBytes(100);
    EXPECT_EQ(form->FileCount, 0);
    form->SetCurrentFile("c:\\tq\\tarnw.exe");
    EXPECT_EQ(WindowText(form->lbFiles), "Files: 1");
}

TEST_F(ProgressWindow, TheSameByteCountTwiceProcessesNoMessages) {
    form->SetTotalBytes(1000);
    form->SetBytesDone(500);
    PostMessageA(form->Handle(), WM_NULL, 0, 0);
    form->SetBytesDone(500);
    MSG msg;
    EXPECT_TRUE(PeekMessageA(&msg, form->Handle(), WM_NULL, WM_NULL, PM_NOREMOVE));
    form->SetBytesDone(600);
    EXPECT_FALSE(PeekMessageA(&msg, form->Handle(), WM_NULL, WM_NULL, PM_NOREMOVE));
}

TEST_F(ProgressWindow, PauseHoldsTheRunUntilTheSecondClick) {
    form->SetTotalBytes(1000);
    bool heldPaused = false;
    std::string captionWhilePaused;
    PostClick(form->btnPause);
    Later(200, [&] {
        heldPaused = form->Paused;
        captionWhilePaused = WindowText(form->btnPause);
        PostClick(form->btnPause);
    });
    form->SetBytesDone(100); // returns only when the pause has ended
    EXPECT_TRUE(heldPaused);
    EXPECT_EQ(captionWhilePaused, "Resume");
    EXPECT_FALSE(form->Paused);
    EXPECT_FALSE(form->Cancelled);
    EXPECT_EQ(WindowText(form->btnPause), "Pause");

    // The button's click handler is the pause handler again: a new click pauses anew.
    PostClick(form->btnPause);
    Later(100, [&] { PostClick(form->btnCancel); });
    form->SetBytesDone(200);
    // Pause, then Cancel: the pause has ended and the run sees the cancel flag.
    EXPECT_FALSE(form->Paused);
    EXPECT_TRUE(form->Cancelled);
    EXPECT_EQ(WindowText(form->btnPause), "Pause");
}

TEST_F(ProgressWindow, TheCloseBoxWhileCopyingHidesAndCancels) {
    form->SetTotalBytes(1000);
    PostMessageA(form->Handle(), WM_CLOSE, 0, 0);
    form->SetBytesDone(100);
    EXPECT_TRUE(form->Cancelled);
    EXPECT_FALSE(IsWindowVisible(form->Handle()));
    EXPECT_TRUE(IsWindow(form->Handle())); // hidden, not destroyed
}

TEST_F(ProgressWindow, AfterCancelTheCloseBoxNoLongerCloses) {
    form->SetTotalBytes(1000);
    PostClick(form->btnCancel);
    form->SetBytesDone(100);
    ASSERT_TRUE(form->Cancelled);
    PostMessageA(form->Handle(), WM_CLOSE, 0, 0);
    form->SetBytesDone(200);
    EXPECT_TRUE(IsWindowVisible(form->Handle()));
    EXPECT_TRUE(form->Cancelled);
}

TEST_F(ProgressWindow, ShowSuccessWaitsForOkAndKeepsTheCancelFlag) {
    form->SetTotalBytes(10);
    form->SetCurrentFile("c:\\tq\\readme.txt");
    form->SetBytesDone(10);
    Later(100, [&] { PostClick(form->btnCancel); });
    form->ShowSuccess();
    EXPECT_FALSE(form->Cancelled); // OK does not count as a cancel
    EXPECT_FALSE(form->btnPause->Visible());
    EXPECT_FALSE(form->lbFileName->Visible());
    EXPECT_EQ(WindowText(form->btnCancel), "OK");
    EXPECT_EQ(WindowText(form->lbStage), "Installation Successful.");
    EXPECT_EQ(form->btnCancel->Left(), (form->AdvPanel2->Width() - form->btnCancel->Width()) / 2);
}

TEST_F(ProgressWindow, TheCloseBoxEndsTheFinalWaitLikeOk) {
    form->SetTotalBytes(10);
    form->SetBytesDone(10);
    Later(100, [&] { PostMessageA(form->Handle(), WM_CLOSE, 0, 0); });
    form->ShowSuccess();
    EXPECT_FALSE(form->Cancelled);
}

TEST_F(ProgressWindow, ShowSuccessAfterCancelReturnsAtOnce) {
    form->SetTotalBytes(10);
    form->SetCancelled(true);
    form->ShowSuccess();
    EXPECT_TRUE(form->Cancelled);
}

TEST_F(ProgressWindow, APausedWindowUsesNoProcessorTime) {
    form->SetTotalBytes(1000);
    FILETIME created, exited, kernelBefore, userBefore, kernelAfter, userAfter;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernelBefore, &userBefore);
    DWORD start = GetTickCount();
    PostClick(form->btnPause);
    Later(1000, [&] { PostClick(form->btnPause); });
    form->SetBytesDone(100);
    DWORD elapsed = GetTickCount() - start;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernelAfter, &userAfter);
    auto ticks = [](FILETIME t) { return (ULONGLONG(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
    double cpuMs =
        double(ticks(kernelAfter) - ticks(kernelBefore) + ticks(userAfter) - ticks(userBefore)) /
        10000.0;
    EXPECT_GE(elapsed, 900u);
    // A spinning loop would use the whole second.
    EXPECT_LT(cpuMs, 150.0) << "processor time while paused: " << cpuMs << " ms";
}

TEST(ThousandSeparator, FollowsTheLocale) {
    // English (United States) and German (Germany) group digits differently.
    EXPECT_EQ(BytesDoneText(1234567, 7654321, ThousandSeparator(0x0409)),
              "1,234,567 of 7,654,321 bytes");
    EXPECT_EQ(BytesDoneText(1234567, 7654321, ThousandSeparator(0x0407)),
              "1.234.567 of 7.654.321 bytes");
}

TEST_F(ProgressWindow, Screenshots) {
    form->SetTotalBytes(1000);
    form->SetCurrentFile("c:\\tq\\pentaro1.kdb");
    form->SetBytesDone(750); // 75 %: yellow
    EXPECT_EQ(form->pbar->Percent(), 75);
    tk::Application().ProcessMessages();
    Sleep(200);
    tk::Application().ProcessMessages();
    SaveWindowScreenshot(form->Handle(), "progress-copying");
    form->SetBytesDone(1000);
    Later(300, [&] {
        SaveWindowScreenshot(form->Handle(), "progress-finished");
        PostClick(form->btnCancel);
    });
    form->ShowSuccess();
}

} // namespace
