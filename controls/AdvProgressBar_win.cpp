#include "controls/AdvProgressBar.h"

#include "controls/draw_win.h"

#include <oleacc.h>

#include <algorithm>

namespace {

// The key colour of the corners outside the rounded border.
constexpr tk::TColor kCornerKey = 0x00FF00FF;

} // namespace

TAdvProgressBar::TAdvProgressBar(tk::TControl* parent) : tk::TControl(parent) {
    SetBounds(0, 0, 128, 18);
    tk::TFont font;
    font.SetName("Verdana");
    font.SetHeight(-13);
    font.SetColor(tk::clWindowText);
    SetFont(font);
    // The corners outside the rounded border show what lies behind the bar.
    SetTransparent(rounded_);
    Accessibility.Role = ROLE_SYSTEM_PROGRESSBAR;
    Accessibility.Value = [this] { return ProgressText(Percent(), Position(), true); };
    Accessibility.State = STATE_SYSTEM_READONLY;
    announcedPercent_ = Percent();
}

void TAdvProgressBar::Changed() {
    Invalidate();
}

void TAdvProgressBar::AnnouncePercent() {
    if (Percent() == announcedPercent_) return;
    announcedPercent_ = Percent();
    tk::NotifyAccessibleEvent(Handle(), EVENT_OBJECT_VALUECHANGE);
}

void TAdvProgressBar::SetMin(long long min) {
    position_.SetMin(min);
    Changed();
    AnnouncePercent();
}

void TAdvProgressBar::SetMax(long long max) {
    position_.SetMax(max);
    Changed();
    AnnouncePercent();
}

void TAdvProgressBar::SetPosition(long long position) {
    if (position_.SetPosition(position)) PaintNow();
    AnnouncePercent();
}

void TAdvProgressBar::PaintNow() {
    if (!HandleAllocated() || !IsWindowVisible(Handle())) return;
    tk::ClientDC dc(Handle());
    PaintTo(dc.Get());
}

void TAdvProgressBar::SetLevelColor(int level, tk::TColor color) {
    levelColor_[level & 3] = color;
    Changed();
}

void TAdvProgressBar::SetLevelColorTo(int level, tk::TColor color) {
    levelColorTo_[level & 3] = color;
    Changed();
}

void TAdvProgressBar::SetLevel1Perc(int percent) {
    level1Perc_ = percent;
    Changed();
}

void TAdvProgressBar::SetLevel2Perc(int percent) {
    level2Perc_ = percent;
    Changed();
}

void TAdvProgressBar::SetBackgroundColor(tk::TColor color) {
    backgroundColor_ = color;
    Changed();
}

void TAdvProgressBar::SetBorderColor(tk::TColor color) {
    borderColor_ = color;
    Changed();
}

void TAdvProgressBar::SetShowBorder(bool show) {
    showBorder_ = show;
    Changed();
}

void TAdvProgressBar::SetRounded(bool rounded) {
    rounded_ = rounded;
    SetTransparent(rounded);
}

void TAdvProgressBar::SetShowGradient(bool show) {
    showGradient_ = show;
    Changed();
}

void TAdvProgressBar::SetSteps(int steps) {
    steps_ = steps;
    Changed();
}

void TAdvProgressBar::SetShowPosition(bool show) {
    showPosition_ = show;
    Changed();
}

void TAdvProgressBar::SetShowPercentage(bool show) {
    showPercentage_ = show;
    Changed();
}

