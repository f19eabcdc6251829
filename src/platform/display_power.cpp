#include "platform/display_power.h"

#include <cstring>

namespace {

// GUID_SESSION_DISPLAY_STATUS, spelled out: the SDK defines it only where initguid.h comes first.
// The display of this session, the one the saver is on, rather than the physical console's: in a
// Remote Desktop session or behind a switched user the console's display is another one.
constexpr GUID kSessionDisplayStatus = {0x2b84c20e, 0xad23, 0x4ddf, {0x93, 0xdb, 0x05, 0xff, 0xbd, 0x7e, 0xfc, 0xa5}};

}  // namespace

std::optional<DisplayState> DisplayStateOf(WPARAM wParam, LPARAM lParam) {
  if (wParam != PBT_POWERSETTINGCHANGE || !lParam) return std::nullopt;
  const auto* setting = reinterpret_cast<const POWERBROADCAST_SETTING*>(lParam);
  if (!::IsEqualGUID(setting->PowerSetting, kSessionDisplayStatus) || setting->DataLength < sizeof(DWORD)) {
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
    : registration_(::RegisterPowerSettingNotification(window, &kSessionDisplayStatus, DEVICE_NOTIFY_WINDOW_HANDLE)) {}
