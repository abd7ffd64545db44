#pragma once
// Pictures of controls for the GUI tests: what a control paints (its WM_PRINTCLIENT) and
// what its window shows on the screen, and the counts the tests compare them by.
#include "toolkit/canvas.h"
#include "toolkit/control.h"
#include "toolkit/gdi.h"

#include <windows.h>

#include <memory>

// What the control paints, as WM_PAINT would paint it (a control without a window of its
// own, as its parent paints it).
inline std::unique_ptr<tk::TBitmap> Print(const tk::TControl* control) {
    auto picture = std::make_unique<tk::TBitmap>();
    picture->SetSize(control->Width(), control->Height());
    if (control->HandleAllocated())
        SendMessageA(control->Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(picture->DC()),
                     PRF_CLIENT);
    else
        const_cast<tk::TControl*>(control)->PaintTo(picture->DC());
    return picture;
}

// What the control's window shows now of `area` (in its client coordinates).
inline std::unique_ptr<tk::TBitmap> OnScreen(const tk::TControl* control, const tk::TRect& area) {
    auto picture = std::make_unique<tk::TBitmap>();
    picture->SetSize(area.Width(), area.Height());
    tk::ClientDC screen(control->Handle());
    BitBlt(picture->DC(), 0, 0, area.Width(), area.Height(), screen.Get(), area.Left, area.Top,
           SRCCOPY);
    return picture;
}

// What the control's window shows now, all of it.
inline std::unique_ptr<tk::TBitmap> OnScreen(const tk::TControl* control) {
    return OnScreen(control, {0, 0, control->Width(), control->Height()});
}

// The pixels in which two pictures of one size differ.
inline int CountDifferent(const tk::TBitmap& a, const tk::TBitmap& b) {
    int different = 0;
    for (int x = 0; x < a.Width(); ++x)
        for (int y = 0; y < a.Height(); ++y)
            if (a.Pixel(x, y) != b.Pixel(x, y)) ++different;
    return different;
}

// The pixels of one colour.
inline int CountOf(const tk::TBitmap& picture, tk::TColor color) {
    int n = 0;
    for (int x = 0; x < picture.Width(); ++x)
        for (int y = 0; y < picture.Height(); ++y)
            if (picture.Pixel(x, y) == color) ++n;
    return n;
}
