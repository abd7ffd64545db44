#include "toolkit/application.h"

#include "toolkit/forms.h"
#include "toolkit/handles_win.h"
#include "toolkit/probe.h"

#include <commctrl.h>
#include <windows.h>

namespace tk {

TApplication& Application() {
    static TApplication application;
    return application;
}

TApplication::~TApplication() = default;

void EnsureCommonControls() {
    static bool registered = false;
    if (registered) return;
    registered = true;
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
}

void TApplication::Initialize() {
    com_ = std::make_unique<ComInitialization>();
}

void TApplication::Run() {
    if (mainForm_ != nullptr) mainForm_->Show();
    Probe("main window shown");
    // Before the first message: whatever the user does next finds them ready.
    EnsureCommonControls();
    while (!terminated_)
        HandleMessage();
}

bool TApplication::ProcessMessage() {
    MSG msg;
    if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
    if (msg.message == WM_QUIT) {
        terminated_ = true;
        return true;
    }
    // Tab, Shift+Tab and the keyboard cues inside our forms, as in dialogs.
    HWND root = msg.hwnd != nullptr ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    auto* form = root != nullptr ? dynamic_cast<TForm*>(TControl::FromHandle(root)) : nullptr;
    if (form != nullptr) {
        // The keyboard in use brings out the keyboard cues: Alt the access keys and the
        // focus, Tab and the arrows the focus (Windows does so itself, Wine does not). Alt
        // with a letter presses the control whose access key it is: the dialog manager would
        // look for the letter after an '&' in the window texts, which ours do not carry.
        if (msg.message == WM_SYSKEYDOWN)
            SendMessageA(root, WM_CHANGEUISTATE,
                         MAKEWPARAM(UIS_CLEAR, UISF_HIDEACCEL | UISF_HIDEFOCUS), 0);
        else if (msg.message == WM_KEYDOWN &&
                 (msg.wParam == VK_TAB || (msg.wParam >= VK_LEFT && msg.wParam <= VK_DOWN)))
            SendMessageA(root, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
        if (msg.message == WM_SYSCHAR && form->PressAccessKey(static_cast<char>(msg.wParam)))
            return true;
        if (IsDialogMessageA(root, &msg)) return true;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
    return true;
}

void TApplication::ProcessMessages() {
    while (ProcessMessage()) {
    }
}

void TApplication::HandleMessage() {
    if (!ProcessMessage()) WaitMessage();
}

void TApplication::Terminate() {
    if (!terminated_) PostQuitMessage(0);
}

void TApplication::HandleException(const std::exception& error) {
    if (OnException) {
        OnException(error);
        return;
    }
    HWND owner = GetActiveWindow();
    MessageBoxA(owner, error.what(), title_.empty() ? "Error" : title_.c_str(),
                MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

} // namespace tk
