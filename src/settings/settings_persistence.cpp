// Load and store over any SettingsStore. A standard user can neither create nor write the
// machine-wide key, so the settings fall back to the same key under the user's own root,
// and loading prefers that copy: it is the one the last Ok wrote.
#include "settings/settings_persistence.h"

#include <memory>

#include "base/exception.h"
#include "settings/setting_controls.h"
#include "settings/settings_store.h"

void LoadSettings(SettingsStore& store, SettingControls& controls) {
  std::unique_ptr<SettingsKey> key = store.OpenKey(StoreRoot::User, kSettingsKeyPath, KeyMode::ReadExisting);
  if (!key) key = store.OpenKey(StoreRoot::Machine, kSettingsKeyPath, KeyMode::ReadExisting);
  if (!key) return;
  for (SettingId id : kLoadOrder) {
    const std::optional<std::int32_t> value = key->ReadInteger(InfoOf(id).storeName);
    if (!value) return;
    controls.Set(id, *value);
  }
}

static std::unique_ptr<SettingsKey> OpenKeyForStoring(SettingsStore& store) {
  // Once a per-user copy exists, loading reads it; writing the machine-wide key instead
  // (say, by an administrator) would be shadowed by that stale copy and look lost.
  if (store.OpenKey(StoreRoot::User, kSettingsKeyPath, KeyMode::ReadExisting)) {
    return store.OpenKey(StoreRoot::User, kSettingsKeyPath, KeyMode::CreateForWriting);
  }
  if (auto key = store.OpenKey(StoreRoot::Machine, kSettingsKeyPath, KeyMode::CreateForWriting)) return key;
  return store.OpenKey(StoreRoot::User, kSettingsKeyPath, KeyMode::CreateForWriting);
}

void StoreSettings(SettingsStore& store, const SettingControls& controls) {
  std::unique_ptr<SettingsKey> key = OpenKeyForStoring(store);
  if (!key) throw Exception(std::string("Failed to create key '") + kSettingsKeyPath + "'");
  for (SettingId id : kStoreOrder) key->WriteInteger(InfoOf(id).storeName, controls.Get(id));
}
