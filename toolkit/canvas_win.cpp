#include "toolkit/canvas.h"

#include <algorithm>
#include <cstring>

namespace tk {

COLORREF ResolveColor(TColor color) {
    if (IsSystemColor(color)) return GetSysColor(SystemColorIndex(color));
    return color & 0x00FFFFFF;
}

TFont& TFont::operator=(const TFont& other) {
    if (this != &other) {
        name_ = other.name_;
        height_ = other.height_;
        style_ = other.style_;
        color_ = other.color_;
        handle_.Reset();
    }
    return *this;
}

void TFont::SetName(const std::string& name) {
    if (name != name_) handle_.Reset();
    name_ = name;
}

void TFont::SetHeight(int height) {
    if (height != height_) handle_.Reset();
    height_ = height;
}

void TFont::SetStyle(int style) {
    if (style != style_) handle_.Reset();
    style_ = style;
}

HFONT TFont::Handle() const {
    if (!handle_) {
        LOGFONTA lf{};
        lf.lfHeight = height_;
        lf.lfWeight = (style_ & fsBold) ? FW_BOLD : FW_NORMAL;
        lf.lfItalic = (style_ & fsItalic) ? TRUE : FALSE;
        lf.lfUnderline = (style_ & fsUnderline) ? TRUE : FALSE;
        lf.lfCharSet = DEFAULT_CHARSET;
        lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
        lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
        lf.lfQuality = DEFAULT_QUALITY;
        lf.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
        std::strncpy(lf.lfFaceName, name_.c_str(), LF_FACESIZE - 1);
        handle_.Reset(CreateFontIndirectA(&lf));
    }
    return handle_.Get();
}

HPEN TCanvas::MakePen() {
    COLORREF rgb = ResolveColor(Pen.Color);
    if (!pen_ || rgb != penRgb_ || Pen.Width != penMade_.Width || Pen.Clear != penMade_.Clear ||
        Pen.InsideFrame != penMade_.InsideFrame) {
        int style = Pen.InsideFrame ? PS_INSIDEFRAME : PS_SOLID;
        pen_.Reset(Pen.Clear ? CreatePen(PS_NULL, 0, 0) : CreatePen(style, Pen.Width, rgb));
        penMade_ = Pen;
        penRgb_ = rgb;
    }
    return pen_.Get();
}

HBRUSH TCanvas::MakeBrush() {
    if (Brush.Clear) return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    COLORREF rgb = ResolveColor(Brush.Color);
    if (!brush_ || rgb != brushRgb_) {
        brush_.Reset(CreateSolidBrush(rgb));
        brushRgb_ = rgb;
    }
    return brush_.Get();
}

void TCanvas::FillRect(const TRect& rect) {
    if (Brush.Clear) return;
    RECT r{rect.Left, rect.Top, rect.Right, rect.Bottom};
    ::FillRect(dc_, &r, MakeBrush());
}

void TCanvas::Rectangle(int left, int top, int right, int bottom) {
    ScopedSelect pen(dc_, MakePen());
    ScopedSelect brush(dc_, MakeBrush());
    ::Rectangle(dc_, left, top, right, bottom);
}

void TCanvas::RoundRect(int left, int top, int right, int bottom, int ellipseWidth,
                        int ellipseHeight) {
    ScopedSelect pen(dc_, MakePen());
    ScopedSelect brush(dc_, MakeBrush());
    ::RoundRect(dc_, left, top, right, bottom, ellipseWidth, ellipseHeight);
}

void TCanvas::MoveTo(int x, int y) {
    MoveToEx(dc_, x, y, nullptr);
}

void TCanvas::LineTo(int x, int y) {
    ScopedSelect pen(dc_, MakePen());
    ::LineTo(dc_, x, y);
}

void TCanvas::TextOut(int x, int y, const std::string& text) {
    ScopedSelect font(dc_, Font.Handle());
    SetTextColor(dc_, ResolveColor(Font.Color()));
    if (Brush.Clear) {
        SetBkMode(dc_, TRANSPARENT);
    } else {
        SetBkMode(dc_, OPAQUE);
        SetBkColor(dc_, ResolveColor(Brush.Color));
    }
    ::TextOutA(dc_, x, y, text.data(), static_cast<int>(text.size()));
}

TSize TCanvas::TextExtent(const std::string& text) {
    HDC dc = dc_;
    ScopedSelect font(dc, Font.Handle());
    SIZE size{};
    GetTextExtentPoint32A(dc, text.data(), static_cast<int>(text.size()), &size);
    return {static_cast<int>(size.cx), static_cast<int>(size.cy)};
}

void TCanvas::Draw(int x, int y, const TBitmap& bitmap) {
    BitBlt(dc_, x, y, bitmap.Width(), bitmap.Height(), bitmap.DC(), 0, 0, SRCCOPY);
}

namespace {

// The mask and the work copy of DrawTransparent, kept from call to call (they only grow):
// two bitmaps and two device contexts made for every call cost more than the copies.
struct TransparencyBuffers {
    TBitmap work;
    GdiObject<HBITMAP> mask;
    MemoryDC maskDC;
    HGDIOBJ original = nullptr;
    int maskWidth = 0, maskHeight = 0;
    ~TransparencyBuffers() {
        if (original != nullptr) SelectObject(maskDC.Get(), original);
    }
    void Fit(int w, int h) {
        if (maskWidth < w || maskHeight < h) {
            maskWidth = std::max(w, maskWidth);
            maskHeight = std::max(h, maskHeight);
            if (original != nullptr) SelectObject(maskDC.Get(), original);
            mask.Reset(CreateBitmap(maskWidth, maskHeight, 1, 1, nullptr));
            original = SelectObject(maskDC.Get(), mask.Get());
        }
        if (work.Width() < w || work.Height() < h)
            work.SetSize(std::max(w, work.Width()), std::max(h, work.Height()));
    }
};

} // namespace

void TCanvas::DrawTransparent(int x, int y, const TBitmap& bitmap, TColor key) {
    // A mask of the key colour: 1 where the bitmap shows the key, 0 elsewhere. Then
    // destination = (destination AND mask) OR (bitmap AND NOT mask); the key pixels of
    // the source are set to black first so that the OR leaves the destination alone.
    int w = bitmap.Width(), h = bitmap.Height();
    if (w <= 0 || h <= 0) return;
    static TransparencyBuffers kept;
    kept.Fit(w, h);
    HDC maskDC = kept.maskDC.Get();
    HDC sourceDC = kept.work.DC();
    COLORREF keyRgb = ResolveColor(key);
    COLORREF oldBk = SetBkColor(bitmap.DC(), keyRgb);
    BitBlt(maskDC, 0, 0, w, h, bitmap.DC(), 0, 0, SRCCOPY);
    SetBkColor(bitmap.DC(), oldBk);

    BitBlt(sourceDC, 0, 0, w, h, bitmap.DC(), 0, 0, SRCCOPY);
    // Monochrome to colour: 1 (key) bits take the background colour, 0 bits the text
    // colour. Black at the key pixels clears them; white elsewhere keeps the source.
    SetTextColor(sourceDC, RGB(255, 255, 255));
    SetBkColor(sourceDC, RGB(0, 0, 0));
    BitBlt(sourceDC, 0, 0, w, h, maskDC, 0, 0, SRCAND);
    // On the destination the other way round: white at the key pixels keeps what is
    // there, black elsewhere clears the place for the source.
    COLORREF oldText = SetTextColor(dc_, RGB(0, 0, 0));
    COLORREF oldDestBk = SetBkColor(dc_, RGB(255, 255, 255));
    BitBlt(dc_, x, y, w, h, maskDC, 0, 0, SRCAND);
    SetTextColor(dc_, oldText);
    SetBkColor(dc_, oldDestBk);
    BitBlt(dc_, x, y, w, h, sourceDC, 0, 0, SRCPAINT);
}

TColor TCanvas::Pixel(int x, int y) const {
    return GetPixel(dc_, x, y);
}

TBitmap::~TBitmap() {
    if (original_ != nullptr) SelectObject(memory_.Get(), original_);
}

void TBitmap::SetSize(int width, int height) {
    if (width < 0) width = 0;
    if (height < 0) height = 0;
    if (original_ != nullptr) {
        SelectObject(memory_.Get(), original_);
        original_ = nullptr;
    }
    bitmap_.Reset();
    bits_ = nullptr;
    width_ = width;
    height_ = height;
    if (width == 0 || height == 0) return;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_.Reset(CreateDIBSection(memory_.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap_) {
        width_ = height_ = 0;
        return;
    }
    bits_ = static_cast<const std::uint32_t*>(bits);
    original_ = SelectObject(memory_.Get(), bitmap_.Get());
}

TColor TBitmap::Pixel(int x, int y) const {
    GdiFlush();
    std::uint32_t bgra = bits_[static_cast<size_t>(y) * width_ + x];
    // DIB pixels are 0x00RRGGBB; colours are 0x00BBGGRR.
    return MakeColor((bgra >> 16) & 0xFF, (bgra >> 8) & 0xFF, bgra & 0xFF);
}

} // namespace tk
