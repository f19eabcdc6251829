// Whether the machine runs on its battery, as the kernel's power supplies say: some system
// battery discharging and no external supply (mains, or a USB charger) online. Linux has no
// common "energy saver" flag; a laptop off its charger is when saving matters, so the rain then
// presents less often. The kernel's class folder is handed in, so tests give a tree of their own.
#pragma once

#include <string>

inline constexpr const char* kPowerSupplyFolder = "/sys/class/power_supply";

// False when the folder cannot be read: without a battery to save there is nothing to hold back.
bool RunsOnBattery(const std::string& folder = kPowerSupplyFolder);
