// Settings controls without a window: they start at the design-time values and behave as the
// dialog's sliders and colour panels do, so the model can be exercised and used anywhere.
#pragma once

#include <array>
#include <functional>

#include "settings/setting_controls.h"

class MemorySettingControls : public SettingControls {
 public:
  // `onSliderChange` is called whenever a slider's position moves, as a slider's change event.
  explicit MemorySettingControls(std::function<void(SettingId)> onSliderChange = {});

  std::int32_t Get(SettingId id) const override;
  void Set(SettingId id, std::int32_t value) override;

 private:
  std::array<std::int32_t, kSettingCount> values;
  std::function<void(SettingId)> onSliderChange;
};
