// The mapping from the eight settings to the rain's parameters, row by row, including the
// cases where truncation toward zero and the ends of the Balance range decide the counts.
#include <gtest/gtest.h>

#include "common/memory_setting_controls.h"
#include "settings/configure_args.h"

struct MappingRow {
  std::int32_t speed, density, balance, inversion, noise;
  std::int32_t stepInterval, fallerCount, eraserCount, riserCount, noiseCount;
};

TEST(ConfigureArgsTest, MapsSlidersToRainParameters) {
  const MappingRow rows[] = {
      {150, 20, -30, 0, 250, 60, 18, 32, 0, 250},  // the design-time values
      {200, 0, 50, 0, 0, 10, 7, 3, 0, 0},
      {100, 0, -50, 200, 500, 110, 3, 7, 200, 500},  // b = -2.5 truncates to -2, not -3
      {150, 0, -20, 0, 250, 60, 4, 6, 0, 250},
      {150, 0, -19, 0, 250, 60, 5, 5, 0, 250},  // b = -0.95 truncates to 0
      {150, 200, 100, 0, 250, 60, 410, 0, 0, 250},
      {150, 200, -100, 0, 250, 60, 0, 410, 0, 250},
  };
  for (const MappingRow& row : rows) {
    SCOPED_TRACE(testing::Message() << "speed " << row.speed << " density " << row.density << " balance "
                                    << row.balance);
    MemorySettingControls controls;
    controls.Set(SettingId::Speed, row.speed);
    controls.Set(SettingId::Density, row.density);
    controls.Set(SettingId::Balance, row.balance);
    controls.Set(SettingId::Inversion, row.inversion);
    controls.Set(SettingId::Noise, row.noise);
    const ConfigureArgs args = ConfigureArgsFrom(controls);
    EXPECT_EQ(args.stepInterval, row.stepInterval);
    EXPECT_EQ(args.fallerCount, row.fallerCount);
    EXPECT_EQ(args.eraserCount, row.eraserCount);
    EXPECT_EQ(args.riserCount, row.riserCount);
    EXPECT_EQ(args.noiseCount, row.noiseCount);
  }
}

TEST(ConfigureArgsTest, PassesEachColourToItsOwnParameterUnchanged) {
  MemorySettingControls controls;
  controls.Set(SettingId::NormalColor, 0x00010203);
  controls.Set(SettingId::LightColor, static_cast<std::int32_t>(0xFF040506));
  controls.Set(SettingId::DarkColor, 0x7F070809);
  const ConfigureArgs args = ConfigureArgsFrom(controls);
  EXPECT_EQ(args.normalColor, 0x00010203u);
  EXPECT_EQ(args.lightColor, 0xFF040506u);
  EXPECT_EQ(args.darkColor, 0x7F070809u);
}
