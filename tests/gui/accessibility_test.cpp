// The installer's windows as a screen reader and a keyboard-only user meet them: accessible
// objects asked through oleacc as a screen reader asks (AccessibleObjectFromWindow on the real
// windows), the object with the keyboard focus (GetGUIThreadInfo), the events a reader
// listens to, and Enter, Escape, Tab and Alt through the message loop.
#include "controls/appearance.h"
#include "tests/gui/keyboard_cues_win.h"
#include "tests/gui/pictures_win.h"
#include "tests/win32/dialog_driver.h"
#include "toolkit/application.h"
#include "toolkit/stdctrls.h"
#include "ui/fmMain.h"
#include "ui/fmiProgress.h"

#include <gtest/gtest.h>

#include <oleacc.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

VARIANT Self() {
    VARIANT self;
    VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    return self;
}

std::string Narrow(BSTR text) {
    if (text == nullptr) return std::string();
    int length = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<size_t>(length > 0 ? length - 1 : 0), '\0');
    WideCharToMultiByte(CP_ACP, 0, text, -1, result.data(), length, nullptr, nullptr);
    SysFreeString(text);
    return result;
}

// The client-area object of a window, as a screen reader gets it.
class Accessible {
public:
    explicit Accessible(HWND window) {
        if (window != nullptr)
            AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT),
                                       __uuidof(IAccessible), reinterpret_cast<void**>(&object_));
    }
    explicit Accessible(const tk::TControl* control) : Accessible(control->Handle()) {}
    ~Accessible() {
        if (object_ != nullptr) object_->Release();
    }
    Accessible(const Accessible&) = delete;
    Accessible& operator=(const Accessible&) = delete;

    bool Valid() const { return object_ != nullptr; }
    long Role() const { return Number(&IAccessible::get_accRole); }
    long State() const { return Number(&IAccessible::get_accState); }
    std::string Name() const { return Text(&IAccessible::get_accName); }
    std::string Value() const { return Text(&IAccessible::get_accValue); }
    std::string DefaultAction() const { return Text(&IAccessible::get_accDefaultAction); }
    std::string Shortcut() const { return Text(&IAccessible::get_accKeyboardShortcut); }
    HRESULT DoDefaultAction() const { return object_->accDoDefaultAction(Self()); }
    // Left, top, width and height on the screen.
    std::vector<long> Location() const {
        long l = 0, t = 0, w = 0, h = 0;
        if (object_ == nullptr || FAILED(object_->accLocation(&l, &t, &w, &h, Self()))) return {};
        return {l, t, w, h};
    }

private:
    long Number(HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, VARIANT*)) const {
        VARIANT result;
        VariantInit(&result);
        if (object_ == nullptr || FAILED((object_->*get)(Self(), &result)) || result.vt != VT_I4)
            return -1;
        return result.lVal;
    }
    std::string Text(HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, BSTR*)) const {
        BSTR text = nullptr;
        if (object_ == nullptr || FAILED((object_->*get)(Self(), &text))) return "(none)";
        return Narrow(text);
    }

    IAccessible* object_ = nullptr;
};

// What a screen reader announces when the keyboard focus moves: the role and name of the
// object of the window with the focus.
struct Announced {
    long role;
    std::string name;
    bool operator==(const Announced& other) const {
        return role == other.role && name == other.name;
    }
};
void PrintTo(const Announced& a, std::ostream* out) {
    *out << "role " << a.role << " \"" << a.name << "\"";
}
Announced FocusedObject() {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetCurrentThreadId(), &info);
    Accessible focused(info.hwndFocus);
    return {focused.Role(), focused.Name()};
}
const Announced kSetup{ROLE_SYSTEM_PUSHBUTTON, "Setup"};
const Announced kFolderField{ROLE_SYSTEM_TEXT, "Install Folder:"};
const Announced kBrowse{ROLE_SYSTEM_PUSHBUTTON, "Browse"};
const Announced kInstall{ROLE_SYSTEM_PUSHBUTTON, "Install"};
const Announced kPause{ROLE_SYSTEM_PUSHBUTTON, "Pause"};
const Announced kOk{ROLE_SYSTEM_PUSHBUTTON, "OK"};

