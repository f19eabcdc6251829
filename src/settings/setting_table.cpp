// Checks, at compile time, that the table is indexed by its ids and that every order names
// each setting once; and gives the one rule every slider keeps.
#include "settings/setting_table.h"

#include <algorithm>

static constexpr bool TableIndexedById() {
  for (std::size_t i = 0; i < kSettings.size(); ++i) {
    if (static_cast<std::size_t>(kSettings[i].id) != i) return false;
  }
  return true;
}
static_assert(TableIndexedById(), "kSettings rows must follow the SettingId order");

// Each order names every setting exactly once, or a setting would be silently skipped.
static constexpr bool NamesEachOnce(const SettingOrder& order) {
  std::array<int, kSettingCount> seen{};
  for (SettingId id : order) ++seen[static_cast<std::size_t>(id)];
  for (int count : seen) {
    if (count != 1) return false;
  }
  return true;
}
static_assert(NamesEachOnce(kLoadOrder) && NamesEachOnce(kStoreOrder) && NamesEachOnce(kRestoreOrder),
              "an order must name every setting once");

std::int32_t ClampToRange(const SettingInfo& setting, std::int32_t value) {
  if (setting.kind == SettingKind::Colour) return value;
  return std::clamp(value, setting.minimum, setting.maximum);
}
