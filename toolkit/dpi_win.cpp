#include "toolkit/dpi_win.h"

#include "toolkit/gdi.h"

namespace tk {

namespace {

// An export of user32 that older systems lack, or null. The program uses user32 anyway;
// the reference taken here is never given back.
template <typename Function> Function User32Export(const char* name) {
    static HMODULE user32 = LoadLibraryA("user32.dll");
    return user32 != nullptr
               ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(user32, name)))
               : nullptr;
}

int Valid(int dpi) {
    return dpi > 0 ? dpi : kDesignDpi;
}

} // namespace

int SystemDpi() {
    using Proc = UINT(WINAPI*)();
    static Proc getDpiForSystem = User32Export<Proc>("GetDpiForSystem");
    if (getDpiForSystem != nullptr) return Valid(static_cast<int>(getDpiForSystem()));
    ClientDC screen(nullptr);
    return Valid(GetDeviceCaps(screen.Get(), LOGPIXELSY));
}

int WindowDpi(HWND window) {
    using Proc = UINT(WINAPI*)(HWND);
    static Proc getDpiForWindow = User32Export<Proc>("GetDpiForWindow");
    if (getDpiForWindow != nullptr && window != nullptr) {
        int dpi = static_cast<int>(getDpiForWindow(window));
        if (dpi > 0) return dpi;
    }
    return SystemDpi();
}

void AdjustWindowRectForDpi(RECT& rect, DWORD style, DWORD exStyle, int dpi) {
    using Proc = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
    static Proc adjustForDpi = User32Export<Proc>("AdjustWindowRectExForDpi");
    if (adjustForDpi != nullptr &&
        adjustForDpi(&rect, style, FALSE, exStyle, static_cast<UINT>(Valid(dpi))))
        return;
    AdjustWindowRectEx(&rect, style, FALSE, exStyle);
}

int SystemMetricForDpi(int index, int dpi) {
    using Proc = int(WINAPI*)(int, UINT);
    static Proc metricForDpi = User32Export<Proc>("GetSystemMetricsForDpi");
    if (metricForDpi != nullptr) return metricForDpi(index, static_cast<UINT>(Valid(dpi)));
    return MulDiv(GetSystemMetrics(index), Valid(dpi), SystemDpi());
}

bool MessageFontForDpi(LOGFONTW& font, int dpi) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    using Proc = BOOL(WINAPI*)(UINT, UINT, void*, UINT, UINT);
    static Proc parametersForDpi = User32Export<Proc>("SystemParametersInfoForDpi");
    if (parametersForDpi != nullptr &&
        parametersForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0,
                         static_cast<UINT>(Valid(dpi)))) {
        font = metrics.lfMessageFont;
        return true;
    }
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) return false;
    font = metrics.lfMessageFont;
    font.lfHeight = MulDiv(font.lfHeight, Valid(dpi), SystemDpi());
    return true;
}

void CenterOnOwnersMonitor(HWND dialog, HWND owner) {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    HMONITOR handle =
        MonitorFromWindow(owner != nullptr ? owner : dialog, MONITOR_DEFAULTTONEAREST);
    if (!GetMonitorInfoA(handle, &monitor)) return;
    const RECT& area = monitor.rcWork;
    // Moved onto a monitor of another scale, the dialog takes that scale and a new size
    // (per-monitor aware dialogs lay themselves out again): place it a second time.
    SIZE placed{-1, -1};
    for (int round = 0; round < 2; ++round) {
        RECT r;
        GetWindowRect(dialog, &r);
        SIZE size{r.right - r.left, r.bottom - r.top};
        if (size.cx == placed.cx && size.cy == placed.cy) break;
        placed = size;
        int left = area.left + (area.right - area.left - size.cx) / 2;
        int top = area.top + (area.bottom - area.top - size.cy) / 2;
        SetWindowPos(dialog, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

} // namespace tk
