#include "tests/support/screenshot_win.h"

#include "toolkit/canvas.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

bool SaveWindowScreenshot(HWND window, const std::string& name) {
    const char* dir = std::getenv("PENTARO_SCREENSHOT_DIR");
    if (dir == nullptr || *dir == '\0') return false;
    UpdateWindow(window);
    RECT r;
    GetWindowRect(window, &r);
    int w = r.right - r.left, h = r.bottom - r.top;
    tk::TBitmap bitmap;
    bitmap.SetSize(w, h);
    {
        tk::ClientDC screen(nullptr);
        BitBlt(bitmap.DC(), 0, 0, w, h, screen.Get(), r.left, r.top, SRCCOPY);
    }
    std::string path = std::string(dir) + "\\" + name + ".bmp";
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    BITMAPINFOHEADER info{};
    info.biSize = sizeof(info);
    info.biWidth = w;
    info.biHeight = h; // bottom-up rows in the file
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    int stride = (w * 3 + 3) & ~3;
    info.biSizeImage = static_cast<DWORD>(stride * h);
    BITMAPFILEHEADER header{};
    header.bfType = 0x4D42;
    header.bfOffBits = sizeof(header) + sizeof(info);
    header.bfSize = header.bfOffBits + info.biSizeImage;
    std::fwrite(&header, sizeof(header), 1, file);
    std::fwrite(&info, sizeof(info), 1, file);
    std::vector<unsigned char> row(static_cast<size_t>(stride), 0);
    for (int y = h - 1; y >= 0; --y) {
        for (int x = 0; x < w; ++x) {
            tk::TColor c = bitmap.Pixel(x, y);
            row[x * 3 + 0] = static_cast<unsigned char>(tk::BlueOf(c));
            row[x * 3 + 1] = static_cast<unsigned char>(tk::GreenOf(c));
            row[x * 3 + 2] = static_cast<unsigned char>(tk::RedOf(c));
        }
        std::fwrite(row.data(), 1, row.size(), file);
    }
    return std::fclose(file) == 0;
}
