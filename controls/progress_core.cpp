#include "controls/progress_core.h"

#include <cstdlib>

namespace {

// numerator / denominator rounded to the nearest integer, halves to even, computed exactly:
// 27 of 200 is 13.5 percent, which a binary floating-point quotient may put on either side.
long long DivideRounded(long long numerator, long long denominator) {
    if (denominator < 0) {
        numerator = -numerator;
        denominator = -denominator;
    }
    bool negative = numerator < 0;
    unsigned long long n = negative ? 0ULL - static_cast<unsigned long long>(numerator)
                                    : static_cast<unsigned long long>(numerator);
    unsigned long long d = static_cast<unsigned long long>(denominator);
    unsigned long long q = n / d, r = n % d;
    if (2 * r > d || (2 * r == d && q % 2 == 1)) ++q;
    long long result = static_cast<long long>(q);
    return negative ? -result : result;
}

constexpr int kBlockWidth = 7;
constexpr int kBlockPitch = 9;

} // namespace

int ProgressPercent(long long position, long long min, long long max) {
    if (max == min) return 0;
    return static_cast<int>(DivideRounded(100 * (position - min), max - min));
}

int ProgressLevel(int percent, int level1Perc, int level2Perc) {
    if (percent < level1Perc) return 0;
    if (percent < level2Perc) return 1;
    if (percent < 100) return 2;
    return 3;
}

std::vector<tk::TRect> ProgressBlocks(const tk::TRect& client, int percent) {
    std::vector<tk::TRect> blocks;
    if (percent <= 0) return blocks;
    long long length = client.Width() - 2;
    int q = static_cast<int>(DivideRounded(length * percent, 100));
    int top = client.Top + 2, bottom = client.Bottom - 2;
    int left = client.Left + 2;
    if (q <= 1) return blocks;
    if (q <= kBlockPitch) {
        blocks.push_back({left, top, client.Left + q + 1, bottom});
        return blocks;
    }
    blocks.push_back({left, top, left + kBlockWidth, bottom});
    int right = left + kBlockWidth;
    for (int i = 1; i < q / kBlockPitch; ++i) {
        blocks.push_back({right + 2, top, right + 2 + kBlockWidth, bottom});
        right += 2 + kBlockWidth;
    }
    int rest = q % kBlockPitch;
    if (rest > 2) blocks.push_back({right + 2, top, right + 2 + rest - 1, bottom});
    return blocks;
}

std::vector<TFill> ProgressBlockFills(const tk::TRect& block, tk::TColor main, tk::TColor pale,
                                      int steps, bool gradient) {
    if (!gradient) return {{block, main}};
    int middle = block.Top + block.Height() / 2;
    std::vector<TFill> fills = BandGradient({block.Left, block.Top, block.Right, middle}, pale,
                                            main, steps, gdVertical, TBandCopy::ProgressBar);
    std::vector<TFill> lower = BandGradient({block.Left, middle, block.Right, block.Bottom}, main,
                                            pale, steps, gdVertical, TBandCopy::ProgressBar);
    fills.insert(fills.end(), lower.begin(), lower.end());
    return fills;
}

tk::TPoint ProgressTextOrigin(const tk::TRect& client, tk::TSize text) {
    return {client.Left + client.Width() / 2 - text.cx / 2,
            client.Top + client.Height() / 2 - text.cy / 2};
}

std::string ProgressText(int percent, long long position, bool showPercentage) {
    return showPercentage ? std::to_string(percent) + "%" : std::to_string(position);
}

void TProgressPosition::ComputeStepSize() {
    stepSize_ = (max_ - min_) / 100;
}

void TProgressPosition::SetMin(long long min) {
    min_ = min;
    ComputeStepSize();
    // A position left outside the new range would show a percentage beyond 0..100.
    if (position_ < min_) position_ = min_;
}

void TProgressPosition::SetMax(long long max) {
    max_ = max;
    ComputeStepSize();
    if (position_ > max_) position_ = max_;
}

bool TProgressPosition::SetPosition(long long position) {
    if (position < min_ || position > max_) {
        position_ = position < min_ ? min_ : max_;
        return false;
    }
    position_ = position;
    int percent = Percent();
    bool paint = stepSize_ == 0 || position % stepSize_ == 0 || position / stepSize_ != lastStep_ ||
                 percent != lastPercent_;
    lastPercent_ = percent;
    if (stepSize_ != 0) lastStep_ = position / stepSize_;
    return paint;
}
