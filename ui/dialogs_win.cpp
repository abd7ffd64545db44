#include "ui/dialogs.h"

#include "toolkit/application.h"
#include "toolkit/dpi_win.h"
#include "toolkit/format.h"
#include "toolkit/gdi.h"
#include "toolkit/handles_win.h"
#include "toolkit/text_win.h"

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstring>

namespace {

bool useFallbackForTesting = false;

std::string ExecutableCaption() {
    char path[MAX_PATH] = {};
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return DefaultDialogCaption(std::string(path, std::min<DWORD>(length, MAX_PATH)));
}

bool Contains(const std::vector<int>& buttons, int code) {
    return std::find(buttons.begin(), buttons.end(), code) != buttons.end();
}

// ---- The system's task dialog (comctl32 version 6, Vista and later) ----

using TaskDialogIndirectProc = HRESULT(WINAPI*)(const TASKDIALOGCONFIG*, int*, int*, BOOL*);

// What the callback does once the task dialog's window exists: it centres the window on
// its owner's monitor, and for a task dialog without a Cancel button that may still be
// cancelled it subclasses the window. Windows closes such a dialog on Escape when
// TDF_ALLOW_DIALOG_CANCELLATION is set, but Wine's task dialog ignores Escape unless a
// Cancel button exists; subclassed, IDCANCEL (Escape, and the close box through the
// dialog manager) ends it on every system alike.
struct TaskDialogHooks {
    HWND owner = nullptr;
    bool escapeCancels = false; // the subclass is installed at all
    WNDPROC previous = nullptr;
    bool cancelled = false;
};

const char hooksProperty[] = "Pentaro.TaskDialogHooks";

LRESULT CALLBACK EscapeCancelsProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* hooks = static_cast<TaskDialogHooks*>(GetPropA(window, hooksProperty));
    WNDPROC previous = hooks->previous;
    if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
        hooks->cancelled = true;
        EndDialog(window, IDCANCEL);
        return 0;
    }
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
        RemovePropA(window, hooksProperty);
    }
    return CallWindowProcW(previous, window, message, wParam, lParam);
}

HRESULT CALLBACK TaskDialogCallback(HWND window, UINT notification, WPARAM, LPARAM, LONG_PTR data) {
    if (notification != TDN_CREATED || data == 0) return S_OK;
    auto* hooks = reinterpret_cast<TaskDialogHooks*>(data);
    // Centred by the system too, except under Wine once the common controls are loaded for
    // good: there every task dialog after the first opened in the screen's top left corner.
    tk::CenterOnOwnersMonitor(window, hooks->owner);
    if (!hooks->escapeCancels) return S_OK;
    SetPropA(window, hooksProperty, hooks);
    hooks->previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(EscapeCancelsProc)));
    return S_OK;
}

// Shows `d` as a task dialog; false when the system could not show it.
bool ShowTaskDialog(TaskDialogIndirectProc taskDialogIndirect, const DialogDescription& d,
                    const std::string& caption, HWND owner, int& result) {
    std::wstring title = tk::AnsiToWide(caption);
    std::wstring text = tk::AnsiToWide(WithCrLfBreaks(d.text));
    TaskDialogHooks hooks;
    hooks.owner = owner;
    hooks.escapeCancels = d.cancellable && !Contains(d.buttons, drCancel);

    TASKDIALOGCONFIG config;
    std::memset(&config, 0, sizeof config);
    config.cbSize = sizeof config;
    config.hwndParent = owner;
    config.hInstance = GetModuleHandleA(nullptr);
    config.pszWindowTitle = title.c_str();
    config.pszMainInstruction = text.c_str();
    // Without this flag a task dialog with no Cancel button ignores Escape and greys
    // its close box.
    if (d.cancellable) config.dwFlags |= TDF_ALLOW_DIALOG_CANCELLATION;
    config.pfCallback = TaskDialogCallback;
    config.lpCallbackData = reinterpret_cast<LONG_PTR>(&hooks);
    for (int code : d.buttons) {
        switch (code) {
        case drOK:
            config.dwCommonButtons |= TDCBF_OK_BUTTON;
            break;
        case drYes:
            config.dwCommonButtons |= TDCBF_YES_BUTTON;
            break;
        case drNo:
            config.dwCommonButtons |= TDCBF_NO_BUTTON;
            break;
        case drCancel:
            config.dwCommonButtons |= TDCBF_CANCEL_BUTTON;
            break;
        case drRetry:
            config.dwCommonButtons |= TDCBF_RETRY_BUTTON;
            break;
        }
    }
    config.nDefaultButton = d.defaultButton;
    switch (d.icon) {
    case DialogIcon::Warning:
        config.pszMainIcon = TD_WARNING_ICON;
        break;
    case DialogIcon::Error:
        config.pszMainIcon = TD_ERROR_ICON;
        break;
    case DialogIcon::Information:
        config.pszMainIcon = TD_INFORMATION_ICON;
        break;
    case DialogIcon::Question:
        // The task dialog has no question icon of its own; the system's shared one.
        config.dwFlags |= TDF_USE_HICON_MAIN;
        config.hMainIcon = LoadIconA(nullptr, MAKEINTRESOURCEA(32514) /* IDI_QUESTION */);
        break;
    case DialogIcon::None:
        break;
    }

    int button = 0;
    if (FAILED(taskDialogIndirect(&config, &button, nullptr, nullptr))) return false;
    result = hooks.cancelled ? IDCANCEL : button;
    return true;
}

