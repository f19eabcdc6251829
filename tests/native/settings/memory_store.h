// A settings store in memory for tests: keys under both roots hold typed raw values, as the
// registry does, any operation can be refused by naming it, and every operation is logged in
// order ("open machine create", "read Speed", "write Balance", "close user", with " refused"
// or " absent" when it failed), so tests can see what was touched, in which order.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "settings/settings_store.h"

inline constexpr std::uint32_t kStringValueType = 1;  // REG_SZ

struct StoredValue {
  std::uint32_t type;
  std::vector<std::uint8_t> data;
};

StoredValue Dword(std::int32_t value);
StoredValue String(const std::string& text);

class MemoryStore : public SettingsStore {
 public:
  using Values = std::map<std::string, StoredValue>;

  // Creates the key at kSettingsKeyPath under `root` holding `values`.
  void PutKey(StoreRoot root, const Values& values = {});
  bool HasKey(StoreRoot root) const;
  std::optional<StoredValue> Value(StoreRoot root, const std::string& name) const;

  // Makes the logged operation of that text fail, e.g. "open machine create" or "write Noise".
  void Refuse(const std::string& operation);
  const std::vector<std::string>& Log() const { return log; }

  std::unique_ptr<SettingsKey> OpenKey(StoreRoot root, const std::string& path, KeyMode mode) override;

 private:
  friend class MemoryKey;
  // Records the operation; false if it is refused.
  bool Attempt(const std::string& operation);
  void Note(const std::string& text) { log.push_back(text); }

  std::map<std::pair<StoreRoot, std::string>, Values> keys;
  std::set<std::string> refused;
  std::vector<std::string> log;
};

bool operator==(const StoredValue& a, const StoredValue& b);
