// Density sets how many wiping actors run (2a of them); Balance shifts them between fallers
// and erasers. Signed 32-bit arithmetic, the division truncating toward zero.
#include "settings/configure_args.h"

#include "engine/vellix.h"
#include "settings/setting_controls.h"

ConfigureArgs ConfigureArgsFrom(const SettingControls& controls) {
  const std::int32_t a = controls.Get(SettingId::Density) + 5;
  // C++ integer division truncates toward zero: Density 0 with Balance -50 gives -2, not -3.
  const std::int32_t b = (a * controls.Get(SettingId::Balance)) / 100;
  ConfigureArgs args;
  args.stepInterval = 210 - controls.Get(SettingId::Speed);
  args.fallerCount = a + b;
  args.eraserCount = a - b;
  args.riserCount = controls.Get(SettingId::Inversion);
  args.noiseCount = controls.Get(SettingId::Noise);
  args.normalColor = static_cast<Color>(controls.Get(SettingId::NormalColor));
  args.lightColor = static_cast<Color>(controls.Get(SettingId::LightColor));
  args.darkColor = static_cast<Color>(controls.Get(SettingId::DarkColor));
  return args;
}

void ConfigureRainField(Vellix& rainField, const ConfigureArgs& args) {
  rainField.Configure(args.stepInterval, args.fallerCount, args.eraserCount, args.riserCount, args.noiseCount,
                      static_cast<std::int32_t>(args.normalColor), static_cast<std::int32_t>(args.lightColor),
                      static_cast<std::int32_t>(args.darkColor));
}
