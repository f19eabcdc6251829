// How the eight settings become the eight parameters of a rain field. Kept apart from the
// engine so that the dialog and the saver windows share one mapping and tests need no rain:
// the caller passes the result on with ConfigureRainField.
#pragma once

#include <cstdint>

#include "engine/surface.h"

class SettingControls;
class Vellix;

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
// rainField.Configure(args.stepInterval, args.fallerCount, ...), in that order.
void ConfigureRainField(Vellix& rainField, const ConfigureArgs& args);
