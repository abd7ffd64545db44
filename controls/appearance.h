#pragma once
// The four self-drawn controls that give the installer's windows their look.
#include "controls/AdvPanel.h"
#include "controls/AdvProgressBar.h"
#include "controls/AdvToolButton.h"
#include "controls/JvGradient.h"

// Registers TJvGradient, TAdvPanel, TAdvToolButton and TAdvProgressBar for layouts.
void RegisterAppearanceControls();
