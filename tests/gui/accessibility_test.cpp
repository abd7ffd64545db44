// The installer's windows as a screen reader and a keyboard-only user meet them: accessible
// objects asked through oleacc as a screen reader asks (AccessibleObjectFromWindow on the real
// windows), the events it listens to, and Enter, Escape and Tab through the message loop.
#include "controls/appearance.h"
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
    explicit Accessible(const tk::TControl* control) {
        AccessibleObjectFromWindow(control->Handle(), static_cast<DWORD>(OBJID_CLIENT),
                                   __uuidof(IAccessible), reinterpret_cast<void**>(&object_));
    }
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

void Pump() {
    for (int i = 0; i < 5; ++i) {
        tk::Application().ProcessMessages();
        Sleep(10);
    }
}

// A key pressed and released where the keyboard's focus is, through the message loop (which
// runs the dialog manager for Tab, Enter and Escape).
void Press(WPARAM key) {
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

    // The surfaces say what they are and nothing more.
    Accessible strip(form->AdvPanel1);
    EXPECT_EQ(strip.Role(), ROLE_SYSTEM_GROUPING);
    EXPECT_EQ(strip.Name(), "");
    Accessible background(form->FindControl("JvGradient1"));
    EXPECT_EQ(background.Role(), ROLE_SYSTEM_CLIENT);
    EXPECT_EQ(background.Name(), "");

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
              STATE_SYSTEM_FOCUSABLE);
    SetFocus(form->btnSetup->Handle());
    EXPECT_TRUE(setup.State() & STATE_SYSTEM_FOCUSED);
    EXPECT_TRUE(setup.State() & STATE_SYSTEM_DEFAULT); // Enter presses it
    EXPECT_FALSE(Accessible(form->btnCancel).State() & STATE_SYSTEM_DEFAULT);
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

TEST_F(MainWindow, SetupLeavesTheFocusInTheFolderField) {
    // Pressed with the keyboard where it has the focus: the focus must not stay behind in
    // the page that is hidden now.
    SetFocus(form->btnSetup->Handle());
    Press(VK_SPACE);
    EXPECT_EQ(form->PageControl1->ActivePageIndex(), 1);
    EXPECT_EQ(GetFocus(), form->edInstallDir->Handle());
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

TEST_F(ProgressWindow, BarValueIsThePercentage) {
    Accessible bar(form->pbar);
    EXPECT_EQ(bar.Role(), ROLE_SYSTEM_PROGRESSBAR);
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
