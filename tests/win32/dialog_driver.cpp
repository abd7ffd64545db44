#include "tests/win32/dialog_driver.h"

#include <atomic>
#include <functional>

namespace {

// A thread of the system's own (the installer is built without std::thread), joined on
// destruction.
class Thread {
public:
    explicit Thread(std::function<void()> body) : body_(std::move(body)) {
        handle_ = CreateThread(nullptr, 0, &Thread::Run, this, 0, nullptr);
    }
    ~Thread() { join(); }
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;
    void join() {
        if (handle_ == nullptr) return;
        WaitForSingleObject(handle_, INFINITE);
        CloseHandle(handle_);
        handle_ = nullptr;
    }

private:
    static DWORD WINAPI Run(void* self) {
        static_cast<Thread*>(self)->body_();
        return 0;
    }
    std::function<void()> body_;
    HANDLE handle_ = nullptr;
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

std::string WithoutAccessKeys(const std::string& text) {
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

HWND FocusOf(DWORD thread) {
    GUITHREADINFO info;
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(thread, &info) ? info.hwndFocus : nullptr;
}

void Record(HWND dialog, DWORD thread, SeenDialog& seen) {
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
        else if (lstrcmpiA(cls.c_str(), "Static") == 0 && (style & SS_TYPEMASK) == SS_ICON)
            seen.icon = reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0));
        else
            seen.texts.push_back(WindowText(child));
    }
    if (HWND focus = FocusOf(thread)) seen.focused = WithoutAccessKeys(WindowText(focus));
}

void PostKey(HWND dialog, DWORD thread, WPARAM key) {
    HWND target = FocusOf(thread);
    if (target == nullptr) target = dialog;
    PostMessageA(target, WM_KEYDOWN, key, 1);
    PostMessageA(target, WM_KEYUP, key, 0xC0000001);
}

} // namespace

bool SeenDialog::Shows(const std::string& text) const {
    for (const std::string& t : texts) {
        std::string plain;
        for (char c : t)
            if (c != '\r') plain += c;
        if (plain == text) return true;
    }
    return false;
}

int AnswerDialog(const std::function<int()>& show, Press press, SeenDialog& seen) {
    DWORD thread = GetCurrentThreadId();
    std::atomic<bool> shown{false};
    Thread driver([&] {
        HWND dialog = nullptr;
        for (int i = 0; i < 500 && dialog == nullptr && !shown; ++i) {
            dialog = FindDialog(thread);
            if (dialog == nullptr) Sleep(20);
        }
        if (dialog == nullptr) {
            // Nothing to answer: end a modal loop that may still come, or it would hang.
            if (!shown) PostThreadMessageA(thread, WM_QUIT, 0, 0);
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
        switch (press) {
        case Press::Escape:
            PostKey(dialog, thread, VK_ESCAPE);
            break;
        case Press::CloseBox:
            PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
            break;
        default:
            PostKey(dialog, thread, VK_RETURN);
            break;
        }
        for (int i = 0; i < 150 && IsWindow(dialog); ++i)
            Sleep(20);
        if (IsWindow(dialog)) {
            seen.closedByAnswer = false;
            PostThreadMessageA(thread, WM_QUIT, 0, 0);
        }
    });
    int result = show();
    shown = true;
    driver.join();
    // A WM_QUIT meant for a modal loop must not end a later one.
    MSG message;
    while (PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    return result;
}
