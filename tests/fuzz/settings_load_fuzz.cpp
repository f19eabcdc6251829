// Fuzz target: loading the settings from a store whose eight values have any type, any size
// from 0 to 16 bytes and any bytes, in the machine-wide key, a per-user copy or both. What
// loads must follow the load order (the first unreadable value ends the loading), sliders must
// land in their ranges and colours arrive unchanged.
#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "fuzz_check.h"
#include "common/memory_setting_controls.h"
#include "settings/settings_persistence.h"
#include "settings/setting_table.h"
#include "settings/memory_store.h"

namespace {

constexpr std::size_t kLongestValue = 16;

// A value as the registry would hold it; absent when the provider says so.
std::optional<StoredValue> MakeValue(FuzzedDataProvider& input) {
  if (input.ConsumeBool()) return std::nullopt;
  StoredValue value;
  // Mostly the types a registry holds (REG_NONE .. REG_QWORD), now and then any number.
  value.type = input.ConsumeBool() ? input.ConsumeIntegralInRange<std::uint32_t>(0, 11)
                                   : input.ConsumeIntegral<std::uint32_t>();
  const std::size_t size = input.ConsumeIntegralInRange<std::size_t>(0, kLongestValue);
  value.data = input.ConsumeBytes<std::uint8_t>(size);
  return value;
}

MemoryStore::Values MakeKey(FuzzedDataProvider& input) {
  MemoryStore::Values values;
  for (const SettingInfo& setting : kSettings) {
    if (auto value = MakeValue(input)) values[setting.storeName] = *value;
  }
  return values;
}

// The reading rule of the store, written out once more: a REG_DWORD of at most four bytes,
// little-endian, missing high bytes zero.
std::optional<std::int32_t> Readable(const MemoryStore::Values& key, const char* name) {
  const auto found = key.find(name);
  if (found == key.end()) return std::nullopt;
  const StoredValue& value = found->second;
  if (value.type != 4 || value.data.size() > 4) return std::nullopt;
  std::uint32_t bits = 0;
  for (std::size_t i = 0; i < value.data.size(); ++i) bits |= std::uint32_t(value.data[i]) << (8 * i);
  return static_cast<std::int32_t>(bits);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  MemoryStore store;
  const bool machineKey = input.ConsumeBool();
  const bool userKey = input.ConsumeBool();
  const MemoryStore::Values machine = MakeKey(input);
  const MemoryStore::Values user = MakeKey(input);
  if (machineKey) store.PutKey(StoreRoot::Machine, machine);
  if (userKey) store.PutKey(StoreRoot::User, user);

  MemorySettingControls controls;
  LoadSettings(store, controls);

  // The per-user copy wins when it exists; no key at all loads nothing.
  std::array<std::int32_t, kSettingCount> expected{};
  for (const SettingInfo& setting : kSettings) expected[static_cast<std::size_t>(setting.id)] = setting.designValue;
  const MemoryStore::Values* key = userKey ? &user : machineKey ? &machine : nullptr;
  if (key) {
    for (SettingId id : kLoadOrder) {
      const std::optional<std::int32_t> value = Readable(*key, InfoOf(id).storeName);
      if (!value) break;
      const SettingInfo& setting = InfoOf(id);
      std::int32_t shown = *value;
      if (setting.kind == SettingKind::Slider && shown < setting.minimum) shown = setting.minimum;
      if (setting.kind == SettingKind::Slider && shown > setting.maximum) shown = setting.maximum;
      expected[static_cast<std::size_t>(id)] = shown;
    }
  }

  for (const SettingInfo& setting : kSettings) {
    const std::int32_t loaded = controls.Get(setting.id);
    FUZZ_CHECK(loaded == expected[static_cast<std::size_t>(setting.id)], "a setting loaded against the load order");
    if (setting.kind == SettingKind::Slider) {
      FUZZ_CHECK(loaded >= setting.minimum && loaded <= setting.maximum, "a slider outside its range");
    }
  }
  return 0;
}
