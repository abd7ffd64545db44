#include "tools/icon_core.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Each pixel as a letter: Y yellow, R red, W white, - a partly covered edge.
std::string Row(const std::vector<std::uint32_t>& picture, int size, int y) {
    std::string row;
    for (int x = 0; x < size; ++x) {
        std::uint32_t p = picture[static_cast<size_t>(y) * size + x];
        row += p == 0xFFFFFF00 ? 'Y' : p == 0xFFFF0000 ? 'R' : p == 0xFFFFFFFF ? 'W' : '-';
    }
    return row;
}

// The runs of a row, edges dropped: "YYRRWW-RR" gives "YRWR".
std::string Runs(const std::string& row) {
    std::string runs;
    for (char c : row)
        if (c != '-' && (runs.empty() || runs.back() != c)) runs += c;
    return runs;
}

} // namespace

// At every size the mark reads as "P+": some row crosses the stem, the open counter, the
// bowl and the plus's upright, each on whole pixels; the stem is one clean column of white
// with clean red beside it.
TEST(MarkPicture, PAndPlusOnWholePixelsAtEverySize) {
    for (int size : kIconSizes) {
        const std::vector<std::uint32_t> picture = MarkPicture(size);
        ASSERT_EQ(picture.size(), static_cast<size_t>(size) * size);
        int across = 0, stemX = -1;
        for (int y = 0; y < size; ++y) {
            const std::string row = Row(picture, size, y);
            if (Runs(row) == "YRWRWRWRY") {
                ++across;
                stemX = static_cast<int>(row.find('W'));
            }
        }
        EXPECT_GE(across, 1) << size;
        ASSERT_GT(stemX, 0) << size;
        int stem = 0, beside = 0;
        for (int y = 0; y < size; ++y) {
            if (Row(picture, size, y)[stemX] != 'W') continue;
            ++stem;
            if (Row(picture, size, y)[stemX - 1] == 'R') ++beside;
        }
        EXPECT_GE(stem, size * 35 / 105) << size; // the logo's letters are 37 of 105 high
        EXPECT_EQ(beside, stem) << size;
    }
}
