// The saver windows at the scale of their monitors, against Wine's real windows and GDI. Wine
// gives every monitor the one DPI of the prefix and never sends WM_DPICHANGED by itself, so the
// monitor list and its DPIs are handed in, and scale changes are the messages the system sends.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "base/globals.h"
#include "common/memory_setting_controls.h"
#include "engine/vellix.h"
#include "forms/application.h"
#include "platform/monitors.h"
#include "saver/vellixfrm.h"
#include "settings/configure_args.h"
#include "support/cursor_moves.h"
#include "support/pump.h"
#include "support/saver_process_test.h"

namespace {

struct Monitor {
  RECT rect;
  int dpi;
};

std::string Describe(const RECT& rect) {
  return std::to_string(rect.left) + ", " + std::to_string(rect.top) + ", " + std::to_string(rect.right) + ", " +
         std::to_string(rect.bottom);
}

RECT WindowRect(HWND window) {
  RECT rect{};
  ::GetWindowRect(window, &rect);
  return rect;
}

// The rain of a window as a test reads it: the sheet's cell and the grid over the window.
struct Rain {
  int step, cellWidth, cellHeight, columns, rows;
  bool operator==(const Rain& other) const {
    return step == other.step && cellWidth == other.cellWidth && cellHeight == other.cellHeight &&
           columns == other.columns && rows == other.rows;
  }
};

std::ostream& operator<<(std::ostream& out, const Rain& rain) {
  return out << "step " << rain.step << ", cells " << rain.cellWidth << " x " << rain.cellHeight << ", grid "
             << rain.columns << " x " << rain.rows;
}

Rain RainOf(const TVellixForm& window) {
  const Vellix& field = *window.RainField;
  return {window.ScaleStep(), field.BaseSheet().cellWidth, field.BaseSheet().cellHeight, field.GridColumns(),
          field.GridRows()};
}

class SaverScaleTest : public SaverProcessTest {
 protected:
  // The monitor list now, and what the saver reads whenever it reads the monitors again.
  void UseMonitors(const std::vector<Monitor>* monitors) {
    Monitors.Source = [monitors] {
      std::vector<RECT> rects;
      for (const Monitor& monitor : *monitors) rects.push_back(monitor.rect);
      return rects;
    };
    Monitors.DpiSource = [monitors](const RECT& rect) {
      for (const Monitor& monitor : *monitors)
        if (Describe(monitor.rect) == Describe(rect)) return monitor.dpi;
      return 0;
    };
    Monitors.Rebuild();
  }
  void CreateSaver() {
    App().CreateForm(VellixForm, [](Vellix& rainField) {
      ConfigureRainField(rainField, ConfigureArgsFrom(MemorySettingControls()));
    });
    VellixForm->Show();
  }
  // The primary window and its secondaries, in monitor order.
  std::vector<TVellixForm*> Windows() {
    std::vector<TVellixForm*> windows = {VellixForm};
    windows.insert(windows.end(), VellixForm->SecondaryForms->begin(), VellixForm->SecondaryForms->end());
    return windows;
  }
  // Every monitor has one window, on its rectangle, with the rain expected there.
  void ExpectWindowsOn(const std::vector<Monitor>& monitors, const std::vector<Rain>& rains) {
    const std::vector<TVellixForm*> windows = Windows();
    ASSERT_EQ(windows.size(), monitors.size());
    for (std::size_t i = 0; i < windows.size(); ++i) {
      SCOPED_TRACE("monitor " + std::to_string(i));
      EXPECT_EQ(Describe(WindowRect(windows[i]->Handle())), Describe(monitors[i].rect));
      ASSERT_NE(windows[i]->RainField, nullptr);
      EXPECT_EQ(RainOf(*windows[i]), rains[i]);
    }
  }
  // Waits until every window's rain has stepped from where it is now.
  void ExpectEveryRainSteps() {
    std::vector<std::vector<int>> start;
    for (TVellixForm* window : Windows()) {
      std::vector<int> rows;
      for (const Drop& drop : window->RainField->Fallers()) rows.push_back(drop.row);
      start.push_back(rows);
    }
    EXPECT_TRUE(PumpUntil(App(), [&] {
      const std::vector<TVellixForm*> windows = Windows();
      for (std::size_t i = 0; i < windows.size(); ++i) {
        std::vector<int> rows;
        for (const Drop& drop : windows[i]->RainField->Fallers()) rows.push_back(drop.row);
        if (rows == start[i]) return false;
      }
      return true;
    }, 30000));
  }
};

// A 4K monitor at 200 % shows the rain of a 1920 x 1080 one at 100 %: the same grid, drawn with
// cells of twice the size; each monitor takes the step of its own DPI.
TEST_F(SaverScaleTest, EachMonitorDrawsAtItsOwnScale) {
  const std::vector<Monitor> monitors = {
      {{0, 0, 1920, 1080}, 96},
      {{1920, 0, 5760, 2160}, 192},
      {{-1536, 0, 0, 960}, 144},
      {{0, 1080, 1600, 2280}, 120},
  };
  const std::vector<Rain> expected = {
      {100, 10, 15, 193, 73},
      {200, 20, 30, 193, 73},
      {150, 15, 23, 103, 42},
      {125, 13, 19, 124, 64},
  };
  UseMonitors(&monitors);
  CreateSaver();
  ASSERT_NO_FATAL_FAILURE(ExpectWindowsOn(monitors, expected));
  ExpectEveryRainSteps();
}

// The user changes a monitor's scale while the saver runs: the window stays on its monitor (the
// system's suggested rectangle is for windows that keep their size in inches) and its rain starts
// again with the sheet of the new step. A DPI of the same step keeps the rain as it is.
TEST_F(SaverScaleTest, ScaleChangedWhileRunningRebuildsTheRain) {
  const std::vector<Monitor> monitors = {{{0, 0, 1024, 768}, 96}, {{1024, 0, 2048, 768}, 96}};
  UseMonitors(&monitors);
  CreateSaver();
  TVellixForm& second = *Windows()[1];
  const struct {
    int dpi;
    Rain rain;
    bool rebuilt;
  } changes[] = {
      {192, {200, 20, 30, 52, 26}, true},
      {200, {200, 20, 30, 52, 26}, false},  // 208 %: still nearest to 200
      {144, {150, 15, 23, 69, 34}, true},
      {96, {100, 10, 15, 103, 52}, true},
  };
  for (const auto& change : changes) {
    SCOPED_TRACE(std::to_string(change.dpi) + " DPI");
    const Vellix* before = second.RainField.get();
    const Vellix* primaryBefore = VellixForm->RainField.get();
    RECT suggested{1024, 0, 1024 + 1024 * change.dpi / 96, 768 * change.dpi / 96};
    ::SendMessageA(second.Handle(), WM_DPICHANGED, MAKEWPARAM(change.dpi, change.dpi),
                   reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(Describe(WindowRect(second.Handle())), Describe(monitors[1].rect));
    ASSERT_NE(second.RainField, nullptr);
    EXPECT_EQ(RainOf(second), change.rain);
    EXPECT_EQ(second.RainField.get() != before, change.rebuilt);
    ASSERT_TRUE(second.RainField->IsConfigured());
    EXPECT_EQ(VellixForm->RainField.get(), primaryBefore) << "the other monitor's rain is left alone";
    EXPECT_EQ(RainOf(*VellixForm), (Rain{100, 10, 15, 103, 52}));
    ExpectEveryRainSteps();
  }
}

// When the monitors are read again (a monitor joins, or comes back from sleep at another scale),
// every window takes the scale the new list gives its monitor.
TEST_F(SaverScaleTest, MonitorsReadAgainBringTheirScales) {
  std::vector<Monitor> monitors = {{{0, 0, 1024, 768}, 96}};
  UseMonitors(&monitors);
  CreateSaver();
  const struct {
    std::vector<Monitor> monitors;
    std::vector<Rain> rains;
  } changes[] = {
      // A 200 % monitor joins on the right.
      {{{{0, 0, 1024, 768}, 96}, {{1024, 0, 3072, 1536}, 192}}, {{100, 10, 15, 103, 52}, {200, 20, 30, 103, 52}}},
      // The first monitor is now at 150 %, the second at 100 %.
      {{{{0, 0, 1024, 768}, 144}, {{1024, 0, 3072, 1536}, 96}}, {{150, 15, 23, 69, 34}, {100, 10, 15, 205, 103}}},
  };
  for (std::size_t n = 0; n < std::size(changes); ++n) {
    SCOPED_TRACE("change " + std::to_string(n + 1));
    monitors = changes[n].monitors;
    ::SendMessageA(VellixForm->Handle(), WM_DISPLAYCHANGE, 32, MAKELPARAM(1024, 768));
    ASSERT_NO_FATAL_FAILURE(ExpectWindowsOn(monitors, changes[n].rains));
    ExpectEveryRainSteps();
  }
}

// The cursor is read in the pixels of the monitor it is on: a tremble of five of the user's pixels
// covers ten of them at 200 %. The saver takes the tolerance of the monitor where the cursor
// started, whichever monitor comes first in the list, and a move beyond it closes the saver.
// Every case starts at the same point, so that the cursor put back by one case's close is where
// the next starts (each warp of the cursor comes back later as a move).
TEST_F(SaverScaleTest, MouseToleranceIsFivePixelsAtTheScaleOfTheMonitorWhereTheCursorStarted) {
  const POINT start{320, 240};
  const struct {
    const char* name;
    std::vector<Monitor> monitors;
    int tolerance;
  } cases[] = {
      {"one monitor at 100 %", {{{0, 0, 640, 480}, 96}}, 5},
      {"one monitor at 200 %", {{{0, 0, 640, 480}, 192}}, 10},
      {"at 150 %, another at 100 % first in the list", {{{-640, 0, 0, 480}, 96}, {{0, 0, 640, 480}, 144}}, 8},
      {"at 100 %, another at 300 % beside it", {{{0, 0, 640, 480}, 96}, {{640, 0, 1280, 480}, 288}}, 5},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TearDown();
    SetUp();
    ::SetCursorPos(start.x, start.y);
    UseMonitors(&c.monitors);
    CreateSaver();
    CursorMoves moves(App());
    ASSERT_TRUE(moves.MoveTo({start.x + c.tolerance, start.y - c.tolerance})) << "no WM_MOUSEMOVE came for the tremble";
    EXPECT_FALSE(App().Terminated()) << "a move of " << c.tolerance << " pixels closed the saver";

    ::SetCursorPos(start.x - c.tolerance - 1, start.y);
    EXPECT_TRUE(PumpUntil(App(), [&] { return App().Terminated(); }))
        << "a move of " << c.tolerance + 1 << " pixels left the saver running";
  }
}

}  // namespace
