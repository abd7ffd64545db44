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
// Sizes from here up are stored as PNG, the smaller ones as 32-bit bitmaps. Windows reads PNG
// icons since Vista, the oldest system the installer runs on; as bitmaps the two largest
// alone would take 280 KB, as PNG they take 2 KB (the whole icon is 28 KB).
inline constexpr int kIconPngFrom = 64;

// The .ico file of the mark in `sizes`, smallest first.
std::string IconFile(const std::vector<int>& sizes = kIconSizes, int pngFrom = kIconPngFrom);
