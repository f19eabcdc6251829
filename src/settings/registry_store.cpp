// Registry access for the settings. Loading asks only for KEY_READ, which a standard user
// has on HKEY_LOCAL_MACHINE\SOFTWARE; storing creates the key with write access, which may
// be refused there and is then retried by the caller under HKEY_CURRENT_USER.
#include "settings/registry_store.h"

static HKEY RootKey(StoreRoot root) { return root == StoreRoot::Machine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER; }

std::optional<std::int32_t> RegistryKey::ReadInteger(const std::string& name) {
  DWORD type = 0;
  BYTE data[4] = {};
  // Data longer than the buffer makes the query fail with ERROR_MORE_DATA.
  DWORD size = sizeof data;
  if (::RegQueryValueExA(key.Get(), name.c_str(), nullptr, &type, data, &size) != ERROR_SUCCESS) return std::nullopt;
  if (type != REG_DWORD) return std::nullopt;
  const std::uint32_t bits = data[0] | data[1] << 8 | data[2] << 16 | std::uint32_t(data[3]) << 24;
  return static_cast<std::int32_t>(bits);
}

void RegistryKey::WriteInteger(const std::string& name, std::int32_t value) {
  const DWORD bits = static_cast<DWORD>(value);
  const BYTE data[4] = {BYTE(bits), BYTE(bits >> 8), BYTE(bits >> 16), BYTE(bits >> 24)};
  if (::RegSetValueExA(key.Get(), name.c_str(), 0, REG_DWORD, data, sizeof data) != ERROR_SUCCESS) {
    throw WriteFailure(name);
  }
}

std::unique_ptr<SettingsKey> RegistryStore::OpenKey(StoreRoot root, const std::string& path, KeyMode mode) {
  HKEY opened = nullptr;
  const LONG result =
      mode == KeyMode::ReadExisting
          ? ::RegOpenKeyExA(RootKey(root), path.c_str(), 0, KEY_READ, &opened)
          : ::RegCreateKeyExA(RootKey(root), path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                              KEY_WRITE, nullptr, &opened, nullptr);
  if (result != ERROR_SUCCESS) return nullptr;
  return std::make_unique<RegistryKey>(UniqueRegistryKey(opened));
}
