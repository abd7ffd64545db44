#pragma once
// 2-D drawing on a device context: pen, brush and font state with the few primitives
// the windows and self-drawn controls use. Colours are tk::TColor; system colours are
// resolved when something is drawn.
#include "toolkit/colors.h"
#include "toolkit/gdi.h"
#include "toolkit/geometry.h"

#include <string>

namespace tk {

// The RGB value a colour stands for now: system colours through GetSysColor, plain
// colours unchanged; clNone has no colour and resolves to its low 24 bits.
COLORREF ResolveColor(TColor color);

enum TFontStyle { fsBold = 1, fsItalic = 2, fsUnderline = 4 };

// A font description (face, height in the LOGFONT sense: negative for the character
// height, positive for the cell height, style bits, colour) with its GDI font made on
// demand and cached until the description changes.
class TFont {
public:
    TFont() = default;
    TFont(const TFont& other) { *this = other; }
    TFont& operator=(const TFont& other);

    const std::string& Name() const { return name_; }
    int Height() const { return height_; }
    int Style() const { return style_; }
    TColor Color() const { return color_; }
    void SetName(const std::string& name);
    void SetHeight(int height);
    void SetStyle(int style);
    void SetColor(TColor color) { color_ = color; }
    bool operator==(const TFont& other) const {
        return name_ == other.name_ && height_ == other.height_ && style_ == other.style_ &&
               color_ == other.color_;
    }

    HFONT Handle() const;

private:
    std::string name_ = "Tahoma";
    int height_ = -11;
    int style_ = 0;
    TColor color_ = clWindowText;
    mutable GdiObject<HFONT> handle_;
};

class TBitmap;

class TCanvas {
public:
    struct TPen {
        TColor Color = clBlack;
        int Width = 1;
        bool Clear = false;       // draws nothing
        bool InsideFrame = false; // a wide outline of a shape stays inside its rectangle
    };
    struct TBrush {
        TColor Color = clWhite;
        bool Clear = false; // hollow: shapes are outlined only, text has no background
    };

    explicit TCanvas(HDC dc = nullptr) : dc_(dc) {}
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;

    HDC Handle() const { return dc_; }
    void SetHandle(HDC dc) { dc_ = dc; }

    TPen Pen;
    TBrush Brush;
    TFont Font;

    // Brush only, no outline (the whole rectangle in the brush colour).
    void FillRect(const TRect& rect);
    // Outline in the pen, inside in the brush; Right and Bottom exclusive.
    void Rectangle(int left, int top, int right, int bottom);
    void Rectangle(const TRect& r) { Rectangle(r.Left, r.Top, r.Right, r.Bottom); }
    void RoundRect(int left, int top, int right, int bottom, int ellipseWidth, int ellipseHeight);
    void MoveTo(int x, int y);
    void LineTo(int x, int y);
    void TextOut(int x, int y, const std::string& text);
    TSize TextExtent(const std::string& text);
    int TextWidth(const std::string& text) { return TextExtent(text).cx; }
    int TextHeight(const std::string& text) { return TextExtent(text).cy; }
    // Copies a bitmap whole to (x, y).
    void Draw(int x, int y, const TBitmap& bitmap);
    // Copies a bitmap to (x, y), leaving out every pixel of colour `key`.
    void DrawTransparent(int x, int y, const TBitmap& bitmap, TColor key);
    TColor Pixel(int x, int y) const;

private:
    HPEN MakePen();
    HBRUSH MakeBrush();

    HDC dc_;
    GdiObject<HPEN> pen_;
    TPen penMade_{};
    COLORREF penRgb_ = CLR_INVALID;
    GdiObject<HBRUSH> brush_;
    COLORREF brushRgb_ = CLR_INVALID;
};

// An off-screen bitmap (a top-down 32-bit DIB section) with a canvas on it.
class TBitmap {
public:
    TBitmap() : canvas_(memory_.Get()) {}
    TBitmap(const TBitmap&) = delete;
    TBitmap& operator=(const TBitmap&) = delete;
    ~TBitmap();

    int Width() const { return width_; }
    int Height() const { return height_; }
    // Resizes the bitmap; its pixels start black (all zero).
    void SetSize(int width, int height);
    TCanvas& Canvas() { return canvas_; }
    HDC DC() const { return memory_.Get(); }
    // Pixel at (x, y) as 0x00BBGGRR; x and y must lie inside.
    TColor Pixel(int x, int y) const;

private:
    MemoryDC memory_;
    TCanvas canvas_;
    GdiObject<HBITMAP> bitmap_;
    HGDIOBJ original_ = nullptr;
    const std::uint32_t* bits_ = nullptr;
    int width_ = 0;
    int height_ = 0;
};

} // namespace tk
