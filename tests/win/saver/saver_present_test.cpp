// How often the saver windows show what their rain drew: no more often than the monitor each is
// on refreshes (its display mode's rate, read again with the monitor list), 30 times a second in
// a preview and while the system's energy saver is on, while the rain keeps stepping at its own
// pace. The monitors, their rates and the power status are handed in; what reaches the window
// is seen through the BitBlt calls the saver makes.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <vector>

#include "base/globals.h"
#include "common/memory_setting_controls.h"
#include "engine/tick_count.h"
#include "engine/vellix.h"
#include "forms/application.h"
#include "platform/monitors.h"
#include "platform/power_status.h"
#include "saver/vellixfrm.h"
#include "settings/configure_args.h"
#include "support/import_hook.h"
#include "support/pump.h"
#include "support/saver_process_test.h"
#include "support/test_window.h"

namespace {

struct Monitor {
  RECT rect;
  int refreshHz;
};

// What the fake power status says: the energy saver on or off.
bool energySaverOn = false;

BOOL WINAPI FakePowerStatus(LPSYSTEM_POWER_STATUS status) {
  *status = SYSTEM_POWER_STATUS{};
  status->ACLineStatus = 0;
  status->Reserved1 = energySaverOn ? 1 : 0;  // SystemStatusFlag
  return TRUE;
}

BOOL WINAPI FailingPowerStatus(LPSYSTEM_POWER_STATUS) { return FALSE; }

int blits = 0;
ImportHook* bitBltHook = nullptr;

BOOL WINAPI CountedBitBlt(HDC to, int x, int y, int width, int height, HDC from, int fromX, int fromY, DWORD rop) {
  ++blits;
  return bitBltHook->Original<decltype(&::BitBlt)>()(to, x, y, width, height, from, fromX, fromY, rop);
}

// The heaviest rain: a step every 10 ms.
void HeaviestSettings(Vellix& rainField) {
  ConfigureArgs args = ConfigureArgsFrom(MemorySettingControls());
  args.stepInterval = 10;
  args.fallerCount = 120;
  args.noiseCount = 200;
  ConfigureRainField(rainField, args);
}

class SaverPresentTest : public SaverProcessTest {
 protected:
  void TearDown() override {
    energySaverOn = false;
    SaverProcessTest::TearDown();
  }
  // The monitor list, and what it reads when the saver rebuilds it.
  void UseMonitors(const std::vector<Monitor>& monitors) {
    Monitors.Source = [&monitors = monitors_] {
      std::vector<RECT> rects;
      for (const Monitor& monitor : monitors) rects.push_back(monitor.rect);
      return rects;
    };
    Monitors.RefreshSource = [&monitors = monitors_](const RECT& rect) {
      for (const Monitor& monitor : monitors)
        if (::EqualRect(&monitor.rect, &rect)) return monitor.refreshHz;
      return 0;
    };
    monitors_ = monitors;
    Monitors.Rebuild();
  }
  void CreateSaver(PowerStatusReader powerStatus, SettingsApplier settings = HeaviestSettings) {
    App().CreateForm(VellixForm, settings);
    VellixForm->UsePowerStatus(powerStatus);
    VellixForm->Show();
  }
  static std::vector<std::int32_t> Rates() {
    std::vector<std::int32_t> rates = {VellixForm->PresentsPerSecond()};
    for (const TVellixForm* secondary : *VellixForm->SecondaryForms) rates.push_back(secondary->PresentsPerSecond());
    return rates;
  }

