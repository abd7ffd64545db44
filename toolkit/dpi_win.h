#pragma once
// The display scale on the Win32 side. The installer declares itself per-monitor aware in its
// manifest: every window is drawn in real pixels at the scale of its monitor, and a window
// that moves to a monitor of another scale gets WM_DPICHANGED. The calls for that arrived
// with Windows 10 (1607); each is looked up at run time, and older systems get the system's
// one scale from the screen's device context.
#include "toolkit/dpi.h"

#include <windows.h>

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif
#ifndef WM_GETDPISCALEDSIZE
#define WM_GETDPISCALEDSIZE 0x02E4
#endif

namespace tk {

// Dots per inch of the primary monitor (the scale a window starts at before it is placed).
// 96 for a program the system does not treat as scale-aware.
int SystemDpi();
// Dots per inch of the monitor a window is on; SystemDpi on systems that cannot tell.
int WindowDpi(HWND window);
// AdjustWindowRectEx with the frame metrics at `dpi` (the system's own metrics where the
// system cannot give them at another scale).
void AdjustWindowRectForDpi(RECT& rect, DWORD style, DWORD exStyle, int dpi);
// GetSystemMetrics at `dpi`.
int SystemMetricForDpi(int index, int dpi);
// The font of the system's message boxes at `dpi`; false when the system gives none.
bool MessageFontForDpi(LOGFONTW& font, int dpi);
// Places `dialog` centred in the work area of the monitor of `owner` (of the dialog itself
// when it has no owner), placing it again should it take another size on arriving there.
void CenterOnOwnersMonitor(HWND dialog, HWND owner);

} // namespace tk
