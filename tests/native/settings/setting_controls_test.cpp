// The in-memory controls must behave as the dialog's: the load rules (clamped sliders,
// untouched colours) and the changed flag depend on it. The captured design values must be
// the built-in ones even after a load has moved the controls.
#include <gtest/gtest.h>

#include <vector>

#include "common/memory_setting_controls.h"
#include "settings/design_values.h"

TEST(MemorySettingControlsTest, SlidersClampAndReportOnlyMoves) {
  struct Case {
    SettingId id;
    std::int32_t given;
    std::int32_t held;
    bool reported;
  };
  const Case cases[] = {
      {SettingId::Speed, 300, 200, true},      {SettingId::Speed, 50, 100, true},
      {SettingId::Noise, 900, 500, true},      {SettingId::Balance, -101, -100, true},
      {SettingId::Balance, -30, -30, false},   // already there
      {SettingId::Inversion, -5, 0, false},    // clamps onto the current position
      {SettingId::DarkColor, static_cast<std::int32_t>(0xFF123456), static_cast<std::int32_t>(0xFF123456), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << InfoOf(c.id).storeName << " set to " << c.given);
    std::vector<SettingId> changes;
    MemorySettingControls controls([&](SettingId id) { changes.push_back(id); });
    controls.Set(c.id, c.given);
    EXPECT_EQ(controls.Get(c.id), c.held);
    EXPECT_EQ(changes, c.reported ? std::vector<SettingId>{c.id} : std::vector<SettingId>{});
  }
}

TEST(DesignValuesTest, CaptureBeforeLoadThenRestorePutsBuiltInValuesBack) {
  MemorySettingControls controls;
  const DesignValues captured = CaptureDesignValues(controls);
  EXPECT_EQ(captured.DefSpeed, 150);
  EXPECT_EQ(captured.DefBalance, -30);
  EXPECT_EQ(captured.DefDarkColor, 0x00006000);
  EXPECT_EQ(captured.DefLightColor, 0x0088FF88);
  EXPECT_EQ(captured.DefNormalColor, 0x00009000);

  for (const SettingInfo& setting : kSettings) controls.Set(setting.id, setting.kind == SettingKind::Slider ? setting.maximum : 1);
  RestoreDesignValues(captured, controls);
  for (const SettingInfo& setting : kSettings) EXPECT_EQ(controls.Get(setting.id), setting.designValue) << setting.storeName;
}
