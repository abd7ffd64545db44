#pragma once
// TAdvProgressBar: the levelled progress bar of the progress window. Its blocks and their
// colour follow the percentage through four levels (green below Level1Perc, yellow below
// Level2Perc, orange below 100, red at 100), with the percentage written centred over them.
// A new Position is painted at once, into the window, and only when it shows something new.
#include "controls/progress_core.h"
#include "toolkit/control.h"

class TAdvProgressBar : public tk::TControl {
public:
    // A new bar is 128 x 18 pixels with a Verdana 10-point font (13 pixels).
    explicit TAdvProgressBar(tk::TControl* parent);
    const char* ClassName() const override { return "TAdvProgressBar"; }

    long long Min() const { return position_.Min(); }
    long long Max() const { return position_.Max(); }
    long long Position() const { return position_.Position(); }
    // Store the bound, recompute the step size and request a deferred repaint.
    void SetMin(long long min);
    void SetMax(long long max);
    // Within Min..Max: stores the position and, when it shows a new step or percentage,
    // paints the bar at once (synchronously, not through a deferred repaint). Outside: the
    // position becomes the nearer bound and nothing is painted.
    void SetPosition(long long position);
    // The percentage the current position shows.
    int Percent() const { return position_.Percent(); }

    // Level 0..3 colours: the main colour and the pale one the blocks fade to at their edges.
    tk::TColor LevelColor(int level) const { return levelColor_[level & 3]; }
    tk::TColor LevelColorTo(int level) const { return levelColorTo_[level & 3]; }
    void SetLevelColor(int level, tk::TColor color);
    void SetLevelColorTo(int level, tk::TColor color);
    int Level1Perc() const { return level1Perc_; }
    void SetLevel1Perc(int percent);
    int Level2Perc() const { return level2Perc_; }
    void SetLevel2Perc(int percent);
    tk::TColor BackgroundColor() const { return backgroundColor_; }
    void SetBackgroundColor(tk::TColor color);
    tk::TColor BorderColor() const { return borderColor_; }
    void SetBorderColor(tk::TColor color);
    bool ShowBorder() const { return showBorder_; }
    void SetShowBorder(bool show);
    // Rounded corners, outside of which the parent shows through.
    bool Rounded() const { return rounded_; }
    void SetRounded(bool rounded);
    bool ShowGradient() const { return showGradient_; }
    void SetShowGradient(bool show);
    // Bands per half block.
    int Steps() const { return steps_; }
    void SetSteps(int steps);
    bool ShowPosition() const { return showPosition_; }
    void SetShowPosition(bool show);
    bool ShowPercentage() const { return showPercentage_; }
    void SetShowPercentage(bool show);
    // Stored for layouts; stacked and smooth bars are not drawn.
    bool Stacked() const { return stacked_; }
    void SetStacked(bool stacked) { stacked_ = stacked; }
    bool CompletionSmooth() const { return completionSmooth_; }
    void SetCompletionSmooth(bool smooth) { completionSmooth_ = smooth; }

    void Paint(tk::TCanvas& canvas) override;
    // Min, Max, Position, Level0Color .. Level3Color, Level0ColorTo .. Level3ColorTo,
    // Level1Perc, Level2Perc, BackgroundColor, BorderColor, ShowBorder, Rounded, Stacked,
    // CompletionSmooth, ShowGradient, Steps, ShowPosition, ShowPercentage; the rest as any
    // control.
    void SetProperty(const std::string& name, const tk::LayoutValue& value) override;

private:
    void Changed();
    // Paints the bar into its window now, if it has one.
    void PaintNow();
    // Tells screen readers about a new percentage (not about every new position).
    void AnnouncePercent();

    TProgressPosition position_;
    tk::TColor levelColor_[4] = {tk::clLime, tk::clYellow, 0x0053A9FF, tk::clRed};
    tk::TColor levelColorTo_[4] = {0x00E1FFE1, 0x00CAFFFF, 0x00A8D3FF, 0x00CACAFF};
    int level1Perc_ = 70;
    int level2Perc_ = 90;
    tk::TColor backgroundColor_ = tk::clWhite;
    tk::TColor borderColor_ = tk::clGray;
    bool showBorder_ = true;
    bool rounded_ = true;
    bool stacked_ = false;
    bool completionSmooth_ = false;
    bool showGradient_ = true;
    int steps_ = 8;
    bool showPosition_ = true;
    bool showPercentage_ = true;
    int announcedPercent_ = 0;
    // Drawn into whole at each paint; kept between paints, which come with every file
    // written, rather than made anew each time.
    tk::TBitmap frame_;
};
