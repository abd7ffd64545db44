#pragma once
// The levelled progress bar without the window system: the percentage, the level it selects,
// the blocks that show it and the rule that decides when a new position is painted.
#include "controls/gradient_core.h"

#include <string>

// Round(100 * (position - min) / (max - min)), halves to even; 0 when max equals min.
int ProgressPercent(long long position, long long min, long long max);

// The level of a percentage, first match wins: below level1Perc 0, below level2Perc 1,
// below 100 2, otherwise 3.
int ProgressLevel(int percent, int level1Perc, int level2Perc);

// The bar's figures in pixels: the border's width, how far the blocks stay inside the bar's
// edges, a block's width and the gap between blocks. The defaults are those at 96 dpi.
struct TProgressMetrics {
    int Border = 1;
    int Inset = 2;
    int Block = 7;
    int Gap = 2;
};
// The figures at `dpi`, each scaled and at least 1 pixel.
TProgressMetrics ProgressMetricsAt(int dpi);

// The blocks that show `percent` in a horizontal bar whose client rectangle is `client`:
// Q = Round(c * percent / 100) pixels of the usable length c = width - 2 * Border, laid out
// from the left in blocks of Block pixels at a pitch of Block + Gap, the first starting Inset
// pixels inside; every block spans the rows Top + Inset to Bottom - Inset, and none reaches
// past Left + Border + Q. At 96 dpi: Q <= 1 gives no block, 2..9 one block Q - 1 wide, and a
// remainder Q mod 9 above 2 one last block (Q mod 9) - 1 wide.
std::vector<tk::TRect> ProgressBlocks(const tk::TRect& client, int percent,
                                      const TProgressMetrics& metrics = {});

// One block in the level's colours: with `gradient`, its upper half (top to top + height div 2)
// from `pale` to `main` and its lower half from `main` to `pale`, each the progress bar's copy
// of the band gradient in `steps` vertical bands; without, a plain fill in `main`.
std::vector<TFill> ProgressBlockFills(const tk::TRect& block, tk::TColor main, tk::TColor pale,
                                      int steps, bool gradient);

// Where the centred text of size `text` is written in `client`:
// x = Left + width div 2 - text width div 2, y likewise.
tk::TPoint ProgressTextOrigin(const tk::TRect& client, tk::TSize text);

// The bar's text: the percentage followed by "%", or the position alone.
std::string ProgressText(int percent, long long position, bool showPercentage);

// Min, Max and Position with the rule for painting a new position. The step size is
// (Max - Min) div 100; a position is painted at once when it lands on a multiple of the step
// size or in another step, or shows another percentage, so that a position advanced byte by
// byte paints about once per step.
class TProgressPosition {
public:
    long long Min() const { return min_; }
    long long Max() const { return max_; }
    long long Position() const { return position_; }
    long long StepSize() const { return stepSize_; }
    // The percentage of the current position.
    int Percent() const { return ProgressPercent(position_, min_, max_); }

    void SetMin(long long min);
    void SetMax(long long max);
    // A position within Min..Max is stored; returns true when it must be painted now. One
    // outside is clamped to the nearer end and returns false: the bar keeps its picture.
    bool SetPosition(long long position);

private:
    void ComputeStepSize();

    long long min_ = 0;
    long long max_ = 100;
    long long position_ = 50;
    long long stepSize_ = 1;
    int lastPercent_ = 0;
    long long lastStep_ = 0;
};
