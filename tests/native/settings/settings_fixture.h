// Shared pieces of the load and store tests: a complete stored key whose values all differ
// from the design-time ones, and the eight values the controls hold, in table order.
#pragma once

#include <array>
#include <cstdint>

#include "memory_store.h"
#include "settings/setting_controls.h"

using SettingValues = std::array<std::int32_t, kSettingCount>;

inline SettingValues ValuesOf(const SettingControls& controls) {
  SettingValues values{};
  for (const SettingInfo& setting : kSettings) values[static_cast<std::size_t>(setting.id)] = controls.Get(setting.id);
  return values;
}

inline SettingValues DesignSettingValues() {
  SettingValues values{};
  for (const SettingInfo& setting : kSettings) values[static_cast<std::size_t>(setting.id)] = setting.designValue;
  return values;
}

// In table order: Speed, Density, Balance, Noise, Inversion, Normal, Light, Dark.
inline const SettingValues kStoredValues = {180, 60, 40, 100, 50, 0x00112233, 0x00445566, 0x00778899};

inline MemoryStore::Values CompleteKey(const SettingValues& values = kStoredValues) {
  MemoryStore::Values key;
  for (const SettingInfo& setting : kSettings) key[setting.storeName] = Dword(values[static_cast<std::size_t>(setting.id)]);
  return key;
}
