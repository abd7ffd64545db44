#include "toolkit/browse.h"

#include "toolkit/handles_win.h"
#include "toolkit/text_win.h"

#include <objbase.h>
#include <shlobj.h>

namespace tk {

namespace {

struct BrowseContext {
    const std::wstring* initial;
    HWND owner;
};

void CenterOnOwnersMonitor(HWND dialog, HWND owner) {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    HMONITOR handle =
        MonitorFromWindow(owner != nullptr ? owner : dialog, MONITOR_DEFAULTTONEAREST);
    if (!GetMonitorInfoA(handle, &monitor)) return;
    const RECT& area = monitor.rcWork;
    // Moved onto a monitor of another scale, the browser takes that scale and a new size
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

int CALLBACK BrowseCallback(HWND dialog, UINT message, LPARAM, LPARAM data) {
    if (message == BFFM_INITIALIZED) {
        auto* context = reinterpret_cast<BrowseContext*>(data);
        if (!context->initial->empty())
            SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE,
                         reinterpret_cast<LPARAM>(context->initial->c_str()));
        CenterOnOwnersMonitor(dialog, context->owner);
    }
    return 0;
}

} // namespace

bool TBrowseForFolder::Execute(HWND owner) {
    Unusable.clear();
    const std::wstring initial = AnsiToWide(Folder);
    const std::wstring title = AnsiToWide(Text);
    BrowseContext context{&initial, owner};
    wchar_t display[MAX_PATH] = {};
    BROWSEINFOW info{};
    info.hwndOwner = owner;
    info.pszDisplayName = display;
    info.lpszTitle = title.c_str();
    info.ulFlags = Options;
    info.lpfn = BrowseCallback;
    info.lParam = reinterpret_cast<LPARAM>(&context);
    ItemIdList chosen(SHBrowseForFolderW(&info));
    if (chosen.Get() == nullptr) return false;
    wchar_t path[MAX_PATH] = {};
    if (!SHGetPathFromIDListW(chosen.Get(), path)) return false;
    std::string ansi;
    if (!WideToAnsiExact(path, ansi)) {
        Unusable = ansi;
        return false;
    }
    Folder = ansi;
    return true;
}

void TBrowseForFolder::Prepare() {
    LoadSystemLibrary("shell32.dll");
}

} // namespace tk
