// The message dialogs, shown for real and answered with real key messages. Every test
// runs on both paths: the system's task dialog and our own dialog window.
#include "ui/dialogs.h"

#include "tests/win32/dialog_driver.h"
#include "toolkit/application.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using Seen = SeenDialog;

int Answer(const std::function<int()>& show, Press press, Seen& seen) {
    int result = AnswerDialog(show, press, seen);
    EXPECT_TRUE(seen.found) << "no dialog came up";
    EXPECT_TRUE(seen.closedByAnswer) << "the dialog ignored the answer";
    return result;
}

std::string ExecutableName() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string name = path;
    name = name.substr(name.find_last_of('\\') + 1);
    return name.substr(0, name.rfind('.'));
}

class Dialogs : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        // As in the installer once its main window is up: the common controls are loaded
        // for good, which under Wine changed where a task dialog opens.
        tk::EnsureCommonControls();
        UseFallbackDialogForTesting(GetParam());
    }
    void TearDown() override { UseFallbackDialogForTesting(false); }
};

const std::string warning = "First paragraph.\n\nSecond paragraph.";

} // namespace

TEST_P(Dialogs, StartupWarningAnsweredWithEnterGivesOk) {
    Seen seen;
    int result =
        Answer([] { return TaskMessageBox(nullptr, warning, "Helmstar355 Installer", 0x31); },
               Press::Enter, seen);
    EXPECT_EQ(result, drOK);
    EXPECT_EQ(seen.caption, "Helmstar355 Installer");
    EXPECT_EQ(seen.buttons, (std::vector<std::string>{"OK", "Cancel"}));
    EXPECT_EQ(seen.focused, "OK");
    EXPECT_EQ(seen.icon, LoadIconA(nullptr, IDI_WARNING));
    EXPECT_TRUE(seen.Shows(warning));
}

TEST_P(Dialogs, EscapeAndCloseBoxCancelWhereCancelIsShown) {
    Seen seen;
    EXPECT_EQ(
        Answer([] { return TaskMessageBox(nullptr, warning, "W", 0x31); }, Press::Escape, seen),
        drCancel);
    Seen closed;
    EXPECT_EQ(Answer([] { return TaskMessageBox(nullptr, "yes no cancel?", "W", 0x23); },
                     Press::CloseBox, closed),
              drCancel);
    EXPECT_EQ(closed.buttons, (std::vector<std::string>{"Yes", "No", "Cancel"}));
}

TEST_P(Dialogs, DefaultButtonFromFlagsAndNoCancelWithoutCancel) {
    // MB_YESNO | MB_DEFBUTTON2: Enter gives No; Escape and the close box do nothing.
    Seen seen;
    EXPECT_EQ(Answer([] { return TaskMessageBox(nullptr, "Really?", "Q", 0x124); },
                     Press::EscapeThenEnter, seen),
              drNo);
    EXPECT_TRUE(seen.stayedOpen);
    EXPECT_EQ(seen.focused, "No");
    Seen closed;
    EXPECT_EQ(Answer([] { return TaskMessageBox(nullptr, "Really?", "Q", 0x004); },
                     Press::CloseBoxThenEnter, closed),
              drYes);
    EXPECT_TRUE(closed.stayedOpen);
}

TEST_P(Dialogs, AskDialogIsAlwaysCancellable) {
    auto ask = [] { return AskDialog("Make a desktop shortcut?", dtWarning, dbYes | dbNo, 0); };
    Seen seen;
    EXPECT_EQ(Answer(ask, Press::Escape, seen), drCancel);
    EXPECT_EQ(seen.caption, "Warning");
    EXPECT_EQ(seen.buttons, (std::vector<std::string>{"Yes", "No"}));
    EXPECT_NE(seen.icon, nullptr);
    Seen closed;
    EXPECT_EQ(Answer(ask, Press::CloseBox, closed), drCancel);
    Seen entered;
    EXPECT_EQ(Answer(ask, Press::Enter, entered), drYes);
}

TEST_P(Dialogs, ShowInfoHasTheDefaultCaptionAndOnlyOkClosesIt) {
    Seen seen;
    EXPECT_EQ(Answer([] { return ShowInfo("Install Directory is not on a valid device."); },
                     Press::EscapeThenEnter, seen),
              drOK);
    EXPECT_TRUE(seen.stayedOpen);
    EXPECT_EQ(seen.caption, ExecutableName());
    EXPECT_EQ(seen.buttons, std::vector<std::string>{"OK"});
    EXPECT_EQ(seen.icon, LoadIconA(nullptr, IDI_INFORMATION));

    Seen closed;
    EXPECT_EQ(Answer([] { return ShowInfoCaption("", "x"); }, Press::CloseBoxThenEnter, closed),
              drOK);
    EXPECT_TRUE(closed.stayedOpen);
    EXPECT_EQ(closed.caption, ExecutableName());
}

TEST_P(Dialogs, CaptionAndFormattedText) {
    Seen seen;
    Answer([] { return ShowInfoCaption("Pentaro", "Done."); }, Press::Enter, seen);
    EXPECT_EQ(seen.caption, "Pentaro");
    Seen formatted;
    Answer([] { return ShowInfoFmt("%s was not installed.", "Pentaro"); }, Press::Enter, formatted);
    EXPECT_TRUE(formatted.Shows("Pentaro was not installed."));
    Seen custom;
    Answer([] { return AskDialog("Custom", dtCustom, dbOK, 0); }, Press::Enter, custom);
    EXPECT_EQ(custom.caption, ExecutableName());
    EXPECT_EQ(custom.icon, nullptr);
    Seen confirm;
    Answer([] { return AskDialog("Sure?", dtConfirmation, dbYes | dbNo, 0); }, Press::Enter,
           confirm);
    EXPECT_EQ(confirm.caption, "Confirm");
    EXPECT_EQ(confirm.icon, LoadIconA(nullptr, IDI_QUESTION));
    Seen error;
    Answer([] { return TaskMessageBox(nullptr, "Broken.", "E", 0x10); }, Press::Enter, error);
    EXPECT_EQ(error.icon, LoadIconA(nullptr, IDI_ERROR));
}

TEST_P(Dialogs, CentredOnTheScreenAndOwnedByTheActiveWindow) {
    HWND window = CreateWindowExA(0, "STATIC", "Main window", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10,
                                  10, 300, 200, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    SetForegroundWindow(window);
    SetActiveWindow(window);
    ASSERT_EQ(GetActiveWindow(), window);

    Seen seen;
    EXPECT_EQ(Answer([] { return ShowInfo("owned"); }, Press::Enter, seen), drOK);
    EXPECT_EQ(seen.owner, window);
    EXPECT_FALSE(seen.ownerEnabled);
    EXPECT_TRUE(IsWindowEnabled(window));
    DestroyWindow(window);

    MONITORINFO monitor;
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoA(MonitorFromRect(&seen.rect, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& work = monitor.rcWork;
    EXPECT_NEAR((seen.rect.left + seen.rect.right) / 2, (work.left + work.right) / 2, 2);
    EXPECT_NEAR((seen.rect.top + seen.rect.bottom) / 2, (work.top + work.bottom) / 2, 2);

    Seen ownerless;
    Answer([] { return ShowInfo("no owner"); }, Press::Enter, ownerless);
    EXPECT_EQ(ownerless.owner, nullptr);
}

INSTANTIATE_TEST_SUITE_P(BothPaths, Dialogs, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "OwnWindow" : "TaskDialog";
                         });
