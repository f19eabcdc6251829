#include "platform/display_power.h"

#include <cstring>

namespace {

// GUID_CONSOLE_DISPLAY_STATE, spelled out: the SDK defines it only where initguid.h comes first.
constexpr GUID kConsoleDisplayState = {0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};

}  // namespace

std::optional<DisplayState> DisplayStateOf(WPARAM wParam, LPARAM lParam) {
  if (wParam != PBT_POWERSETTINGCHANGE || !lParam) return std::nullopt;
  const auto* setting = reinterpret_cast<const POWERBROADCAST_SETTING*>(lParam);
  if (!::IsEqualGUID(setting->PowerSetting, kConsoleDisplayState) || setting->DataLength < sizeof(DWORD)) {
    return std::nullopt;
  }
  DWORD state = 0;
  std::memcpy(&state, setting->Data, sizeof state);
  switch (state) {
    case 0: return DisplayState::Off;
    case 2: return DisplayState::Dimmed;
    default: return DisplayState::On;  // an unknown state is taken as on: drawing too much is harmless
  }
}

DisplayStateWatch::DisplayStateWatch(HWND window)
    : registration_(::RegisterPowerSettingNotification(window, &kConsoleDisplayState, DEVICE_NOTIFY_WINDOW_HANDLE)) {}
