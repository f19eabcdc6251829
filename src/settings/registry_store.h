// The settings store on the Windows registry: keys under HKEY_LOCAL_MACHINE or
// HKEY_CURRENT_USER, opened read-only for loading and created with write access for storing,
// values as REG_DWORD. Each open key is owned by one RegistryKey and closed with it.
#pragma once

#include <windows.h>

#include "base/win_handles.h"
#include "settings/settings_store.h"

class RegistryKey : public SettingsKey {
 public:
  explicit RegistryKey(UniqueRegistryKey key) : key(std::move(key)) {}
  RegistryKey(RegistryKey&&) = default;
  RegistryKey& operator=(RegistryKey&&) = default;

  std::optional<std::int32_t> ReadInteger(const std::string& name) override;
  void WriteInteger(const std::string& name, std::int32_t value) override;

 private:
  UniqueRegistryKey key;
};

class RegistryStore : public SettingsStore {
 public:
  std::unique_ptr<SettingsKey> OpenKey(StoreRoot root, const std::string& path, KeyMode mode) override;
};
