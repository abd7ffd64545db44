#include "tools/icon_core.h"

#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace {

// The logo of the main window is 105 pixels square at 96 dpi: a yellow border 5 pixels wide
// and the letters "P+" in white bold, 37 pixels high. The mark's shapes below are measured
// from it, in its pixels.
constexpr double kLogoSize = 105;
constexpr double kBorder = 5;

// A rectangle in pixels of the icon, [left, right) x [top, bottom), whose right corners may
// be rounded with `radius`.
struct Shape {
    double left, top, right, bottom, radius;
    bool Contains(double x, double y) const {
        if (x < left || x >= right || y < top || y >= bottom) return false;
        if (radius <= 0 || x < right - radius) return true;
        const double cx = right - radius;
        double cy;
        if (y < top + radius)
            cy = top + radius;
        else if (y >= bottom - radius)
            cy = bottom - radius;
        else
            return true;
        return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= radius * radius;
    }
};

// The mark at one size. Every straight edge is put on a whole pixel (a stem half a pixel off
// would be a grey smear at 16 pixels) and every stroke keeps at least one pixel.
struct Mark {
    Shape stem, bowl, counter, across, down;

    explicit Mark(int size) {
        const double s = size / kLogoSize;
        auto at = [s](double logo) { return std::lround(logo * s); };
        auto after = [](long edge, long previous) { return std::max(edge, previous + 1); };
        // "P": the stem, and the bowl with the counter cut out of it.
        const long left = at(17.4), top = at(33);
        const long stemRight = after(at(27.5), left);
        const long counterRight = after(at(38), stemRight);
        const long bowlRight = after(at(48.3), counterRight);
        const long counterTop = after(at(40), top);
        const long counterBottom = after(at(50), counterTop);
        const long bowlBottom = after(at(57), counterBottom);
        const long stemBottom = after(at(70), bowlBottom);
        stem = {double(left), double(top), double(stemRight), double(stemBottom), 0};
        bowl = {double(left), double(top), double(bowlRight), double(bowlBottom), 10 * s};
        counter = {double(stemRight), double(counterTop), double(counterRight),
                   double(counterBottom), 3.5 * s};
        // "+": two bars of one thickness crossing at their middles, which needs the same
        // parity of length and thickness.
        const long thick = std::max(1L, at(6.2));
        long length = at(32.4);
        if ((length - thick) % 2 != 0) ++length;
        const long acrossLeft = std::lround(71.2 * s - length / 2.0);
        const long downTop = std::lround(54 * s - length / 2.0);
        across = {double(acrossLeft), double(downTop + (length - thick) / 2),
                  double(acrossLeft + length), double(downTop + (length + thick) / 2), 0};
        down = {double(acrossLeft + (length - thick) / 2), double(downTop),
                double(acrossLeft + (length + thick) / 2), double(downTop + length), 0};
    }

    bool Contains(double x, double y) const {
        return stem.Contains(x, y) || (bowl.Contains(x, y) && !counter.Contains(x, y)) ||
               across.Contains(x, y) || down.Contains(x, y);
    }
};

void PutU8(std::string& s, unsigned v) {
    s += static_cast<char>(v & 0xFF);
}
void PutU16(std::string& s, unsigned v) {
    PutU8(s, v);
    PutU8(s, v >> 8);
}
void PutU32(std::string& s, std::uint32_t v) {
    PutU16(s, v & 0xFFFF);
    PutU16(s, v >> 16);
}
void PutU32BigEndian(std::string& s, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8)
        PutU8(s, v >> shift);
}

// One PNG chunk: length, type, data, CRC-32 of type and data.
void PutChunk(std::string& png, const char* type, const std::string& data) {
    PutU32BigEndian(png, static_cast<std::uint32_t>(data.size()));
    const std::string typed = std::string(type, 4) + data;
    png += typed;
    PutU32BigEndian(png, static_cast<std::uint32_t>(crc32(
                             0, reinterpret_cast<const Bytef*>(typed.data()),
                             static_cast<uInt>(typed.size()))));
}

// The icon image of a bitmap entry: BITMAPINFOHEADER (the height counts the colour rows and
// the mask rows), BGRA rows from the bottom, then the AND mask (all zero: every pixel is
// opaque), rows padded to 32 bits.
std::string BitmapImage(const std::vector<std::uint32_t>& picture, int size) {
    std::string s;
    PutU32(s, 40);
    PutU32(s, static_cast<std::uint32_t>(size));
    PutU32(s, static_cast<std::uint32_t>(size * 2));
    PutU16(s, 1);  // planes
    PutU16(s, 32); // bits per pixel
    for (int i = 0; i < 6; ++i)
        PutU32(s, 0); // BI_RGB, image size, resolution, palette
    for (int y = size - 1; y >= 0; --y)
        for (int x = 0; x < size; ++x)
            PutU32(s, picture[static_cast<size_t>(y) * size + x]); // little-endian: B G R A
    const size_t maskRow = static_cast<size_t>((size + 31) / 32) * 4;
    s.append(maskRow * size, '\0');
    return s;
}

} // namespace

