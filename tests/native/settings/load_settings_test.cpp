// Loading: which stored values reach the controls when the key is missing, partial or holds
// values of the wrong shape, and which root is read.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <initializer_list>
#include <string>

#include "common/memory_setting_controls.h"
#include "settings/configure_args.h"
#include "settings/settings_persistence.h"
#include "settings_fixture.h"

struct LoadCase {
  const char* name;
  std::function<void(MemoryStore&)> prepare;
  SettingValues expected;
};

// kStoredValues for the listed settings, design-time values for the others.
static SettingValues StoredFor(std::initializer_list<SettingId> loaded) {
  SettingValues values = DesignSettingValues();
  for (SettingId id : loaded) values[static_cast<std::size_t>(id)] = kStoredValues[static_cast<std::size_t>(id)];
  return values;
}

static SettingValues With(SettingValues values, SettingId id, std::int32_t value) {
  values[static_cast<std::size_t>(id)] = value;
  return values;
}

static MemoryStore::Values CompleteKeyWith(const std::string& name, const StoredValue& value) {
  MemoryStore::Values key = CompleteKey();
  key[name] = value;
  return key;
}

static MemoryStore::Values CompleteKeyWithout(const std::string& name) {
  MemoryStore::Values key = CompleteKey();
  key.erase(name);
  return key;
}

TEST(LoadSettingsTest, LoadsUpToTheFirstUnreadableValue) {
  using S = SettingId;
  const StoredValue eightByteDword{kDwordValueType, {0xE2, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0}};
  const LoadCase cases[] = {
      {"no key", [](MemoryStore&) {}, DesignSettingValues()},
      {"complete key", [](MemoryStore& s) { s.PutKey(StoreRoot::Machine, CompleteKey()); }, kStoredValues},
      {"lacks only Inversion, read last",
       [](MemoryStore& s) { s.PutKey(StoreRoot::Machine, CompleteKeyWithout("Inversion")); },
       StoredFor({S::Speed, S::Density, S::Balance, S::Noise, S::DarkColor, S::LightColor, S::NormalColor})},
      {"lacks Noise: the colours and Inversion after it are not read",
       [](MemoryStore& s) { s.PutKey(StoreRoot::Machine, CompleteKeyWithout("Noise")); },
       StoredFor({S::Speed, S::Density, S::Balance})},
      {"Speed stored as a string: nothing loads",
       [](MemoryStore& s) { s.PutKey(StoreRoot::Machine, CompleteKeyWith("Speed", String("180"))); },
       DesignSettingValues()},
      {"Balance as a REG_DWORD with eight bytes",
       [&](MemoryStore& s) { s.PutKey(StoreRoot::Machine, CompleteKeyWith("Balance", eightByteDword)); },
       StoredFor({S::Speed, S::Density})},
      {"Speed 300 loads clamped",
       [](MemoryStore& s) { s.PutKey(StoreRoot::Machine, CompleteKeyWith("Speed", Dword(300))); },
       With(kStoredValues, S::Speed, 200)},
      {"Noise 900 loads clamped",
       [](MemoryStore& s) { s.PutKey(StoreRoot::Machine, CompleteKeyWith("Noise", Dword(900))); },
       With(kStoredValues, S::Noise, 500)},
      {"colour with a non-zero top byte loads unchanged",
       [](MemoryStore& s) {
         s.PutKey(StoreRoot::Machine, CompleteKeyWith("Dark Color", Dword(static_cast<std::int32_t>(0xFF123456))));
       },
       With(kStoredValues, S::DarkColor, static_cast<std::int32_t>(0xFF123456))},
      {"negative Balance stored as 0xFFFFFFE2",
       [](MemoryStore& s) {
         s.PutKey(StoreRoot::Machine, CompleteKeyWith("Balance", {kDwordValueType, {0xE2, 0xFF, 0xFF, 0xFF}}));
       },
       With(kStoredValues, S::Balance, -30)},
  };
  for (const LoadCase& c : cases) {
    SCOPED_TRACE(c.name);
    MemoryStore store;
    c.prepare(store);
    MemorySettingControls controls;
    LoadSettings(store, controls);
    EXPECT_EQ(ValuesOf(controls), c.expected);
  }
}

TEST(LoadSettingsTest, RainGetsTheDesignParametersWhenNothingIsStored) {
  MemoryStore store;
  MemorySettingControls controls;
  LoadSettings(store, controls);
  const ConfigureArgs args = ConfigureArgsFrom(controls);
  EXPECT_EQ(args.stepInterval, 60);
  EXPECT_EQ(args.fallerCount, 18);
  EXPECT_EQ(args.eraserCount, 32);
  EXPECT_EQ(args.riserCount, 0);
  EXPECT_EQ(args.noiseCount, 250);
  EXPECT_EQ(args.normalColor, 0x00009000u);
  EXPECT_EQ(args.lightColor, 0x0088FF88u);
  EXPECT_EQ(args.darkColor, 0x00006000u);
}

TEST(LoadSettingsTest, StoredSpeedAndColourReachTheRainAsStored) {
  MemoryStore store;
  MemoryStore::Values key = CompleteKey();
  key["Speed"] = Dword(300);
  key["Light Color"] = Dword(static_cast<std::int32_t>(0xA0FFEEDD));
  store.PutKey(StoreRoot::Machine, key);
  MemorySettingControls controls;
  LoadSettings(store, controls);
  const ConfigureArgs args = ConfigureArgsFrom(controls);
  EXPECT_EQ(args.stepInterval, 10);
  EXPECT_EQ(args.lightColor, 0xA0FFEEDDu);
}

TEST(LoadSettingsTest, PrefersThePerUserCopyAndOpensReadOnly) {
  const SettingValues userValues = {120, 7, -80, 400, 3, 0x000000FF, 0x0000FF00, 0x00FF0000};
  MemoryStore store;
  store.PutKey(StoreRoot::Machine, CompleteKey());
  store.PutKey(StoreRoot::User, CompleteKey(userValues));
  MemorySettingControls controls;
  LoadSettings(store, controls);
  EXPECT_EQ(ValuesOf(controls), userValues);
  for (const std::string& operation : store.Log()) {
    EXPECT_EQ(operation.find("machine"), std::string::npos) << operation;
    EXPECT_EQ(operation.find("create"), std::string::npos) << operation;
  }
  EXPECT_EQ(store.Log().back(), "close user");
}

TEST(LoadSettingsTest, ReadsTheMachineKeyWhenThereIsNoUsableUserCopy) {
  for (const bool userOpenRefused : {false, true}) {
    SCOPED_TRACE(userOpenRefused ? "user key refused" : "no user key");
    MemoryStore store;
    store.PutKey(StoreRoot::Machine, CompleteKey());
    if (userOpenRefused) {
      store.PutKey(StoreRoot::User, CompleteKey(DesignSettingValues()));
      store.Refuse("open user read");
    }
    MemorySettingControls controls;
    LoadSettings(store, controls);
    EXPECT_EQ(ValuesOf(controls), kStoredValues);
    EXPECT_EQ(std::count(store.Log().begin(), store.Log().end(), "open machine read"), 1);
    EXPECT_EQ(store.Log().back(), "close machine");
  }
}

TEST(LoadSettingsTest, CreatesNoKey) {
  MemoryStore store;
  MemorySettingControls controls;
  LoadSettings(store, controls);
  EXPECT_FALSE(store.HasKey(StoreRoot::Machine));
  EXPECT_FALSE(store.HasKey(StoreRoot::User));
}
