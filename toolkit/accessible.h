#pragma once
// What a screen reader is told about a control, through Microsoft Active Accessibility (the
// interface screen readers read classic Win32 windows by). A control fills in its
// TAccessibility; its window then answers WM_GETOBJECT for its client area with an object of
// ours that gives the role, name, value, state and default action from here and leaves the
// rest (location, navigation, parent, children, hit testing) to the system's standard object
// for the window; the keyboard shortcut is the control's access key ("Alt+S"), where it has
// one. oleacc.dll, which makes that standard object, is loaded from the system
// folder on the first request and never becomes an import of the program.
#include <windows.h>

#include <functional>
#include <string>

namespace tk {

struct TAccessibility {
    // A ROLE_SYSTEM_* value; 0 leaves the whole answer to the system's standard object.
    long Role = 0;
    // The name (a button's caption, a label's text); null or empty text gives no name.
    std::function<std::string()> Name;
    // The value (a progress bar's "45%"); null gives none.
    std::function<std::string()> Value;
    // STATE_SYSTEM_* bits added to those the window gives of itself: unavailable when
    // disabled, focusable when enabled and a tab stop, focused, invisible when hidden.
    long State = 0;
    // The default action's name ("Press") and what it does. A screen reader's request runs it
    // later, from the window's own message loop, so that an action that takes long (a whole
    // installation) or opens a dialog does not hold the screen reader's call.
    std::string DefaultAction;
    std::function<void()> DoDefaultAction;
};

// Posted to a control's window to run its default action.
constexpr UINT kDefaultActionMessage = WM_APP + 0x41;

// The answer to WM_GETOBJECT (OBJID_CLIENT) for `window`, whose control owns `accessibility`:
// a reference to a new accessible object, as LresultFromObject makes it. 0 when oleacc.dll
// or the standard object is not available; the window then answers as the system would.
LRESULT AccessibleObjectResult(HWND window, WPARAM wParam);

// Tells screen readers that something about the client area of `window` changed
// (EVENT_OBJECT_NAMECHANGE, EVENT_OBJECT_VALUECHANGE, ...). A window that cannot be seen
// (hidden, or in a hidden window) tells nothing: a reader would announce what is not there.
void NotifyAccessibleEvent(HWND window, DWORD event);

} // namespace tk
