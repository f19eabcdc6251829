#include "platform/power_status.h"

namespace {

// GUID_POWER_SAVING_STATUS, spelled out as the display status is (display_power.cpp): whether
// the energy saver is on. Its change comes as PBT_POWERSETTINGCHANGE; a change of the power
// source comes as PBT_APMPOWERSTATUSCHANGE.
constexpr GUID kPowerSavingStatus = {0xe00958c0, 0xc213, 0x4ace, {0xac, 0x77, 0xfe, 0xcc, 0xed, 0x2e, 0xee, 0xa5}};

// SYSTEM_POWER_STATUS's SystemStatusFlag (older headers call it Reserved1): 1 while the
// energy saver is on.
constexpr BYTE kEnergySaverOn = 1;

}  // namespace

bool EnergySaverOn(PowerStatusReader read) {
  SYSTEM_POWER_STATUS status{};
  if (!read || !read(&status)) return false;
  return status.Reserved1 == kEnergySaverOn;
}

bool PowerStatusMayHaveChanged(WPARAM wParam, LPARAM lParam) {
  if (wParam == PBT_APMPOWERSTATUSCHANGE) return true;
  if (wParam != PBT_POWERSETTINGCHANGE || !lParam) return false;
  return ::IsEqualGUID(reinterpret_cast<const POWERBROADCAST_SETTING*>(lParam)->PowerSetting, kPowerSavingStatus);
}

EnergySaverWatch::EnergySaverWatch(HWND window)
    : registration_(::RegisterPowerSettingNotification(window, &kPowerSavingStatus, DEVICE_NOTIFY_WINDOW_HANDLE)) {}
