#pragma once
// Drawing helpers the four controls share.
#include "controls/gradient_core.h"
#include "toolkit/canvas.h"

// Fills each rectangle in its colour, in order (brush only: a filled rectangle with an
// outline in the same colour gives the same pixels).
void DrawFills(tk::TCanvas& canvas, const std::vector<TFill>& fills);

// A colour property's RGB value now: system colours through the desktop's scheme, plain
// colours unchanged, clNone kept as clNone ("not set").
tk::TColor ResolveOrNone(tk::TColor color);
