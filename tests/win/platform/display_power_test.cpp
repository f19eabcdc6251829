// Which power broadcasts the saver reads as its display going off, dimming or coming back:
// only the display of the saver's own session. In a Remote Desktop session or behind a
// switched user the physical console's display is another one, and its state says nothing
// about the display the saver is on.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <optional>

#include "platform/display_power.h"

namespace {

// Spelled out as the system's headers define them, so that a mix-up in the code under test is
// not repeated here.
constexpr GUID kSessionDisplayStatus = {0x2b84c20e, 0xad23, 0x4ddf, {0x93, 0xdb, 0x05, 0xff, 0xbd, 0x7e, 0xfc, 0xa5}};
constexpr GUID kConsoleDisplayState = {0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};

std::optional<DisplayState> Read(WPARAM event, const GUID& setting, DWORD value) {
  struct {
    POWERBROADCAST_SETTING setting;
    BYTE room[sizeof(DWORD)];
  } message{};
  message.setting.PowerSetting = setting;
  message.setting.DataLength = sizeof value;
  std::memcpy(message.setting.Data, &value, sizeof value);
  return DisplayStateOf(event, reinterpret_cast<LPARAM>(&message));
}

TEST(DisplayStateOf, ReadsTheSessionsDisplayOnly) {
  const struct {
    const char* name;
    WPARAM event;
    const GUID& setting;
    DWORD value;
    std::optional<DisplayState> read;
  } cases[] = {
      {"session display off", PBT_POWERSETTINGCHANGE, kSessionDisplayStatus, 0, DisplayState::Off},
      {"session display on", PBT_POWERSETTINGCHANGE, kSessionDisplayStatus, 1, DisplayState::On},
      {"session display dimmed", PBT_POWERSETTINGCHANGE, kSessionDisplayStatus, 2, DisplayState::Dimmed},
      {"console display off", PBT_POWERSETTINGCHANGE, kConsoleDisplayState, 0, std::nullopt},
      {"another broadcast", PBT_APMRESUMEAUTOMATIC, kSessionDisplayStatus, 0, std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Read(c.event, c.setting, c.value), c.read);
  }
}

}  // namespace
