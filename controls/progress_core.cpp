#include "controls/progress_core.h"

#include "toolkit/dpi.h"

#include <algorithm>
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

TProgressMetrics ProgressMetricsAt(int dpi) {
    TProgressMetrics m;
    for (int* figure : {&m.Border, &m.Inset, &m.Block, &m.Gap})
        *figure = std::max(1, tk::Scale(*figure, dpi));
    return m;
}

std::vector<tk::TRect> ProgressBlocks(const tk::TRect& client, int percent,
                                      const TProgressMetrics& m) {
    std::vector<tk::TRect> blocks;
    if (percent <= 0) return blocks;
    long long length = client.Width() - 2 * m.Border;
    int q = static_cast<int>(DivideRounded(length * percent, 100));
    int top = client.Top + m.Inset, bottom = client.Bottom - m.Inset;
    int left = client.Left + m.Inset;
    // The blocks end where the shown length ends, measured from inside the border.
    int end = client.Left + m.Border + q;
    int pitch = m.Block + m.Gap;
    if (q <= m.Border) return blocks;
    if (q <= pitch) {
        if (end > left) blocks.push_back({left, top, end, bottom});
        return blocks;
    }
    int x = left;
    for (int i = 0; i < q / pitch; ++i, x += pitch)
        blocks.push_back({x, top, x + m.Block, bottom});
    if (q % pitch > m.Inset) blocks.push_back({x, top, end, bottom});
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
