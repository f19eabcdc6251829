// The scales the glyph sheets are made at. A screen's scale (its DPI / 96, or a Wayland
// output's integer scale) is taken to the nearest of them, so every glyph is drawn from a sheet
// made at its size instead of a stretched one.
#pragma once

#include <cstdint>

// A scale in hundredths: one of kScaleSteps.
using ScaleStep = std::int32_t;

inline constexpr ScaleStep kScaleSteps[] = {100, 125, 150, 175, 200, 250, 300};

// The step nearest to `scale` (1.0 is 96 DPI); a tie goes to the larger step, below the first
// step is the first and above the last the last. Not a number: the first step.
ScaleStep NearestScaleStep(double scale);

// The step of a screen of `dpi` dots per inch (96 is step 100); 0 or less means unknown: 100.
ScaleStep ScaleStepOfDpi(double dpi);
