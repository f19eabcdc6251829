// Whether the system asks programs to save energy: its energy saver (battery saver) is on. A
// saver then presents less often. The state is read from the system's power status, and a
// window learns of changes through WM_POWERBROADCAST once it watches for them.
#pragma once

#include <windows.h>

#include "base/win_handles.h"

// Reads the system's power status as GetSystemPowerStatus does; tests hand in their own.
using PowerStatusReader = BOOL(WINAPI*)(LPSYSTEM_POWER_STATUS status);

// True when the energy saver is on. A status that cannot be read counts as off.
bool EnergySaverOn(PowerStatusReader read = &::GetSystemPowerStatus);

// Whether a WM_POWERBROADCAST says the power status, or the energy saver, may have changed.
bool PowerStatusMayHaveChanged(WPARAM wParam, LPARAM lParam);

// Energy-saver notifications for one window, from registration until this object goes.
class EnergySaverWatch {
 public:
  explicit EnergySaverWatch(HWND window);

 private:
  UniquePowerNotify registration_;
};