std::vector<std::uint32_t> MarkPicture(int size) {
    if (size < 16 || size > 256) throw std::invalid_argument("icon size out of range");
    const Mark mark(size);
    const long border = std::max(1L, std::lround(kBorder * size / kLogoSize));
    // Each pixel is white as far as 16 x 16 points spread over it lie in the mark. Below 32
    // pixels a smoothed edge would blur a whole stroke: there a pixel is white or red, by the
    // larger share.
    constexpr int kSamples = 16;
    const bool crisp = size < 32;
    std::vector<std::uint32_t> picture(static_cast<size_t>(size) * size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            std::uint32_t& pixel = picture[static_cast<size_t>(y) * size + x];
            if (x < border || y < border || x >= size - border || y >= size - border) {
                pixel = 0xFFFFFF00; // yellow
                continue;
            }
            int inside = 0;
            for (int sy = 0; sy < kSamples; ++sy)
                for (int sx = 0; sx < kSamples; ++sx)
                    if (mark.Contains(x + (sx + 0.5) / kSamples, y + (sy + 0.5) / kSamples))
                        ++inside;
            // White over red: green and blue rise with the share of the pixel covered.
            std::uint32_t level = static_cast<std::uint32_t>(
                (inside * 255 + kSamples * kSamples / 2) / (kSamples * kSamples));
            if (crisp) level = level >= 128 ? 255 : 0;
            pixel = 0xFFFF0000 | level << 8 | level;
        }
    }
    return picture;
}

std::string PngImage(const std::vector<std::uint32_t>& picture, int size) {
    std::string rows;
    rows.reserve(static_cast<size_t>(size) * (size * 4 + 1));
    for (int y = 0; y < size; ++y) {
        PutU8(rows, 0); // no filter
        for (int x = 0; x < size; ++x) {
            const std::uint32_t p = picture[static_cast<size_t>(y) * size + x];
            PutU8(rows, p >> 16);
            PutU8(rows, p >> 8);
            PutU8(rows, p);
            PutU8(rows, p >> 24);
        }
    }
    uLongf packedSize = compressBound(static_cast<uLong>(rows.size()));
    std::string packed(packedSize, '\0');
    if (compress2(reinterpret_cast<Bytef*>(packed.data()), &packedSize,
                  reinterpret_cast<const Bytef*>(rows.data()), static_cast<uLong>(rows.size()),
                  Z_BEST_COMPRESSION) != Z_OK)
        throw std::runtime_error("cannot deflate the icon picture");
    packed.resize(packedSize);

    std::string header;
    PutU32BigEndian(header, static_cast<std::uint32_t>(size));
    PutU32BigEndian(header, static_cast<std::uint32_t>(size));
    PutU8(header, 8); // bits per channel
    PutU8(header, 6); // red, green, blue, alpha
    PutU8(header, 0); // deflate
    PutU8(header, 0); // adaptive filtering
    PutU8(header, 0); // not interlaced
    std::string png("\x89PNG\r\n\x1a\n", 8);
    PutChunk(png, "IHDR", header);
    PutChunk(png, "IDAT", packed);
    PutChunk(png, "IEND", "");
    return png;
}

std::string IconFile(const std::vector<int>& sizes, const std::vector<int>& bitmapSizes) {
    std::vector<std::string> images;
    for (int size : sizes) {
        const std::vector<std::uint32_t> picture = MarkPicture(size);
        const bool bitmap =
            std::find(bitmapSizes.begin(), bitmapSizes.end(), size) != bitmapSizes.end();
        images.push_back(bitmap ? BitmapImage(picture, size) : PngImage(picture, size));
    }
    std::string file;
    PutU16(file, 0);
    PutU16(file, 1); // an icon, not a cursor
    PutU16(file, static_cast<unsigned>(sizes.size()));
    std::uint32_t offset = static_cast<std::uint32_t>(6 + 16 * sizes.size());
    for (size_t i = 0; i < sizes.size(); ++i) {
        PutU8(file, sizes[i] & 0xFF); // 256 is written as 0
        PutU8(file, sizes[i] & 0xFF);
        PutU8(file, 0); // no palette
        PutU8(file, 0);
        PutU16(file, 1);  // planes
        PutU16(file, 32); // bits per pixel
        PutU32(file, static_cast<std::uint32_t>(images[i].size()));
        PutU32(file, offset);
        offset += static_cast<std::uint32_t>(images[i].size());
    }
    for (const std::string& image : images)
        file += image;
    return file;
}