// ---- Our own dialog window, where the task dialog is missing (XP and older) ----

struct OwnDialog {
    const DialogDescription* description;
    std::string caption;
    tk::GdiObject<HFONT> font;
};

LPCSTR SystemIcon(DialogIcon icon) {
    switch (icon) {
    case DialogIcon::Warning:
        return MAKEINTRESOURCEA(32515); // IDI_WARNING
    case DialogIcon::Error:
        return MAKEINTRESOURCEA(32513); // IDI_ERROR
    case DialogIcon::Information:
        return MAKEINTRESOURCEA(32516); // IDI_INFORMATION
    case DialogIcon::Question:
        return MAKEINTRESOURCEA(32514); // IDI_QUESTION
    case DialogIcon::None:
        break;
    }
    return nullptr;
}

RECT WorkAreaFor(HWND window) {
    MONITORINFO info;
    info.cbSize = sizeof info;
    if (GetMonitorInfoA(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &info))
        return info.rcWork;
    RECT screen = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    return screen;
}

HWND AddControl(HWND dialog, const char* windowClass, const std::string& text, DWORD style, int id,
                const DialogRect& place, HFONT font) {
    HWND control =
        CreateWindowExA(0, windowClass, text.c_str(), WS_CHILD | WS_VISIBLE | style, place.left,
                        place.top, place.width, place.height, dialog,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
    if (control != nullptr && font != nullptr)
        SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return control;
}

void BuildOwnDialog(HWND dialog, OwnDialog& own) {
    const DialogDescription& d = *own.description;
    SetWindowTextA(dialog, own.caption.c_str());

    // The font of the system's own message boxes, at the scale of the dialog's monitor;
    // spacing, buttons and icon grow with it.
    const int dpi = tk::WindowDpi(dialog);
    LOGFONTW messageFont;
    if (tk::MessageFontForDpi(messageFont, dpi)) own.font.Reset(CreateFontIndirectW(&messageFont));
    HFONT font = own.font.Get() != nullptr ? own.font.Get()
                                           : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));

    std::string text = WithCrLfBreaks(d.text);
    RECT work = WorkAreaFor(GetWindow(dialog, GW_OWNER) ? GetWindow(dialog, GW_OWNER) : dialog);
    int maxTextWidth =
        std::max(tk::Scale(240, dpi), static_cast<int>((work.right - work.left) * 5 / 8));
    RECT textRect = {0, 0, maxTextWidth, 0};
    int buttonWidth = tk::Scale(75, dpi);
    {
        tk::ClientDC dc(dialog);
        HGDIOBJ old = SelectObject(dc.Get(), font);
        DrawTextA(dc.Get(), text.c_str(), static_cast<int>(text.size()), &textRect,
                  DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX);
        for (int code : d.buttons) {
            RECT captionRect = {0, 0, 0, 0};
            std::string label = ButtonCaption(code);
            DrawTextA(dc.Get(), label.c_str(), static_cast<int>(label.size()), &captionRect,
                      DT_CALCRECT | DT_SINGLELINE);
            buttonWidth =
                std::max(buttonWidth, static_cast<int>(captionRect.right) + tk::Scale(16, dpi));
        }
        SelectObject(dc.Get(), old);
    }

    // The system's icon drawn for the scale, not a 32-pixel picture stretched.
    int iconSize = tk::SystemMetricForDpi(SM_CXICON, dpi);
    HICON icon = nullptr;
    if (d.icon != DialogIcon::None) {
        icon = static_cast<HICON>(
            LoadImageA(nullptr, SystemIcon(d.icon), IMAGE_ICON, iconSize, iconSize, LR_SHARED));
        if (icon == nullptr) icon = LoadIconA(nullptr, SystemIcon(d.icon));
    }
    DialogLayout layout =
        LayoutDialog(textRect.right, textRect.bottom, icon != nullptr, iconSize,
                     static_cast<int>(d.buttons.size()), buttonWidth, tk::Scale(23, dpi), dpi);

    if (icon != nullptr) {
        HWND iconControl = AddControl(dialog, "STATIC", "", SS_ICON, -1, layout.icon, nullptr);
        SendMessageA(iconControl, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
    }
    AddControl(dialog, "STATIC", text, SS_LEFT | SS_NOPREFIX, -1, layout.text, font);
    HWND defaultButton = nullptr;
    for (std::size_t i = 0; i < d.buttons.size(); ++i) {
        int code = d.buttons[i];
        bool isDefault = code == d.defaultButton;
        HWND button = AddControl(dialog, "BUTTON", ButtonCaption(code),
                                 WS_TABSTOP | (isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON), code,
                                 layout.buttons[i], font);
        if (isDefault) defaultButton = button;
    }

    if (!d.cancellable)
        EnableMenuItem(GetSystemMenu(dialog, FALSE), SC_CLOSE, MF_BYCOMMAND | MF_GRAYED);

    RECT frame = {0, 0, layout.clientWidth, layout.clientHeight};
    tk::AdjustWindowRectForDpi(frame, static_cast<DWORD>(GetWindowLongA(dialog, GWL_STYLE)),
                               static_cast<DWORD>(GetWindowLongA(dialog, GWL_EXSTYLE)), dpi);
    int width = frame.right - frame.left;
    int height = frame.bottom - frame.top;
    SetWindowPos(dialog, nullptr, work.left + (work.right - work.left - width) / 2,
                 work.top + (work.bottom - work.top - height) / 2, width, height,
                 SWP_NOZORDER | SWP_NOACTIVATE);

    SendMessageA(dialog, DM_SETDEFID, static_cast<WPARAM>(d.defaultButton), 0);
    if (defaultButton != nullptr) SetFocus(defaultButton);
}

