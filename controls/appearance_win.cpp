#include "controls/appearance.h"
#include "controls/draw_win.h"

void DrawFills(tk::TCanvas& canvas, const std::vector<TFill>& fills) {
    canvas.Brush.Clear = false;
    for (const TFill& fill : fills) {
        canvas.Brush.Color = fill.Color;
        canvas.FillRect(fill.Rect);
    }
}

tk::TColor ResolveOrNone(tk::TColor color) {
    return color == tk::clNone ? tk::clNone : tk::ResolveColor(color);
}

void RegisterAppearanceControls() {
    tk::RegisterControlClass<TJvGradient>();
    tk::RegisterControlClass<TAdvPanel>();
    tk::RegisterControlClass<TAdvToolButton>();
    tk::RegisterControlClass<TAdvProgressBar>();
}
