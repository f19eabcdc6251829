// How the eight settings become the eight parameters of a rain field. Kept apart from the
// engine so that the dialog and the saver windows share one mapping and tests need no rain:
// the caller passes the result on, rain.Configure(a.stepInterval, a.fallerCount, ...).
#pragma once

#include <cstdint>

#include "engine/surface.h"

class SettingControls;

// The arguments of Vellix::Configure, in its order.
struct ConfigureArgs {
  std::int32_t stepInterval;
  std::int32_t fallerCount;
  std::int32_t eraserCount;
  std::int32_t riserCount;
  std::int32_t noiseCount;
  Color normalColor;
  Color lightColor;
  Color darkColor;
};

ConfigureArgs ConfigureArgsFrom(const SettingControls& controls);
