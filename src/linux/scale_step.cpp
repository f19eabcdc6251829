// The midpoints between steps (1.125, 1.375, ...) are exact in binary, so a tie is a tie and
// goes up, whatever the platform's rounding.
#include "linux/scale_step.h"

#include <cmath>

ScaleStep NearestScaleStep(double scale) {
  if (!(scale > kScaleSteps[0] / 100.0)) return kScaleSteps[0];
  ScaleStep nearest = kScaleSteps[0];
  for (const ScaleStep step : kScaleSteps) {
    const double distance = std::fabs(scale - step / 100.0);
    const double best = std::fabs(scale - nearest / 100.0);
    if (distance <= best) nearest = step;  // equal: the later, larger step wins the tie
  }
  return nearest;
}

ScaleStep ScaleStepOfDpi(double dpi) { return dpi > 0 ? NearestScaleStep(dpi / 96.0) : kScaleSteps[0]; }
