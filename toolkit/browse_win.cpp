#include "toolkit/browse.h"

#include "toolkit/dpi_win.h"
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