// Whether all of the edit field's text is selected, as for typing over it.
bool AllSelected(const tk::TEdit* field) {
    DWORD start = 0, end = 0;
    SendMessageA(field->Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
    return start == 0 && end == static_cast<DWORD>(GetWindowTextLengthA(field->Handle())) &&
           end > 0;
}

void Pump() {
    for (int i = 0; i < 5; ++i) {
        tk::Application().ProcessMessages();
        Sleep(10);
    }
}

// A key pressed and released where the keyboard's focus is, through the message loop (which
// runs the dialog manager for Tab, Enter and Escape).
void PressKey(WPARAM key) {
    HWND target = GetFocus();
    PostMessageA(target, WM_KEYDOWN, key, 1);
    PostMessageA(target, WM_KEYUP, key, 0xC0000001);
    Pump();
}

struct MainWindow : ::testing::Test {
    void SetUp() override {
        form = std::make_unique<tMainForm>("c:\\tq", [](const std::string&) { return false; });
        form->Show();
        Pump();
    }
    void TearDown() override {
        form.reset();
        tk::Application().ProcessMessages();
    }
    std::unique_ptr<tMainForm> form;
};

TEST_F(MainWindow, RolesAndNames) {
    Accessible setup(form->btnSetup);
    ASSERT_TRUE(setup.Valid());
    EXPECT_EQ(setup.Role(), ROLE_SYSTEM_PUSHBUTTON);
    EXPECT_EQ(setup.Name(), "Setup");
    EXPECT_EQ(setup.DefaultAction(), "Press");

    Accessible welcome(form->lbIns1);
    EXPECT_EQ(welcome.Role(), ROLE_SYSTEM_STATICTEXT);
    EXPECT_EQ(welcome.Name(), "This will install Corvane Pentaro");

    // The logo is the product's mark.
    Accessible logo(form->Image1);
    EXPECT_EQ(logo.Role(), ROLE_SYSTEM_GRAPHIC);
    EXPECT_EQ(logo.Name(), "P+");

    // The folder field is named by the label above it and holds the folder as its value.
    // Its page gets its windows when it is first opened, as Setup does.
    EXPECT_FALSE(form->edInstallDir->HandleAllocated());
    form->PageControl1->SetActivePageIndex(1);
    Pump();
    Accessible folder(form->edInstallDir);
    EXPECT_EQ(folder.Role(), ROLE_SYSTEM_TEXT);
    EXPECT_EQ(folder.Name(), "Install Folder:");
    char text[MAX_PATH] = {};
    GetWindowTextA(form->edInstallDir->Handle(), text, sizeof text);
    EXPECT_EQ(folder.Value(), text);
}

TEST_F(MainWindow, ButtonStates) {
    Accessible setup(form->btnSetup);
    EXPECT_EQ(setup.State() &
                  (STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_UNAVAILABLE | STATE_SYSTEM_FOCUSED),
              STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_FOCUSED);
    EXPECT_TRUE(setup.State() & STATE_SYSTEM_DEFAULT); // Enter presses it
    EXPECT_FALSE(Accessible(form->btnCancel).State() & (STATE_SYSTEM_DEFAULT | STATE_SYSTEM_FOCUSED));
    form->btnCancel->SetEnabled(false);
    Accessible cancel(form->btnCancel);
    EXPECT_EQ(cancel.State() & (STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_UNAVAILABLE),
              STATE_SYSTEM_UNAVAILABLE);
    Accessible install(form->btnInstall); // on the page not shown
    EXPECT_TRUE(install.State() & STATE_SYSTEM_INVISIBLE);
}

TEST_F(MainWindow, DefaultActionClicksLaterFromTheMessageLoop) {
    Accessible setup(form->btnSetup);
    EXPECT_EQ(setup.DoDefaultAction(), S_OK);
    // Not inside the screen reader's call, which must not wait for what the click does.
    EXPECT_EQ(form->PageControl1->ActivePageIndex(), 0);
    Pump();
    EXPECT_EQ(form->PageControl1->ActivePageIndex(), 1);

    bool closed = false;
    form->OnClose = [&](tk::TControl*) { closed = true; };
    form->BtnCancel2->SetEnabled(false);
    EXPECT_EQ(Accessible(form->BtnCancel2).DoDefaultAction(), S_OK);
    Pump();
    EXPECT_FALSE(closed); // a disabled button is not pressed
}

// Every window a screen reader meets says something, or holds windows that do: an object
// with neither (a background picture) would only be announced as an unnamed something.
BOOL CALLBACK Collect(HWND window, LPARAM windows) {
    reinterpret_cast<std::vector<HWND>*>(windows)->push_back(window);
    return TRUE;
}
void ExpectNothingUnnamedOnItsOwn(HWND form) {
    std::vector<HWND> all;
    EnumChildWindows(form, Collect, reinterpret_cast<LPARAM>(&all));
    for (HWND window : all) {
        if (!IsWindowVisible(window)) continue;
        Accessible object(window);
        bool holdsShownWindows = false;
        for (HWND child = GetWindow(window, GW_CHILD); child != nullptr;
             child = GetWindow(child, GW_HWNDNEXT))
            holdsShownWindows = holdsShownWindows || IsWindowVisible(child);
        char name[64] = {};
        GetClassNameA(window, name, sizeof name);
        if (object.Name().empty()) {
            const bool pane = object.Role() == ROLE_SYSTEM_PANE || object.Role() == ROLE_SYSTEM_CLIENT;
            EXPECT_TRUE(pane && holdsShownWindows) << name << " role " << object.Role();
        }
        EXPECT_STRNE(name, "TJvGradient");
    }
}

TEST_F(MainWindow, NothingUnnamedOnItsOwnOnEitherPage) {
    ExpectNothingUnnamedOnItsOwn(form->Handle());
    form->btnSetupClick(nullptr);
    Pump();
    ExpectNothingUnnamedOnItsOwn(form->Handle());
}

TEST_F(MainWindow, AtStartTheFocusIsOnSetup) {
    EXPECT_EQ(FocusedObject(), kSetup);
}

// However Setup is pressed, the keyboard goes on in the folder field with its text selected;
// the focus never stays behind on the page that is hidden now, nor on the window.
TEST(MainWindowSetup, EveryWayEndsInTheFolderFieldWithItsTextSelected) {
    const struct {
        const char* way;
        std::function<void(tMainForm&)> press;
    } ways[] = {
        {"Enter", [](tMainForm&) { PressKey(VK_RETURN); }},
        {"Space", [](tMainForm&) { PressKey(VK_SPACE); }},
        {"a click",
         [](tMainForm& form) {
             HWND setup = form.btnSetup->Handle();
             PostMessageA(setup, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
             PostMessageA(setup, WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
             Pump();
         }},
        {"Alt+S",
         [](tMainForm&) {
             PostMessageA(GetFocus(), WM_SYSCHAR, 's', 0x20000001);
             Pump();
         }},
        {"a screen reader", [](tMainForm& form) {
             Accessible(form.btnSetup).DoDefaultAction();
             Pump();
         }}};
    for (const auto& way : ways) {
        tMainForm form("c:\\tq", [](const std::string&) { return false; });
        form.Show();
        Pump();
        way.press(form);
        EXPECT_EQ(form.PageControl1->ActivePageIndex(), 1) << way.way;
        EXPECT_EQ(FocusedObject(), kFolderField) << way.way;
        EXPECT_TRUE(AllSelected(form.edInstallDir)) << way.way;
    }
}

// The folder page, with the focus on Browse as a click or Tab leaves it.
struct FolderPage : MainWindow {
    void SetUp() override {
        MainWindow::SetUp();
        form->btnSetupClick(nullptr);
        form->edInstallDir->SetText("c:\\windows"); // a folder the browser can select
        Pump();
        form->btnBrowse->Focus();
        Pump();
    }
};

TEST_F(FolderPage, TheFocusComesBackToBrowseWhenTheFolderBrowserCloses) {
    for (Press answer : {Press::Escape, Press::Enter}) {
        SeenDialog browser;
        AnswerDialog(
            [] {
                PressKey(VK_SPACE);
                return 0;
            },
            answer, browser);
        EXPECT_TRUE(browser.found);
        EXPECT_EQ(FocusedObject(), kBrowse) << (answer == Press::Escape ? "Escape" : "OK");
    }
}

// A run that did not install (here: cancelled in the progress window) brings the window back
// with the focus where it was; in the progress window it is on Pause while copying.
TEST(MainWindowRun, AfterACancelledRunTheFocusIsWhereItWas) {
    Announced whileCopying{};
    tMainForm form("c:\\tq", [&whileCopying](const std::string&) {
        TInstProgressForm progress;
        progress.SetProgramName("Pentaro");
        progress.SetStage("Installing ...");
        progress.Show();
        progress.SetTotalBytes(1000);
        progress.SetCurrentFile("c:\\tq\\tarnw.exe");
        progress.SetBytesDone(10);
        whileCopying = FocusedObject();
        PostMessageA(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 1);
        progress.SetBytesDone(20);
        progress.ShowSuccess();
        return false;
    });
    form.Show();
    Pump();
    form.btnSetupClick(nullptr);
    Pump();
    form.btnInstall->Focus();
    SeenDialog notInstalled;
    AnswerDialog(
        [] {
            PressKey(VK_SPACE);
            return 0;
        },
        Press::Enter, notInstalled);
    Pump();
    EXPECT_EQ(whileCopying, kPause);
    EXPECT_TRUE(notInstalled.Shows("Pentaro was not installed."));
    EXPECT_TRUE(form.Visible());
    EXPECT_EQ(FocusedObject(), kInstall);
}

// Alt shows the access keys, underlined; before it the buttons look as they always did
// (Windows' default). Where the system is set to show them always, they always show.
TEST(MainWindowAccessKeys, UnderlinedOnlyOnceAltIsPressed) {
    KeyboardCues windowsDefault(FALSE);
    tMainForm form("c:\\tq", [](const std::string&) { return false; });
    form.Show();
    Pump();
    HWND window = form.Handle();
    // Cancel, as the focus (on Setup) leaves it: without a focus rectangle.
    auto atRest = Print(form.btnCancel);
    EXPECT_EQ((SendMessageA(window, WM_QUERYUISTATE, 0, 0) & (UISF_HIDEACCEL | UISF_HIDEFOCUS)),
              UISF_HIDEACCEL | UISF_HIDEFOCUS);
    EXPECT_EQ(Accessible(form.btnSetup).Shortcut(), "Alt+S");
    EXPECT_EQ(Accessible(form.btnCancel).Shortcut(), "Alt+C");
    {
        KeyboardCues always(TRUE); // the system's setting: underlined always
        EXPECT_GT(CountDifferent(*Print(form.btnCancel), *atRest), 3);
    }
    EXPECT_EQ(CountDifferent(*Print(form.btnCancel), *atRest), 0);

    // Alt held down (its release alone would open the window menu).
    PostMessageA(GetFocus(), WM_SYSKEYDOWN, VK_MENU, 0x20000001);
    Pump();
    EXPECT_EQ(SendMessageA(window, WM_QUERYUISTATE, 0, 0) & (UISF_HIDEACCEL | UISF_HIDEFOCUS), 0);
    // The underline: white pixels below the "C" that were not there, and nothing else.
    auto shown = Print(form.btnCancel);
    int appeared = 0;
    for (int x = 0; x < shown->Width(); ++x)
        for (int y = 0; y < shown->Height(); ++y)
            if (shown->Pixel(x, y) != atRest->Pixel(x, y)) {
                EXPECT_EQ(shown->Pixel(x, y), tk::clWhite) << x << "," << y;
                ++appeared;
            }
    EXPECT_GT(appeared, 3);

    // Then C: Alt+C presses the shown Cancel, and the window closes.
    bool closed = false;
    form.OnClose = [&](tk::TControl*) { closed = true; };
    PostMessageA(GetFocus(), WM_SYSKEYDOWN, 'C', 0x20000001);
    Pump();
    EXPECT_TRUE(closed);
}

TEST_F(MainWindow, TitleBarShowsTheProgramsIcon) {
    HICON small = reinterpret_cast<HICON>(SendMessageA(form->Handle(), WM_GETICON, ICON_SMALL, 0));
    ASSERT_NE(small, nullptr);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(small, &info));
    BITMAP picture{};
    GetObjectA(info.hbmColor, sizeof picture, &picture);
    EXPECT_EQ(picture.bmWidth, GetSystemMetrics(SM_CXSMICON));
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    EXPECT_NE(SendMessageA(form->Handle(), WM_GETICON, ICON_BIG, 0), 0);
    TInstProgressForm progress;
    EXPECT_EQ(SendMessageA(progress.Handle(), WM_GETICON, ICON_SMALL, 0),
              reinterpret_cast<LRESULT>(small));
}

// The events a screen reader would be told of, for client areas.
std::vector<std::pair<HWND, DWORD>> g_events;
void CALLBACK OnWinEvent(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child, DWORD,
                         DWORD) {
    if (object == OBJID_CLIENT && child == CHILDID_SELF) g_events.emplace_back(window, event);
}

struct ProgressWindow : ::testing::Test {
    void SetUp() override {
        form = std::make_unique<TInstProgressForm>();
        form->SetProgramName("Pentaro");
        form->SetStage("Installing ...");
        form->Show();
        Pump();
    }
    void TearDown() override {
        form.reset();
        tk::Application().ProcessMessages();
    }
    int Count(const tk::TControl* control, DWORD event) const {
        int n = 0;
        for (const auto& [window, e] : g_events)
            if (window == control->Handle() && e == event) ++n;
        return n;
    }
    std::unique_ptr<TInstProgressForm> form;
};

TEST_F(ProgressWindow, BarIsNamedForWhatItMeasuresAndItsValueIsThePercentage) {
    Accessible bar(form->pbar);
    EXPECT_EQ(bar.Role(), ROLE_SYSTEM_PROGRESSBAR);
    EXPECT_EQ(bar.Name(), "Installation progress");
    form->SetTotalBytes(200);
    form->SetBytesDone(50);
    EXPECT_EQ(bar.Value(), "25%");
}

TEST_F(ProgressWindow, ValueAndTextChangesAreAnnounced) {
    // Out of context: the events come through this thread's message queue.
    HWINEVENTHOOK hook =
        SetWinEventHook(EVENT_OBJECT_NAMECHANGE, EVENT_OBJECT_VALUECHANGE, nullptr, OnWinEvent,
                        GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
    ASSERT_NE(hook, nullptr);
    form->SetTotalBytes(1000);
    Pump();
    g_events.clear();
    form->SetCurrentFile("c:\\tq\\tarnw.exe");
    form->SetBytesDone(4); // 0.4 %: still 0 %
    form->SetBytesDone(10);
    form->SetBytesDone(14); // still 1 %
    Pump();
    UnhookWinEvent(hook);
    EXPECT_EQ(Count(form->pbar, EVENT_OBJECT_VALUECHANGE), 1);
    EXPECT_EQ(Count(form->lbFileName, EVENT_OBJECT_NAMECHANGE), 1);
    EXPECT_EQ(Count(form->lbStatus, EVENT_OBJECT_NAMECHANGE), 3);
}

TEST(ProgressWindowEvents, ControlsThatCannotBeSeenAnnounceNothing) {
    HWINEVENTHOOK hook =
        SetWinEventHook(EVENT_OBJECT_NAMECHANGE, EVENT_OBJECT_VALUECHANGE, nullptr, OnWinEvent,
                        GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
    ASSERT_NE(hook, nullptr);
    g_events.clear();
    TInstProgressForm form; // hidden until shown
    form.SetProgramName("Pentaro");
    form.SetStage("Installing ...");
    form.Show(); // its show handler sets the status line and the bar before the window shows
    Pump();
    const size_t whileHidden = g_events.size();
    // Loading: the file line, the bar and the status line are hidden.
    form.lbFileName->SetCaption("c:\\tq\\tarnw.exe");
    form.pbar->SetPosition(50);
    form.lbStatus->SetCaption("1 of 2 bytes");
    Pump();
    const size_t whileLoading = g_events.size() - whileHidden;
    form.SetTotalBytes(100);
    form.SetCurrentFile("c:\\tq\\pentaro.exe");
    Pump();
    UnhookWinEvent(hook);
    EXPECT_EQ(whileHidden, 0u);
    EXPECT_EQ(whileLoading, 0u);
    int fileLine = 0;
    for (const auto& [window, event] : g_events)
        if (window == form.lbFileName->Handle() && event == EVENT_OBJECT_NAMECHANGE) ++fileLine;
    EXPECT_EQ(fileLine, 1); // shown while copying: it speaks
}

Announced g_focusAtTheEnd;
void CALLBACK LookThenPressEnter(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    g_focusAtTheEnd = FocusedObject();
    PostMessageA(GetFocus(), WM_KEYDOWN, VK_RETURN, 1);
}

TEST_F(ProgressWindow, FocusIsOnPauseWhileCopyingAndOnOkAtTheEnd) {
    EXPECT_EQ(FocusedObject(), kPause);
    form->SetTotalBytes(1000);
    form->SetCurrentFile("c:\\tq\\tarnw.exe");
    form->SetBytesDone(1000);
    EXPECT_EQ(FocusedObject(), kPause);
    ExpectNothingUnnamedOnItsOwn(form->Handle());
    // At the end ShowSuccess waits for OK: look while it waits, then press Enter.
    g_focusAtTheEnd = {};
    SetTimer(nullptr, 0, 50, LookThenPressEnter);
    form->ShowSuccess();
    EXPECT_EQ(g_focusAtTheEnd, kOk);
    EXPECT_FALSE(form->Cancelled); // Enter pressed OK, which is not a cancel
}

// The lines the panel draws itself: a screen reader finds each where it shows, at once.
TEST_F(ProgressWindow, LinesAreWhereTheyShow) {
    form->SetTotalBytes(1000);
    Pump();
    form->SetCurrentFile("c:\\tq\\pentaro\\kdbv4add.kdb");
    form->SetBytesDone(10);
    for (const tk::TLabel* line : {form->lbFileName, form->lbFiles, form->lbStatus}) {
        POINT at{line->Left(), line->Top()};
        ClientToScreen(line->Parent()->Handle(), &at);
        EXPECT_EQ(Accessible(line).Location(),
                  (std::vector<long>{at.x, at.y, line->Width(), line->Height()}))
            << line->Name();
    }
}

TEST_F(ProgressWindow, EscapeCancelsTheCopying) {
    form->SetTotalBytes(1000);
    PostMessageA(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 1);
    form->SetBytesDone(100);
    EXPECT_TRUE(form->Cancelled);
}

} // namespace
