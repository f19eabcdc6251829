// Each supply is a folder with a "type" file (Mains, Battery, USB, UPS ...); an external supply
// says in "online" whether it feeds the machine, a battery in "status" whether it is
// discharging. A battery of a device (a wireless mouse, a headset) has "scope" Device and is
// not the machine's.
#include "linux/power_supply.h"

#include <filesystem>
#include <fstream>

namespace {

// The first line of `name` in `supply`; empty when there is no such file.
std::string ReadLine(const std::filesystem::path& supply, const char* name) {
  std::ifstream file(supply / name);
  std::string line;
  std::getline(file, line);
  return line;
}

bool IsExternal(const std::string& type) { return type == "Mains" || type.rfind("USB", 0) == 0; }

}  // namespace

bool RunsOnBattery(const std::string& folder) {
  std::error_code error;
  std::filesystem::directory_iterator supplies(folder, error);
  if (error) return false;
  bool discharging = false;
  for (const auto& entry : supplies) {
    const std::filesystem::path& supply = entry.path();
    const std::string type = ReadLine(supply, "type");
    if (IsExternal(type)) {
      if (ReadLine(supply, "online") == "1") return false;
    } else if (type == "Battery" && ReadLine(supply, "scope") != "Device") {
      discharging = discharging || ReadLine(supply, "status") == "Discharging";
    }
  }
  return discharging;
}
