// The eight settings as the command line gives them: they start at the design values and each
// number is clamped into its slider's range, as the Windows dialog's sliders clamp, so the
// shared mapping turns them into the same rain parameters.
#pragma once

#include <array>
#include <cstdint>

#include "settings/setting_controls.h"

class OptionSettings final : public SettingControls {
 public:
  OptionSettings() {
    for (const SettingInfo& setting : kSettings) values[static_cast<std::size_t>(setting.id)] = setting.designValue;
  }

  std::int32_t Get(SettingId id) const override { return values[static_cast<std::size_t>(id)]; }
  void Set(SettingId id, std::int32_t value) override {
    values[static_cast<std::size_t>(id)] = ClampToRange(InfoOf(id), value);
  }

 private:
  std::array<std::int32_t, kSettingCount> values;
};
