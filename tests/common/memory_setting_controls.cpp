// In-memory settings controls: a slider clamps and reports a move, a colour takes any bits,
// exactly as the dialog's trackbars and colour panels do.
#include "common/memory_setting_controls.h"

#include <utility>

MemorySettingControls::MemorySettingControls(std::function<void(SettingId)> onSliderChange)
    : onSliderChange(std::move(onSliderChange)) {
  for (const SettingInfo& setting : kSettings) values[static_cast<std::size_t>(setting.id)] = setting.designValue;
}

std::int32_t MemorySettingControls::Get(SettingId id) const { return values[static_cast<std::size_t>(id)]; }

void MemorySettingControls::Set(SettingId id, std::int32_t value) {
  const SettingInfo& setting = InfoOf(id);
  std::int32_t& held = values[static_cast<std::size_t>(id)];
  const std::int32_t admitted = ClampToRange(setting, value);
  if (admitted == held) return;
  held = admitted;
  if (setting.kind == SettingKind::Slider && onSliderChange) onSliderChange(id);
}
