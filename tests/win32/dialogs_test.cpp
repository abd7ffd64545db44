// The message dialogs, shown for real and answered with real key messages: a helper
// thread waits for the dialog, records what it shows and presses Enter, Escape or the
// close box while the test thread sits in the dialog's modal loop. Every test runs on
// both paths: the system's task dialog and our own dialog window.
#include "ui/dialogs.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

enum class Press { Enter, Escape, CloseBox, EscapeThenEnter, CloseBoxThenEnter };

struct Seen {
    bool found = false;
    std::string caption;
    HWND owner = nullptr;
    bool ownerEnabled = true;
    RECT rect{};
    std::vector<std::string> buttons; // texts of the push buttons, access keys removed
    std::vector<std::string> texts;   // texts of every other child window
    bool hasIcon = false;
    HICON icon = nullptr;
    std::string focused;
    bool stayedOpen = false;    // after the first, ignored, key of a ...ThenEnter press
    bool closedByAnswer = true; // false: the dialog was still up after the answer
};

std::string WindowText(HWND window) {
    char text[2048] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string ClassOf(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

std::string WithoutAccessKeys(std::string text) {
    std::string result;
    for (char c : text)
        if (c != '&') result += c;
    return result;
}

BOOL CALLBACK FindDialogWindow(HWND window, LPARAM param) {
    if (IsWindowVisible(window) && ClassOf(window) == "#32770") {
        *reinterpret_cast<HWND*>(param) = window;
        return FALSE;
    }
    return TRUE;
}

HWND FindDialog(DWORD thread) {
    HWND found = nullptr;
    EnumThreadWindows(thread, FindDialogWindow, reinterpret_cast<LPARAM>(&found));
    return found;
}

void Record(HWND dialog, DWORD thread, Seen& seen) {
    seen.found = true;
    seen.caption = WindowText(dialog);
    seen.owner = GetWindow(dialog, GW_OWNER);
    seen.ownerEnabled = seen.owner == nullptr || IsWindowEnabled(seen.owner);
    GetWindowRect(dialog, &seen.rect);
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        if (!IsWindowVisible(child)) continue;
        LONG style = GetWindowLongA(child, GWL_STYLE);
        std::string cls = ClassOf(child);
        if (lstrcmpiA(cls.c_str(), "Button") == 0 && (style & 0x0F) <= BS_DEFPUSHBUTTON)
            seen.buttons.push_back(WithoutAccessKeys(WindowText(child)));
        else if (lstrcmpiA(cls.c_str(), "Static") == 0 && (style & SS_TYPEMASK) == SS_ICON) {
            seen.icon = reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0));
            seen.hasIcon = seen.hasIcon || seen.icon != nullptr;
        } else
            seen.texts.push_back(WindowText(child));
    }
    GUITHREADINFO info;
    info.cbSize = sizeof info;
    if (GetGUIThreadInfo(thread, &info) && info.hwndFocus != nullptr)
        seen.focused = WithoutAccessKeys(WindowText(info.hwndFocus));
}

void PostKey(HWND dialog, DWORD thread, WPARAM key) {
    GUITHREADINFO info;
    info.cbSize = sizeof info;
    HWND target = dialog;
    if (GetGUIThreadInfo(thread, &info) && info.hwndFocus != nullptr) target = info.hwndFocus;
    PostMessageA(target, WM_KEYDOWN, key, 1);
    PostMessageA(target, WM_KEYUP, key, 0xC0000001);
}

void PressOn(HWND dialog, DWORD thread, Press press) {
    switch (press) {
    case Press::Enter:
    case Press::EscapeThenEnter:
    case Press::CloseBoxThenEnter:
        PostKey(dialog, thread, VK_RETURN);
        break;
    case Press::Escape:
        PostKey(dialog, thread, VK_ESCAPE);
        break;
    case Press::CloseBox:
        PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
        break;
    }
}

// Shows a dialog with `show` and answers it with `press`; returns what `show` returned.
int Answer(const std::function<int()>& show, Press press, Seen& seen) {
    DWORD thread = GetCurrentThreadId();
    std::thread driver([&] {
        HWND dialog = nullptr;
        for (int i = 0; i < 500 && dialog == nullptr; ++i) {
            dialog = FindDialog(thread);
            if (dialog == nullptr) Sleep(20);
        }
        if (dialog == nullptr) {
            // Nothing to answer: end the modal loop, or the test would hang.
            PostThreadMessageA(thread, WM_QUIT, 0, 0);
            return;
        }
        Sleep(100); // let the dialog finish its start-up (focus, default button)
        Record(dialog, thread, seen);
        if (press == Press::EscapeThenEnter || press == Press::CloseBoxThenEnter) {
            if (press == Press::EscapeThenEnter)
                PostKey(dialog, thread, VK_ESCAPE);
            else
                PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
            Sleep(300);
            seen.stayedOpen = IsWindow(dialog) && IsWindowVisible(dialog);
        }
        PressOn(dialog, thread, press);
        for (int i = 0; i < 150 && IsWindow(dialog); ++i)
            Sleep(20);
        if (IsWindow(dialog)) {
            // The answer did not close it: end the modal loop so that the test fails
            // instead of hanging.
            seen.closedByAnswer = false;
            PostThreadMessageA(thread, WM_QUIT, 0, 0);
        }
    });
    int result = show();
    driver.join();
    EXPECT_TRUE(seen.closedByAnswer) << "the dialog ignored the answer";
    // A WM_QUIT from a failed search must not end later tests' dialogs.
    MSG message;
    while (PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    return result;
}

std::string ExecutableName() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string name = path;
    name = name.substr(name.find_last_of('\\') + 1);
    return name.substr(0, name.rfind('.'));
}

bool ShowsText(const Seen& seen, const std::string& text) {
    for (const std::string& t : seen.texts) {
        std::string plain;
        for (char c : t)
            if (c != '\r') plain += c;
        if (plain == text) return true;
    }
    return false;
}

class Dialogs : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override { UseFallbackDialogForTesting(GetParam()); }
    void TearDown() override { UseFallbackDialogForTesting(false); }
};

const std::string warning = "First paragraph.\n\nSecond paragraph.";

} // namespace

TEST_P(Dialogs, StartupWarningAnsweredWithEnterGivesOk) {
    Seen seen;
    int result =
        Answer([] { return TaskMessageBox(nullptr, warning, "Helmstar355 Installer", 0x31); },
               Press::Enter, seen);
    ASSERT_TRUE(seen.found);
    EXPECT_EQ(result, drOK);
    EXPECT_EQ(seen.caption, "Helmstar355 Installer");
    EXPECT_EQ(seen.buttons, (std::vector<std::string>{"OK", "Cancel"}));
    EXPECT_EQ(seen.focused, "OK");
    EXPECT_EQ(seen.icon, LoadIconA(nullptr, IDI_WARNING));
    EXPECT_TRUE(ShowsText(seen, warning));
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
    EXPECT_TRUE(seen.hasIcon);
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
    EXPECT_TRUE(ShowsText(formatted, "Pentaro was not installed."));
    Seen custom;
    Answer([] { return AskDialog("Custom", dtCustom, dbOK, 0); }, Press::Enter, custom);
    EXPECT_EQ(custom.caption, ExecutableName());
    EXPECT_FALSE(custom.hasIcon);
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
