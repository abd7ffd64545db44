#pragma once
// The installer's own icon: the product's mark "P+" as the main window's logo shows it (white
// bold letters on red inside a yellow border), drawn from shapes rather than from a font so
// that the build makes it natively, the same bytes on every machine. Portable; used by
// pentaro-icon at build time and by the tests.
#include <cstdint>
#include <string>
#include <vector>

// One square picture of the mark, `size` pixels wide, rows from the top, each pixel
// 0xAARRGGBB. The stems and bars lie on whole pixels at every size; from 32 pixels up the
// bowl of the "P" is smoothed.
std::vector<std::uint32_t> MarkPicture(int size);

// The picture as a PNG file (8-bit RGBA, deflated by zlib at its best level).
std::string PngImage(const std::vector<std::uint32_t>& picture, int size);

// The sizes the icon file holds: the small and large icons at 100 %, 125 %, 150 % and
// 200 % display scale (16, 20, 24, 32; 32, 40, 48, 64) and Explorer's largest view (256).
inline const std::vector<int> kIconSizes = {16, 20, 24, 32, 40, 48, 64, 256};
// The sizes stored as 32-bit bitmaps; every other size is stored as PNG (about a twentieth
// of the bytes: the 256-pixel picture is 270 KB as a bitmap, 1.4 KB as PNG). Windows reads
// PNG images in icons from Vista on; Windows XP reads only the bitmaps, and its shell draws
// 16 (lists, title bars), 32 (icon view, Alt+Tab) and 48 (tiles view) pixels at its
// standard scale, so these three stay bitmaps for the file's icon in XP's Explorer. The
// other sizes serve the larger display scales of Vista and later (where a system without
// PNG asks for one, it scales the nearest bitmap).
inline const std::vector<int> kIconBitmapSizes = {16, 32, 48};

// The .ico file of the mark in `sizes`, smallest first; the sizes in `bitmapSizes` as
// bitmaps, the others as PNG.
std::string IconFile(const std::vector<int>& sizes = kIconSizes,
                     const std::vector<int>& bitmapSizes = kIconBitmapSizes);