 private:
  std::vector<Monitor> monitors_;
};

TEST_F(SaverPresentTest, EachWindowTakesTheRateOfItsMonitorAndThirtyWhileTheEnergySaverIsOn) {
  UseMonitors({{{0, 0, 320, 240}, 60}, {{320, 0, 640, 240}, 144}, {{640, 0, 960, 240}, 0}, {{0, 240, 320, 480}, 1}});
  CreateSaver(&FakePowerStatus);
  EXPECT_EQ(Rates(), (std::vector<std::int32_t>{60, 144, 60, 60}));

  // The system says the power status changed: every window reads it again.
  energySaverOn = true;
  ::SendMessageA(VellixForm->Handle(), WM_POWERBROADCAST, PBT_APMPOWERSTATUSCHANGE, 0);
  EXPECT_EQ(Rates(), (std::vector<std::int32_t>{30, 30, 30, 30}));
  energySaverOn = false;
  ::SendMessageA(VellixForm->Handle(), WM_POWERBROADCAST, PBT_APMPOWERSTATUSCHANGE, 0);
  EXPECT_EQ(Rates(), (std::vector<std::int32_t>{60, 144, 60, 60}));

  // The energy saver's own notification says the same.
  energySaverOn = true;
  struct {
    POWERBROADCAST_SETTING setting;
    DWORD value;
  } saving{};
  saving.setting.PowerSetting = {0xe00958c0, 0xc213, 0x4ace, {0xac, 0x77, 0xfe, 0xcc, 0xed, 0x2e, 0xee, 0xa5}};
  saving.setting.DataLength = sizeof(DWORD);
  ::SendMessageA(VellixForm->Handle(), WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, reinterpret_cast<LPARAM>(&saving));
  EXPECT_EQ(Rates(), (std::vector<std::int32_t>{30, 30, 30, 30}));
  energySaverOn = false;
  ::SendMessageA(VellixForm->Handle(), WM_POWERBROADCAST, PBT_APMPOWERSTATUSCHANGE, 0);

  // The monitors are read again: a monitor switched to another mode brings its new rate, and
  // a window that moves to another monitor takes that one's.
  UseMonitors({{{0, 0, 320, 240}, 75}, {{320, 0, 640, 240}, 60}, {{640, 0, 960, 240}, 120}});
  ::SendMessageA(VellixForm->Handle(), WM_DISPLAYCHANGE, 32, MAKELPARAM(960, 480));
  EXPECT_EQ(Rates(), (std::vector<std::int32_t>{75, 60, 120}));

  // A power status that cannot be read saves nothing.
  VellixForm->UsePowerStatus(&FailingPowerStatus);
  EXPECT_EQ(Rates(), (std::vector<std::int32_t>{75, 60, 120}));
}

TEST_F(SaverPresentTest, APreviewPresentsThirtyTimesASecondAtMost) {
  TestWindow host(20, 20, 200, 150);
  PreviewParent = host.Handle();
  RunAsSaver = true;
  UseMonitors({{{0, 0, 1024, 768}, 144}});
  CreateSaver(&FakePowerStatus);
  EXPECT_EQ(VellixForm->PresentsPerSecond(), 30);
}

// Steps every 10 ms on a monitor of 20 Hz, or of 60 Hz with the energy saver on: the window is
// sent what the steps drew in one present per interval at most (each present is one idle pass
// with copies onto the window), and the rain still steps between presents.
TEST_F(SaverPresentTest, PresentsNoMoreOftenThanTheRateWhileTheRainKeepsItsPace) {
  const struct {
    const char* name;
    int refreshHz;
    bool saving;
    std::uint32_t intervalMs;
  } cases[] = {{"20 Hz monitor", 20, false, 50}, {"60 Hz monitor, energy saver on", 60, true, 34}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    energySaverOn = c.saving;
    UseMonitors({{{0, 0, 320, 240}, c.refreshHz}});
    CreateSaver(&FakePowerStatus);
    ImportHook hook("gdi32.dll", "BitBlt", reinterpret_cast<void*>(&CountedBitBlt));
    bitBltHook = &hook;
    ASSERT_TRUE(hook.Hooked());

    struct Pass {
      std::uint32_t start, end;
    };
    std::vector<Pass> presents;
    int steps = 0;
    std::vector<std::uint8_t> last;
    App().OnIdle = [&, idle = App().OnIdle](TApplication* sender, bool& done) {
      const int blitsBefore = blits;
      const std::uint32_t start = TickCount();
      idle(sender, done);
      if (blits != blitsBefore) presents.push_back({start, TickCount()});
      const Vellix& rain = *VellixForm->RainField;
      std::vector<std::uint8_t> now;
      for (int row = 0; row < rain.GridRows(); ++row)
        for (int column = 0; column < rain.GridColumns(); ++column) now.push_back(rain.Cell(column, row));
      if (now != last) ++steps;
      last = std::move(now);
    };
    ASSERT_TRUE(PumpUntil(App(), [&] { return presents.size() >= 3; }));
    presents.clear();
    steps = 0;
    ASSERT_TRUE(PumpUntil(App(), [&] { return presents.size() >= 12; }, 30000));
    for (std::size_t i = 1; i < presents.size(); ++i)
      EXPECT_GE(presents[i].end - presents[i - 1].start, c.intervalMs) << "present " << i;
    // Between two presents an interval apart the rain takes several steps.
    EXPECT_GE(steps, static_cast<int>(2 * presents.size())) << "steps no longer keep their own pace";
    bitBltHook = nullptr;
    App().OnIdle = nullptr;
    VellixForm->Close();
    SaverProcessTest::TearDown();
    SaverProcessTest::SetUp();
  }
}

}  // namespace