INT_PTR CALLBACK OwnDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        auto* own = reinterpret_cast<OwnDialog*>(lParam);
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        // Nothing may unwind through the dialog manager's frames.
        try {
            BuildOwnDialog(dialog, *own);
        } catch (...) {
            EndDialog(dialog, 0);
        }
        return FALSE; // focus was set on the default button
    }
    case WM_COMMAND: {
        auto* own = reinterpret_cast<OwnDialog*>(GetWindowLongPtrA(dialog, DWLP_USER));
        if (own == nullptr) return FALSE;
        const DialogDescription& d = *own->description;
        int id = LOWORD(wParam);
        // Escape, the close box and Alt+F4 all arrive as IDCANCEL, Cancel button or not.
        if (id == IDCANCEL && !Contains(d.buttons, drCancel)) {
            if (d.cancellable) EndDialog(dialog, drCancel);
            return TRUE;
        }
        if (Contains(d.buttons, id)) {
            EndDialog(dialog, id);
            return TRUE;
        }
        return FALSE;
    }
    }
    return FALSE;
}

int ShowOwnDialog(const DialogDescription& d, const std::string& caption, HWND owner) {
    // An empty in-memory template (no controls, no menu, class or title): the controls
    // are made in WM_INITDIALOG once the text has been measured. DialogBoxIndirect
    // wants the template DWORD-aligned.
    alignas(4) WORD templateWords[12] = {};
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFOREGROUND;
    const DWORD exStyle = WS_EX_DLGMODALFRAME;
    std::memcpy(&templateWords[0], &style, sizeof style);
    std::memcpy(&templateWords[2], &exStyle, sizeof exStyle);

    OwnDialog own{&d, caption, {}};
    tk::EnsureCommonControls(); // its buttons and texts are of the manifest's version 6 classes
    INT_PTR result = DialogBoxIndirectParamA(GetModuleHandleA(nullptr),
                                             reinterpret_cast<LPCDLGTEMPLATEA>(templateWords),
                                             owner, OwnDialogProc, reinterpret_cast<LPARAM>(&own));
    return result == -1 ? drNone : static_cast<int>(result);
}

int ShowDialog(const DialogDescription& d) {
    std::string caption = d.caption.empty() ? ExecutableCaption() : d.caption;
    // Owned by the application: its active window, if it has one, is disabled while
    // the dialog is up and gets the activation back afterwards.
    HWND owner = GetActiveWindow();
    if (!useFallbackForTesting) {
        tk::Library comctl("comctl32.dll");
        auto taskDialogIndirect =
            reinterpret_cast<TaskDialogIndirectProc>(comctl.Find("TaskDialogIndirect"));
        int result = 0;
        if (taskDialogIndirect != nullptr &&
            ShowTaskDialog(taskDialogIndirect, d, caption, owner, result))
            return result;
    }
    return ShowOwnDialog(d, caption, owner);
}

int KnownResult(int result) {
    return result == drOK || result == drCancel || result == drYes || result == drNo ||
                   result == drRetry
               ? result
               : drNone;
}

} // namespace

int ShowInfo(const std::string& text) {
    return ShowDialog(DescribeInfo("", text));
}

int ShowInfoCaption(const std::string& caption, const std::string& text) {
    return ShowDialog(DescribeInfo(caption, text));
}

int ShowInfoFmt(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string text = tk::FormatV(format, args);
    va_end(args);
    return ShowInfo(text);
}

int TaskMessageBox(void* /*owner*/, const std::string& text, const std::string& caption,
                   unsigned flags) {
    return KnownResult(ShowDialog(DescribeMessageBox(text, caption, flags)));
}

int AskDialog(const std::string& text, int type, int buttons, int /*helpContext*/) {
    return KnownResult(ShowDialog(DescribeAskDialog(text, type, buttons)));
}

void UseFallbackDialogForTesting(bool fallback) {
    useFallbackForTesting = fallback;
}