void TAdvProgressBar::Paint(tk::TCanvas& canvas) {
    int width = ClientWidth(), height = ClientHeight();
    if (width <= 0 || height <= 0) return;
    tk::TRect client{0, 0, width, height};
    // Every paint covers each pixel of the bitmap before it copies it once: the corner key
    // first when rounded, else the bordered rectangle.
    tk::TBitmap& bitmap = frame_;
    if (bitmap.Width() != width || bitmap.Height() != height) bitmap.SetSize(width, height);
    tk::TCanvas& c = bitmap.Canvas();
    if (rounded_) DrawFills(c, {{client, kCornerKey}});
    // Border, corners and blocks grow with the scale; a wide border stays inside the bar.
    const TProgressMetrics metrics = ProgressMetricsAt(Dpi());
    c.Brush.Clear = false;
    c.Brush.Color = backgroundColor_;
    c.Pen.Clear = false;
    c.Pen.Width = metrics.Border;
    c.Pen.InsideFrame = metrics.Border > 1;
    c.Pen.Color = showBorder_ ? borderColor_ : backgroundColor_;
    if (rounded_) {
        int corner = tk::Scale(6, Dpi());
        c.RoundRect(0, 0, width, height, corner, corner);
    } else {
        c.Rectangle(0, 0, width, height);
    }

    int percent = position_.Percent();
    int level = ProgressLevel(percent, level1Perc_, level2Perc_);
    tk::TColor main = tk::ResolveColor(levelColor_[level]);
    tk::TColor pale = tk::ResolveColor(levelColorTo_[level]);
    // Blocks of one size look alike: the first is drawn band by band, the others are
    // copies of it (hundreds of fills per paint otherwise). The evenly spaced run of
    // blocks from the first is copied onward doubling (the gaps between the blocks are
    // the bar's plain inside), a few copies instead of one per block.
    const std::vector<tk::TRect> blocks = ProgressBlocks(client, percent, metrics);
    size_t copied = 0;
    if (!blocks.empty()) {
        const tk::TRect& first = blocks.front();
        DrawFills(c, ProgressBlockFills(first, main, pale, steps_, showGradient_));
        copied = 1;
        const int pitch = blocks.size() > 1 ? blocks[1].Left - first.Left : 0;
        size_t run = 1;
        while (run < blocks.size() && blocks[run].Width() == first.Width() &&
               blocks[run].Top == first.Top && blocks[run].Height() == first.Height() &&
               blocks[run].Left == first.Left + static_cast<int>(run) * pitch)
            ++run;
        while (copied < run) {
            size_t count = std::min(copied, run - copied);
            int width = blocks[count - 1].Right - first.Left;
            BitBlt(c.Handle(), blocks[copied].Left, first.Top, width, first.Height(), c.Handle(),
                   first.Left, first.Top, SRCCOPY);
            copied += count;
        }
    }
    for (size_t i = copied; i < blocks.size(); ++i) {
        const tk::TRect& block = blocks[i];
        const tk::TRect& first = blocks.front();
        if (block.Width() == first.Width() && block.Height() == first.Height())
            BitBlt(c.Handle(), block.Left, block.Top, block.Width(), block.Height(), c.Handle(),
                   first.Left, first.Top, SRCCOPY);
        else
            DrawFills(c, ProgressBlockFills(block, main, pale, steps_, showGradient_));
    }

    if (showPosition_) {
        c.Brush.Clear = true;
        c.Font = Font();
        std::string text = ProgressText(percent, position_.Position(), showPercentage_);
        tk::TPoint at = ProgressTextOrigin(client, c.TextExtent(text));
        c.TextOut(at.X, at.Y, text);
        c.Brush.Clear = false;
    }

    if (rounded_)
        canvas.DrawTransparent(0, 0, bitmap, bitmap.Pixel(0, height - 1));
    else
        canvas.Draw(0, 0, bitmap);
}

namespace {

// "Level2ColorTo" -> 2 with `suffix` "ColorTo"; -1 when the name is not of that form.
int LevelOf(const std::string& name, const char* suffix) {
    std::string tail = suffix;
    if (name.size() != 6 + tail.size() || name.compare(0, 5, "Level") != 0 ||
        name.compare(6, std::string::npos, tail) != 0)
        return -1;
    char digit = name[5];
    return digit >= '0' && digit <= '3' ? digit - '0' : -1;
}

} // namespace

void TAdvProgressBar::SetProperty(const std::string& name, const tk::LayoutValue& value) {
    if (int level = LevelOf(name, "Color"); level >= 0) {
        SetLevelColor(level, ParseColorValue(name, value));
    } else if (int levelTo = LevelOf(name, "ColorTo"); levelTo >= 0) {
        SetLevelColorTo(levelTo, ParseColorValue(name, value));
    } else if (name == "Min") {
        SetMin(ParseInt(name, value));
    } else if (name == "Max") {
        SetMax(ParseInt(name, value));
    } else if (name == "Position") {
        SetPosition(ParseInt(name, value));
    } else if (name == "Level1Perc") {
        SetLevel1Perc(ParseInt(name, value));
    } else if (name == "Level2Perc") {
        SetLevel2Perc(ParseInt(name, value));
    } else if (name == "BackgroundColor") {
        SetBackgroundColor(ParseColorValue(name, value));
    } else if (name == "BorderColor") {
        SetBorderColor(ParseColorValue(name, value));
    } else if (name == "ShowBorder") {
        SetShowBorder(ParseBool(name, value));
    } else if (name == "Rounded") {
        SetRounded(ParseBool(name, value));
    } else if (name == "Stacked") {
        SetStacked(ParseBool(name, value));
    } else if (name == "CompletionSmooth") {
        SetCompletionSmooth(ParseBool(name, value));
    } else if (name == "ShowGradient") {
        SetShowGradient(ParseBool(name, value));
    } else if (name == "Steps") {
        SetSteps(ParseInt(name, value));
    } else if (name == "ShowPosition") {
        SetShowPosition(ParseBool(name, value));
    } else if (name == "ShowPercentage") {
        SetShowPercentage(ParseBool(name, value));
    } else {
        tk::TControl::SetProperty(name, value);
    }
}
