// Whether the machine runs on its battery, read from a power-supply tree of the test's own
// making, laid out as the kernel's class folder is.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "linux/power_supply.h"

namespace {

using Supply = std::map<std::string, std::string>;  // file name -> first line

class PowerSupplyTree {
 public:
  explicit PowerSupplyTree(const std::map<std::string, Supply>& supplies)
      : folder_(std::filesystem::temp_directory_path() /
                ("lumivex-power-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name())) {
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
    for (const auto& [name, files] : supplies) {
      std::filesystem::create_directories(folder_ / name);
      for (const auto& [file, line] : files) std::ofstream(folder_ / name / file) << line << "\n";
    }
  }
  ~PowerSupplyTree() { std::filesystem::remove_all(folder_); }
  std::string Folder() const { return folder_.string(); }

 private:
  std::filesystem::path folder_;
};

const Supply kMainsOnline{{"type", "Mains"}, {"online", "1"}};
const Supply kMainsOffline{{"type", "Mains"}, {"online", "0"}};
const Supply kUsbChargerOnline{{"type", "USB"}, {"online", "1"}};
const Supply kDischarging{{"type", "Battery"}, {"status", "Discharging"}, {"scope", "System"}};
const Supply kDischargingNoScope{{"type", "Battery"}, {"status", "Discharging"}};
const Supply kCharging{{"type", "Battery"}, {"status", "Charging"}};
const Supply kFull{{"type", "Battery"}, {"status", "Full"}};
const Supply kMouseDischarging{{"type", "Battery"}, {"status", "Discharging"}, {"scope", "Device"}};

TEST(PowerSupply, OnBatteryOnlyWhenASystemBatteryDischargesAndNoExternalSupplyIsOnline) {
  const struct {
    const char* name;
    std::map<std::string, Supply> supplies;
    bool onBattery;
  } cases[] = {
      {"laptop off its charger", {{"AC", kMainsOffline}, {"BAT0", kDischarging}}, true},
      {"battery without a scope file", {{"AC", kMainsOffline}, {"BAT0", kDischargingNoScope}}, true},
      {"no mains supply listed at all", {{"BAT0", kDischarging}}, true},
      {"second battery discharging", {{"AC", kMainsOffline}, {"BAT0", kFull}, {"BAT1", kDischarging}}, true},
      {"laptop on its charger", {{"AC", kMainsOnline}, {"BAT0", kCharging}}, false},
      {"mains online though the battery reads discharging", {{"AC", kMainsOnline}, {"BAT0", kDischarging}}, false},
      {"USB-C charger online", {{"ucsi-source-psy-1", kUsbChargerOnline}, {"BAT0", kDischarging}}, false},
      {"battery full, mains off", {{"AC", kMainsOffline}, {"BAT0", kFull}}, false},
      {"desktop without a battery", {{"AC", kMainsOnline}}, false},
      {"only a wireless mouse's battery discharging", {{"hidpp_battery_0", kMouseDischarging}}, false},
      {"no supplies", {}, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const PowerSupplyTree tree(c.supplies);
    EXPECT_EQ(RunsOnBattery(tree.Folder()), c.onBattery);
  }
}

TEST(PowerSupply, AFolderThatCannotBeReadMeansNoBatteryToSave) {
  EXPECT_FALSE(RunsOnBattery("/nonexistent/lumivex/power_supply"));
}

}  // namespace
