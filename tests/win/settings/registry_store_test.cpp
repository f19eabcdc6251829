// The settings store on the real registry: round trips under both roots, the value shapes
// a read refuses (every type and size), and the per-user fallback when the machine-wide key
// cannot be written.
// Each test starts and ends with no settings key under either root.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/memory_setting_controls.h"
#include "settings/registry_store.h"
#include "settings/settings_persistence.h"
#include "support/registry_cleanup.h"
#include "support/standard_user_store.h"

struct RawValue {
  DWORD type;
  std::vector<BYTE> data;
};

static HKEY RootKey(StoreRoot root) { return root == StoreRoot::Machine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER; }

static bool KeyExists(StoreRoot root, const char* path) { return RegistryKeyExists(RootKey(root), path); }

static void PutRaw(StoreRoot root, const std::string& name, const RawValue& value) {
  HKEY key = nullptr;
  ASSERT_EQ(::RegCreateKeyExA(RootKey(root), kSettingsKeyPath, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  UniqueRegistryKey owned(key);
  ASSERT_EQ(::RegSetValueExA(key, name.c_str(), 0, value.type, value.data.data(), DWORD(value.data.size())),
            ERROR_SUCCESS);
}

static std::optional<RawValue> GetRaw(StoreRoot root, const std::string& name) {
  HKEY key = nullptr;
  if (::RegOpenKeyExA(RootKey(root), kSettingsKeyPath, 0, KEY_READ, &key) != ERROR_SUCCESS) return std::nullopt;
  UniqueRegistryKey owned(key);
  RawValue value{0, std::vector<BYTE>(64)};
  DWORD size = DWORD(value.data.size());
  if (::RegQueryValueExA(key, name.c_str(), nullptr, &value.type, value.data.data(), &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  value.data.resize(size);
  return value;
}

static std::vector<std::int32_t> ValuesOf(const SettingControls& controls) {
  std::vector<std::int32_t> values;
  for (const SettingInfo& setting : kSettings) values.push_back(controls.Get(setting.id));
  return values;
}

class RegistryStoreTest : public testing::Test {
 protected:
  void RemoveSettingsKeys() {
    machineSettings.Clean();
    userSettings.Clean();
  }

  RegistryCleanup machineSettings{HKEY_LOCAL_MACHINE, kSettingsKeyPath};
  RegistryCleanup userSettings{HKEY_CURRENT_USER, kSettingsKeyPath};
  RegistryStore registry;
};

TEST_F(RegistryStoreTest, SettingsRoundTripUnderTheRootTheUserMayWrite) {
  StandardUserStore standardUser(registry);
  struct Case {
    const char* name;
    SettingsStore& store;
    StoreRoot written;
    StoreRoot untouched;
  };
  const Case cases[] = {
      {"administrator", registry, StoreRoot::Machine, StoreRoot::User},
      {"standard user", standardUser, StoreRoot::User, StoreRoot::Machine},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MemorySettingControls edited;
    edited.Set(SettingId::Speed, 101);
    edited.Set(SettingId::Balance, -30);
    edited.Set(SettingId::Inversion, 200);
    edited.Set(SettingId::LightColor, static_cast<std::int32_t>(0xFF00FF00));
    StoreSettings(c.store, edited);

    for (const SettingInfo& setting : kSettings) {
      const std::optional<RawValue> raw = GetRaw(c.written, setting.storeName);
      ASSERT_TRUE(raw) << setting.storeName;
      EXPECT_EQ(raw->type, DWORD(REG_DWORD)) << setting.storeName;
    }
    EXPECT_EQ(GetRaw(c.written, "Balance")->data, (std::vector<BYTE>{0xE2, 0xFF, 0xFF, 0xFF}));
    EXPECT_FALSE(KeyExists(c.untouched, kSettingsKeyPath));

    MemorySettingControls reloaded;
    LoadSettings(c.store, reloaded);
    EXPECT_EQ(ValuesOf(reloaded), ValuesOf(edited));
    RemoveSettingsKeys();
  }
}

// What the real reader makes of a value of every registry type and every size from 0 to 16
// bytes: only a REG_DWORD of at most four bytes reads, its missing high bytes as zero; which
// values then load, in which order and clamped how, is the loading rule's business.
TEST_F(RegistryStoreTest, OnlyADwordOfAtMostFourBytesReads) {
  const DWORD types[] = {REG_NONE, REG_SZ, REG_EXPAND_SZ, REG_BINARY, REG_DWORD, REG_DWORD_BIG_ENDIAN,
                         REG_LINK, REG_MULTI_SZ, REG_QWORD};
  for (DWORD type : types) {
    for (std::size_t size = 0; size <= 16; ++size) {
      SCOPED_TRACE("type " + std::to_string(type) + " of " + std::to_string(size) + " bytes");
      RawValue stored{type, {}};
      std::uint32_t bits = 0;
      for (std::size_t i = 0; i < size; ++i) {
        stored.data.push_back(BYTE(0x81 + i));
        if (i < 4) bits |= std::uint32_t(0x81 + i) << (8 * i);
      }
      PutRaw(StoreRoot::Machine, "Speed", stored);
      std::unique_ptr<SettingsKey> key = registry.OpenKey(StoreRoot::Machine, kSettingsKeyPath, KeyMode::ReadExisting);
      ASSERT_TRUE(key);
      const bool readable = type == REG_DWORD && size <= 4;
      EXPECT_EQ(key->ReadInteger("Speed"),
                readable ? std::optional<std::int32_t>(static_cast<std::int32_t>(bits)) : std::nullopt);
      EXPECT_EQ(key->ReadInteger("Density"), std::nullopt) << "a value that is not there";
    }
  }
}

TEST_F(RegistryStoreTest, WriteReplacesAValueOfAnotherType) {
  PutRaw(StoreRoot::Machine, "Noise", {REG_SZ, {'9', 0}});
  std::unique_ptr<SettingsKey> key = registry.OpenKey(StoreRoot::Machine, kSettingsKeyPath, KeyMode::CreateForWriting);
  ASSERT_TRUE(key);
  key->WriteInteger("Noise", 300);
  const std::optional<RawValue> raw = GetRaw(StoreRoot::Machine, "Noise");
  ASSERT_TRUE(raw);
  EXPECT_EQ(raw->type, DWORD(REG_DWORD));
  EXPECT_EQ(raw->data, (std::vector<BYTE>{0x2C, 0x01, 0, 0}));
}

TEST_F(RegistryStoreTest, RefusedWriteNamesTheValue) {
  PutRaw(StoreRoot::User, "Speed", {REG_DWORD, {150, 0, 0, 0}});
  // A key opened for loading has no right to set values.
  std::unique_ptr<SettingsKey> key = registry.OpenKey(StoreRoot::User, kSettingsKeyPath, KeyMode::ReadExisting);
  ASSERT_TRUE(key);
  try {
    key->WriteInteger("Light Color", 0);
    FAIL() << "the write was not refused";
  } catch (const Exception& error) {
    EXPECT_STREQ(error.what(), "Failed to set data for 'Light Color'");
  }
}

TEST_F(RegistryStoreTest, LoadingNeitherNeedsNorCreatesTheKey) {
  EXPECT_FALSE(registry.OpenKey(StoreRoot::User, kSettingsKeyPath, KeyMode::ReadExisting));
  MemorySettingControls controls;
  LoadSettings(registry, controls);
  for (const SettingInfo& setting : kSettings) EXPECT_EQ(controls.Get(setting.id), setting.designValue) << setting.storeName;
  EXPECT_FALSE(KeyExists(StoreRoot::Machine, kSettingsKeyPath));
  EXPECT_FALSE(KeyExists(StoreRoot::User, kSettingsKeyPath));
}
