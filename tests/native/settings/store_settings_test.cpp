// Storing: what is written, in which order and where, and what the user is told when the
// store refuses a key or a value.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/memory_setting_controls.h"
#include "settings/settings_persistence.h"
#include "settings_fixture.h"

static void SetAll(SettingControls& controls, const SettingValues& values) {
  for (const SettingInfo& setting : kSettings) controls.Set(setting.id, values[static_cast<std::size_t>(setting.id)]);
}

static std::string ErrorOf(SettingsStore& store, const SettingControls& controls) {
  try {
    StoreSettings(store, controls);
  } catch (const Exception& error) {
    return error.what();
  }
  return "";
}

TEST(StoreSettingsTest, WritesEightDwordsInStoreOrderToTheMachineKey) {
  MemoryStore store;
  MemorySettingControls controls;
  StoreSettings(store, controls);
  EXPECT_EQ(store.Log(), (std::vector<std::string>{"open user read absent", "open machine create", "write Speed",
                                                   "write Density", "write Balance", "write Noise",
                                                   "write Inversion", "write Normal Color", "write Dark Color",
                                                   "write Light Color", "close machine"}));
  const StoredValue balance{kDwordValueType, {0xE2, 0xFF, 0xFF, 0xFF}};  // -30 as 0xFFFFFFE2
  EXPECT_EQ(store.Value(StoreRoot::Machine, "Balance"), balance);
  const StoredValue light{kDwordValueType, {0x88, 0xFF, 0x88, 0x00}};  // 0x0088FF88
  EXPECT_EQ(store.Value(StoreRoot::Machine, "Light Color"), light);
  for (const SettingInfo& setting : kSettings) {
    EXPECT_EQ(store.Value(StoreRoot::Machine, setting.storeName), Dword(setting.designValue)) << setting.storeName;
  }
  EXPECT_FALSE(store.HasKey(StoreRoot::User));
}

TEST(StoreSettingsTest, WhatIsStoredLoadsBackUnchanged) {
  const SettingValues edited = {101, 0, -99, 1, 200, static_cast<std::int32_t>(0xFF000001), 0x00FFFFFF, 0};
  MemoryStore store;
  MemorySettingControls controls;
  SetAll(controls, edited);
  StoreSettings(store, controls);
  MemorySettingControls reloaded;
  LoadSettings(store, reloaded);
  EXPECT_EQ(ValuesOf(reloaded), edited);
}

TEST(StoreSettingsTest, RefusedWriteStopsTheLaterOnesAndStillClosesTheKey) {
  MemoryStore store;
  store.Refuse("write Balance");
  MemorySettingControls controls;
  EXPECT_EQ(ErrorOf(store, controls), "Failed to set data for 'Balance'");
  EXPECT_TRUE(store.Value(StoreRoot::Machine, "Speed"));
  EXPECT_TRUE(store.Value(StoreRoot::Machine, "Density"));
  for (const char* later : {"Balance", "Noise", "Inversion", "Normal Color", "Dark Color", "Light Color"}) {
    EXPECT_FALSE(store.Value(StoreRoot::Machine, later)) << later;
  }
  EXPECT_EQ(store.Log().back(), "close machine");
}

TEST(StoreSettingsTest, RefusedMachineKeyStoresToTheUserCopyWhichLoadingThenReads) {
  MemoryStore store;
  store.PutKey(StoreRoot::Machine, CompleteKey());  // readable, but not writable for this user
  store.Refuse("open machine create");
  MemorySettingControls controls;
  controls.Set(SettingId::Speed, 111);
  StoreSettings(store, controls);
  EXPECT_EQ(store.Value(StoreRoot::User, "Speed"), Dword(111));
  EXPECT_EQ(store.Value(StoreRoot::Machine, "Speed"), Dword(kStoredValues[0]));
  EXPECT_EQ(store.Log().back(), "close user");

  MemorySettingControls reloaded;
  LoadSettings(store, reloaded);
  EXPECT_EQ(ValuesOf(reloaded), ValuesOf(controls));
}

TEST(StoreSettingsTest, AnExistingUserCopyIsWrittenEvenWhenTheMachineKeyIsWritable) {
  // Otherwise an administrator's Ok would write the machine key and the next load would still
  // read the stale per-user copy.
  MemoryStore store;
  store.PutKey(StoreRoot::Machine, CompleteKey());
  store.PutKey(StoreRoot::User, CompleteKey());
  MemorySettingControls controls;
  StoreSettings(store, controls);
  EXPECT_EQ(store.Value(StoreRoot::User, "Noise"), Dword(250));
  EXPECT_EQ(store.Value(StoreRoot::Machine, "Noise"), Dword(kStoredValues[3]));

  MemorySettingControls reloaded;
  LoadSettings(store, reloaded);
  EXPECT_EQ(ValuesOf(reloaded), DesignSettingValues());
}

TEST(StoreSettingsTest, NoWritableKeyIsReportedAndNothingIsWritten) {
  MemoryStore store;
  store.Refuse("open machine create");
  store.Refuse("open user create");
  MemorySettingControls controls;
  EXPECT_EQ(ErrorOf(store, controls), "Failed to create key 'SOFTWARE\\Orvanta\\Lumivex'");
  EXPECT_FALSE(store.HasKey(StoreRoot::Machine));
  EXPECT_FALSE(store.HasKey(StoreRoot::User));
}
