// The saver window in this process against Wine's real windows and GDI: placement on an
// injected list of monitors and on the lists that follow when monitors change, the preview
// placements, what the rain draws, the input filter, the reload of every monitor's settings,
// the pause while the display is off, and the way a preview ends when its host goes away.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "base/globals.h"
#include "common/memory_setting_controls.h"
#include "engine/vellix.h"
#include "forms/application.h"
#include "platform/gdi_surface.h"
#include "platform/monitors.h"
#include "saver/vellixfrm.h"
#include "settings/configure_args.h"
#include "support/case_name.h"
#include "support/cursor_moves.h"
#include "support/gdi_objects.h"
#include "support/picture.h"
#include "support/pump.h"
#include "support/saver_process_test.h"
#include "support/test_window.h"

namespace {

RECT WindowRect(HWND window) {
  RECT rect{};
  ::GetWindowRect(window, &rect);
  return rect;
}

bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

class SaverWindowTest : public SaverProcessTest {
 protected:
  // The monitor list, and what it reads when the saver rebuilds it.
  void UseMonitors(const std::vector<RECT>& rects) {
    Monitors.Source = [rects] { return rects; };
    Monitors.List.clear();
    for (const RECT& rect : rects) {
      auto monitor = std::make_unique<TMonitor>();
      monitor->Rect = rect;
      Monitors.List.push_back(std::move(monitor));
    }
  }
  // Makes the main saver window as the entry does, with the built-in settings standing in for
  // the stored ones (the settings dialog is not part of these tests).
  void CreateSaver(SettingsApplier settings = BuiltInSettings) { App().CreateForm(VellixForm, settings); }
  static void BuiltInSettings(Vellix& rainField) {
    ConfigureRainField(rainField, ConfigureArgsFrom(MemorySettingControls()));
  }
};

TEST_F(SaverWindowTest, PrimaryTakesTheFirstMonitorAndSecondariesTheOthersInOrder) {
  // The third monitor lies left of and above the first, as monitors often do.
  const std::vector<RECT> rects = {{0, 0, 800, 600}, {800, 0, 1824, 768}, {-1280, -200, 0, 824}};
  UseMonitors(rects);
  CreateSaver();
  ASSERT_NE(VellixForm, nullptr);
  EXPECT_EQ(App().MainForm(), VellixForm);

  ASSERT_EQ(VellixForm->SecondaryForms->size(), 2u);
  std::vector<TVellixForm*> windows = {VellixForm, (*VellixForm->SecondaryForms)[0],
                                       (*VellixForm->SecondaryForms)[1]};
  struct Grid { int columns, rows; };
  const Grid grids[] = {{81, 41}, {103, 52}, {129, 69}};
  for (std::size_t i = 0; i < windows.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_TRUE(SameRect(WindowRect(windows[i]->Handle()), rects[i]));
    EXPECT_TRUE(SameRect(windows[i]->ScreenRect, rects[i]));
    EXPECT_EQ(windows[i]->IsPrimary, i == 0);
    const LONG style = ::GetWindowLongA(windows[i]->Handle(), GWL_STYLE);
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_FALSE(style & (WS_CAPTION | WS_THICKFRAME | WS_CHILD));
    EXPECT_TRUE(::GetWindowLongA(windows[i]->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    ASSERT_NE(windows[i]->RainField, nullptr);
    EXPECT_EQ(windows[i]->RainField->GridColumns(), grids[i].columns);
    EXPECT_EQ(windows[i]->RainField->GridRows(), grids[i].rows);
  }
  // Secondary windows are shown as they are made, before the primary.
  EXPECT_TRUE(::IsWindowVisible(windows[1]->Handle()));
  EXPECT_TRUE(::IsWindowVisible(windows[2]->Handle()));
}

TEST_F(SaverWindowTest, EmptyMonitorListCoversTheWholeScreen) {
  UseMonitors({});
  CreateSaver();
  const RECT screen{::GetSystemMetrics(SM_XVIRTUALSCREEN), ::GetSystemMetrics(SM_YVIRTUALSCREEN),
                    ::GetSystemMetrics(SM_XVIRTUALSCREEN) + ::GetSystemMetrics(SM_CXVIRTUALSCREEN),
                    ::GetSystemMetrics(SM_YVIRTUALSCREEN) + ::GetSystemMetrics(SM_CYVIRTUALSCREEN)};
  EXPECT_TRUE(SameRect(WindowRect(VellixForm->Handle()), screen));
  EXPECT_TRUE(VellixForm->SecondaryForms->empty());
}

// The mouse moved for real: Wine turns each move of the cursor into a WM_MOUSEMOVE, and the saver
// measures it with GetCursorPos from where the cursor stood when the saver started. A tremble
// leaves it running; a longer move closes it and puts the cursor back where it started.
TEST_F(SaverWindowTest, RealMouseMoveClosesBeyondATrembleAndTheCursorGoesBack) {
  const POINT start{320, 240};
  ::SetCursorPos(start.x, start.y);
  UseMonitors({{0, 0, 640, 480}});
  CreateSaver();
  VellixForm->Show();
  CursorMoves moves(App());
  ASSERT_TRUE(moves.MoveTo({start.x + 5, start.y - 5})) << "no WM_MOUSEMOVE came for the tremble";
  EXPECT_FALSE(App().Terminated()) << "a move of five pixels closed the saver";

  ::SetCursorPos(start.x + 40, start.y + 30);
  ASSERT_TRUE(PumpUntil(App(), [&] { return App().Terminated(); })) << "the long move did not close the saver";
  POINT cursor{};
  ::GetCursorPos(&cursor);
  EXPECT_EQ(cursor.x, start.x);
  EXPECT_EQ(cursor.y, start.y);
  EXPECT_EQ(VellixForm->RainField, nullptr);
}

// The cursor is hidden over the full-screen saver and shown over a preview, where the user
// is still working in the settings.
TEST_F(SaverWindowTest, CursorIsHiddenFullScreenAndShownOverAPreview) {
  TestWindow host(20, 20, 300, 200);
  const HCURSOR arrow = ::LoadCursorA(nullptr, IDC_ARROW);
  const struct {
    const char* name;
    HWND previewHost;
    HCURSOR expected;
  } cases[] = {{"full screen", nullptr, nullptr}, {"preview", host.Handle(), arrow}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TearDown();
    SetUp();
    UseMonitors({{0, 0, 640, 480}});
    PreviewParent = c.previewHost;
    RunAsSaver = c.previewHost != nullptr;  // as /p starts it
    CreateSaver();
    VellixForm->Show();
    ::SetCursor(::LoadCursorA(nullptr, IDC_CROSS));
    HWND window = VellixForm->Handle();
    ::SendMessageA(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(::GetCursor(), c.expected);
  }
  ::SetCursor(arrow);
}

// Messages posted to the saver as the system would queue them reach its input rule through the
// application's loop (which messages close is the rule's own business, tested on its own).
struct FilterCase {
  const char* name;
  std::vector<UINT> messages;
  bool closes;
  friend void PrintTo(const FilterCase& c, std::ostream* out) { *out << c.name; }
};

const FilterCase kFilterCases[] = {
    {"releases, wheel, characters and double clicks",
     {WM_KEYUP, WM_SYSKEYUP, WM_LBUTTONUP, WM_RBUTTONUP, WM_MBUTTONUP, WM_MOUSEWHEEL, WM_CHAR, WM_LBUTTONDBLCLK},
     false},
    {"key down", {WM_KEYDOWN}, true},
};

class SaverFilterTest : public SaverWindowTest, public ::testing::WithParamInterface<FilterCase> {};

INSTANTIATE_TEST_SUITE_P(Messages, SaverFilterTest, ::testing::ValuesIn(kFilterCases), CaseName());

TEST_P(SaverFilterTest, ClosesOnPressesOnly) {
  const FilterCase& c = GetParam();
  UseMonitors({{0, 0, 640, 480}});
  CreateSaver();
  VellixForm->Show();
  std::vector<UINT> seen;
  MessageHandler filter = App().OnMessage;
  App().OnMessage = [&](MSG& message, bool& handled) {
    seen.push_back(message.message);
    filter(message, handled);
  };
  for (UINT message : c.messages) ::PostMessageA(VellixForm->Handle(), message, 0, 0);
  MSG msg;
  while (App().ProcessMessage(msg) && !App().Terminated()) {
  }
  std::string trail;
  for (UINT number : seen) trail += std::to_string(number) + " ";
  EXPECT_EQ(App().Terminated(), c.closes) << "messages seen: " << trail;
}

// When a window that covered part of the saver goes away (the password prompt, say), that part
// shows the rain that was there at once, painted from the picture the window keeps.
TEST_F(SaverWindowTest, UncoveredPartShowsTheRainThatWasThere) {
  UseMonitors({{0, 0, 640, 480}});
  CreateSaver();
  VellixForm->Show();
  HWND window = VellixForm->Handle();
  const RECT part{100, 90, 420, 300};
  auto litInPart = [&](const Picture& picture) {
    int lit = 0;
    for (int y = part.top; y < part.bottom; ++y)
      for (int x = part.left; x < part.right; ++x) lit += picture.At(x, y) != 0;
    return lit;
  };
  ASSERT_TRUE(PumpUntil(App(), [&] { return litInPart(ClientPicture(window)) > 3000; }));

  // No idle pass runs from here on, so the rain stands still. Wine keeps a window's pixels
  // when another window covers it, so the part is blacked out here as a covering window would
  // leave it on Windows; only the saver's own paint can bring the rain back.
  const Picture before = ClientPicture(window);
  {
    WindowDc dc(window);
    ::PatBlt(dc.Get(), part.left, part.top, part.right - part.left, part.bottom - part.top, BLACKNESS);
  }
  ASSERT_EQ(litInPart(ClientPicture(window)), 0) << "the part was not blacked out";
  ::InvalidateRect(window, &part, TRUE);
  ::UpdateWindow(window);
  const Picture after = ClientPicture(window);
  EXPECT_GT(litInPart(after), 3000);
  EXPECT_TRUE(after == before) << "the uncovered part is not what was there";
}

// The rain makes no GDI object as it steps, a rebuilt field (the settings dialog rebuilds its
// preview once a second while sliders move) gives back what the old one held, and a closed
// window leaves nothing behind: a second and a third saver's life end on the same count.
TEST_F(SaverWindowTest, NoGdiObjectPerStepPerRebuildOrPerWindow) {
  std::vector<int> afterClosing;
  for (int life = 0; life < 3; ++life) {
    SCOPED_TRACE(life);
    TearDown();
    SetUp();
    UseMonitors({{0, 0, 640, 480}, {640, 0, 1024, 400}});
    CreateSaver();
    VellixForm->Show();
    int passes = 0;
    App().OnIdle = [&, idle = App().OnIdle](TApplication* sender, bool& done) {
      idle(sender, done);
      ++passes;
    };
    // An idle pass lasts until the next step is due (60 ms here): about one step a pass.
    auto idlePasses = [&](int count) {
      const int goal = passes + count;
      ASSERT_TRUE(PumpUntil(App(), [&] { return passes >= goal; }));
    };
    idlePasses(10);
    ASSERT_TRUE(GdiCountSeesANewObject());
    const int stepping = LiveGdiObjects();
    idlePasses(20);
    EXPECT_EQ(LiveGdiObjects(), stepping) << "after more steps";
    for (int rebuild = 0; rebuild < 3; ++rebuild) {
      VellixForm->WipeRain();
      VellixForm->ReloadSettings();
      idlePasses(3);
    }
    EXPECT_EQ(LiveGdiObjects(), stepping) << "after rebuilding the field";
    VellixForm->Close();
    ASSERT_TRUE(App().Terminated());
    TearDown();
    afterClosing.push_back(LiveGdiObjects());
  }
  EXPECT_EQ(afterClosing[2], afterClosing[1]);
  SetUp();
}

class PreviewTest : public SaverWindowTest {
 protected:
  // Starts the system's preview inside `host`, as /p does.
  void StartPreview(const TestWindow& host, SettingsApplier settings = BuiltInSettings) {
    PreviewParent = host.Handle();
    RunAsSaver = true;
    CreateSaver(settings);
    VellixForm->Show();
  }
};

TEST_F(PreviewTest, PreviewIsAChildFillingItsHost) {
  TestWindow host(20, 20, 300, 200);
  StartPreview(host);
  HWND preview = VellixForm->Handle();
  const LONG style = ::GetWindowLongA(preview, GWL_STYLE);
  EXPECT_TRUE(style & WS_CHILD);
  EXPECT_TRUE(style & WS_CLIPSIBLINGS);
  EXPECT_FALSE(style & WS_POPUP);
  EXPECT_EQ(::GetParent(preview), host.Handle());
  RECT client{};
  ::GetClientRect(preview, &client);
  EXPECT_EQ(client.right, 300);
  EXPECT_EQ(client.bottom, 200);
  EXPECT_EQ(VellixForm->RainField->BaseSheet().cellWidth, 4);  // small glyphs at 320 pixels or less
  EXPECT_EQ(VellixForm->RainField->BaseSheet().cellHeight, 6);
  // A preview does not close on input.
  ::PostMessageA(preview, WM_KEYDOWN, 'A', 0);
  ::PostMessageA(preview, WM_LBUTTONDOWN, 0, 0);
  MSG msg;
  while (App().ProcessMessage(msg)) {
  }
  EXPECT_FALSE(App().Terminated());
}

TEST_F(PreviewTest, DestroyingTheHostEndsTheLoop) {
  TestWindow host(20, 20, 200, 150);
  StartPreview(host);
  host.Destroy();
  EXPECT_TRUE(PumpUntil(App(), [&] { return App().Terminated(); }, 5000));
}

// Every cell of the picture is what the field holds there: black where it is empty, else one
// glyph of the grey sheet tinted with the colour of the cell's role (trail, head, or passed by a
// riser). The colours are our own, each with red and blue apart, so a swap of the two channels
// or of two roles shows.
TEST_F(PreviewTest, PreviewDrawsEachCellInTheColourOfItsRole) {
  static const Color kTrail = 0x00C06020, kHead = 0x00FFE0A0, kPassed = 0x00402008;
  auto settings = [](Vellix& rainField) {
    MemorySettingControls controls;
    controls.Set(SettingId::NormalColor, static_cast<std::int32_t>(kTrail));
    controls.Set(SettingId::LightColor, static_cast<std::int32_t>(kHead));
    controls.Set(SettingId::DarkColor, static_cast<std::int32_t>(kPassed));
    controls.Set(SettingId::Inversion, 120);
    ConfigureRainField(rainField, ConfigureArgsFrom(controls));
  };
  const int width = 320, height = 240;
  TestWindow host(20, 20, width, height);
  StartPreview(host, settings);
  Vellix& rain = *VellixForm->RainField;
  const int cellWidth = rain.BaseSheet().cellWidth, cellHeight = rain.BaseSheet().cellHeight;

  GdiImageFactory images;
  auto sheet = images.LoadResource("INDEX_S");
  auto tinted = [](Color colour, Color grey) {
    Color result = 0;
    for (int shift = 0; shift < 24; shift += 8) {
      result |= (((colour >> shift) & 0xFF) * ((grey >> shift) & 0xFF) / 255) << shift;
    }
    return result;
  };
  auto colourOf = [](CellState state) -> Color {
    switch (state) {
      case CellNormal: return kTrail;
      case CellLight: return kHead;
      case CellDark: return kPassed;
      default: return 0;
    }
  };

  Picture canvas;
  // Whether the picture's cell shows black (colour 0) or one glyph tinted with `colour`.
  auto shows = [&](int cx, int cy, Color colour) {
    for (int glyph = 0; glyph < (colour ? 50 : 1); ++glyph) {
      bool same = true;
      for (int y = 0; y < cellHeight && same; ++y)
        for (int x = 0; x < cellWidth && same; ++x)
          same = canvas.At(cx * cellWidth + x, cy * cellHeight + y) ==
                 (colour ? tinted(colour, sheet->GetPixel(x, glyph * cellHeight + y)) : 0);
      if (same) return true;
    }
    return false;
  };
  std::map<CellState, int> seen;
  ASSERT_TRUE(PumpUntil(App(), [&] {
    seen.clear();
    for (int cy = 0; cy < height / cellHeight; ++cy)
      for (int cx = 0; cx < width / cellWidth; ++cx) ++seen[rain.Cell(cx, cy)];
    return seen[CellNormal] > 100 && seen[CellLight] > 0 && seen[CellDark] > 0;
  }));
  // The field stands still until the next idle pass, and its last step is on the window.
  canvas = ClientPicture(VellixForm->Handle());

  int mismatches = 0;
  std::string first;
  for (int cy = 0; cy < height / cellHeight; ++cy)
    for (int cx = 0; cx < width / cellWidth; ++cx) {
      const CellState state = rain.Cell(cx, cy);
      if (shows(cx, cy, colourOf(state))) continue;
      if (mismatches++ == 0) {
        first = "cell " + std::to_string(cx) + "," + std::to_string(cy) + " in state " + std::to_string(state) + ": ";
        char text[32];
        for (int y = 0; y < cellHeight; ++y)
          for (int x = 0; x < cellWidth; ++x) {
            std::snprintf(text, sizeof text, "%06lx ", static_cast<unsigned long>(canvas.At(cx * cellWidth + x, cy * cellHeight + y)));
            first += text;
          }
      }
    }
  EXPECT_EQ(mismatches, 0) << "first mismatching " << first;
}

TEST(MonitorListTest, FallsBackToTheScreenClipBox) {
  TMonitors fallback("USER32.DLL", "NoSuchEnumeration");
  ASSERT_EQ(fallback.List.size(), 1u);
  const RECT& rect = fallback.List[0]->Rect;
  EXPECT_EQ(rect.left, 0);
  EXPECT_EQ(rect.top, 0);
  EXPECT_EQ(rect.right, ::GetSystemMetrics(SM_CXSCREEN));
  EXPECT_EQ(rect.bottom, ::GetSystemMetrics(SM_CYSCREEN));

  TMonitors enumerated;
  ASSERT_GE(enumerated.List.size(), 1u);
  EXPECT_EQ(enumerated.List[0]->Rect.right - enumerated.List[0]->Rect.left, ::GetSystemMetrics(SM_CXSCREEN));
}

// What a rain field holds at a moment: every cell and every actor.
struct FieldState {
  std::vector<int> cells;
  std::vector<int> actors;
  bool operator==(const FieldState& other) const { return cells == other.cells && actors == other.actors; }
  bool operator!=(const FieldState& other) const { return !(*this == other); }
};

FieldState StateOf(const Vellix& rain) {
  FieldState state;
  for (int row = 0; row < rain.GridRows(); ++row)
    for (int column = 0; column < rain.GridColumns(); ++column) state.cells.push_back(rain.Cell(column, row));
  for (const auto* drops : {&rain.Fallers(), &rain.Erasers(), &rain.Risers()})
    for (const Drop& drop : *drops) state.actors.insert(state.actors.end(), {drop.column, drop.row});
  return state;
}

// The primary window and its secondaries, in monitor order.
std::vector<TVellixForm*> SaverWindows() {
  std::vector<TVellixForm*> windows = {VellixForm};
  windows.insert(windows.end(), VellixForm->SecondaryForms->begin(), VellixForm->SecondaryForms->end());
  return windows;
}

// Between steps the loop sleeps until the next one is due instead of waking every 5 ms to find
// nothing to do; every monitor's rain still steps. At 60 ms a step, passes that looked every
// 5 ms came about eleven to a step.
TEST_F(SaverWindowTest, IdlePassesSleepUntilTheNextStepIsDue) {
  UseMonitors({{0, 0, 640, 480}, {640, 0, 1280, 480}});
  CreateSaver();
  VellixForm->Show();
  const std::vector<TVellixForm*> windows = SaverWindows();
  int passes = 0;
  std::vector<int> steps(windows.size(), 0);
  std::vector<FieldState> last;
  for (TVellixForm* window : windows) last.push_back(StateOf(*window->RainField));
  App().OnIdle = [&, idle = App().OnIdle](TApplication* sender, bool& done) {
    idle(sender, done);
    ++passes;
    for (std::size_t i = 0; i < windows.size(); ++i) {
      FieldState now = StateOf(*windows[i]->RainField);
      if (now != last[i]) ++steps[i];
      last[i] = std::move(now);
    }
  };
  // Settle past the first steps and the messages of showing the windows, then count.
  ASSERT_TRUE(PumpUntil(App(), [&] { return steps[0] >= 3; }));
  passes = 0;
  std::fill(steps.begin(), steps.end(), 0);
  ASSERT_TRUE(PumpUntil(App(), [&] { return steps[0] >= 20; }, 30000));
  for (std::size_t i = 1; i < steps.size(); ++i) EXPECT_GE(steps[i], 19) << "monitor " << i;
  EXPECT_LE(passes, 3 * steps[0]) << "idle passes that found no step due";
}

// Where this thread's visible saver windows are, in screen coordinates, sorted.
std::multiset<std::vector<long>> VisibleSaverRects() {
  std::multiset<std::vector<long>> found;
  ::EnumThreadWindows(
      ::GetCurrentThreadId(),
      [](HWND window, LPARAM data) {
        char name[32] = {};
        ::GetClassNameA(window, name, sizeof name);
        if (std::string(name) == "TVellixForm" && ::IsWindowVisible(window)) {
          const RECT rect = WindowRect(window);
          reinterpret_cast<std::multiset<std::vector<long>>*>(data)->insert({rect.left, rect.top, rect.right, rect.bottom});
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

TEST_F(SaverWindowTest, EveryMonitorStaysCoveredWhileTheMonitorsChange) {
  std::vector<RECT> monitors = {{0, 0, 800, 600}};
  UseMonitors(monitors);
  Monitors.Source = [&monitors] { return monitors; };
  CreateSaver();
  VellixForm->Show();
  const std::vector<std::vector<RECT>> changes = {
      // Two monitors join, one of them left of the primary.
      {{0, 0, 800, 600}, {-1024, 0, 0, 768}, {800, 0, 1824, 768}},
      // The right one leaves and the primary changes its resolution.
      {{0, 0, 1024, 768}, {-1024, 0, 0, 768}},
      // The left one sleeps; the list starts with another monitor.
      {{-1024, 0, 0, 768}},
  };
  std::vector<HWND> before = {VellixForm->Handle()};
  for (std::size_t step = 0; step < changes.size(); ++step) {
    SCOPED_TRACE("change " + std::to_string(step + 1));
    monitors = changes[step];
    ::SendMessageA(VellixForm->Handle(), WM_DISPLAYCHANGE, 32, MAKELPARAM(monitors[0].right, monitors[0].bottom));

    // Exactly one visible window on every monitor and none anywhere else.
    std::multiset<std::vector<long>> expected;
    for (const RECT& rect : monitors) expected.insert({rect.left, rect.top, rect.right, rect.bottom});
    EXPECT_EQ(VisibleSaverRects(), expected);

    const std::vector<TVellixForm*> windows = SaverWindows();
    ASSERT_EQ(windows.size(), monitors.size());
    std::vector<FieldState> start;
    for (std::size_t i = 0; i < windows.size(); ++i) {
      SCOPED_TRACE(i);
      EXPECT_TRUE(SameRect(WindowRect(windows[i]->Handle()), monitors[i]));
      EXPECT_TRUE(SameRect(windows[i]->ScreenRect, monitors[i]));
      ASSERT_NE(windows[i]->RainField, nullptr);
      Vellix& rain = *windows[i]->RainField;
      ASSERT_TRUE(rain.IsConfigured());
      EXPECT_EQ(rain.GridColumns(), (monitors[i].right - monitors[i].left) / rain.BaseSheet().cellWidth + 1);
      EXPECT_EQ(rain.GridRows(), (monitors[i].bottom - monitors[i].top) / rain.BaseSheet().cellHeight + 1);
      start.push_back(StateOf(rain));
    }
    // Windows of monitors that went away are gone, their rain fields with them.
    for (HWND old : before) {
      const bool kept = std::any_of(windows.begin(), windows.end(), [old](TVellixForm* w) { return w->Handle() == old; });
      EXPECT_EQ(::IsWindow(old) != FALSE, kept);
    }
    // Every field steps.
    EXPECT_TRUE(PumpUntil(App(), [&] {
      for (std::size_t i = 0; i < windows.size(); ++i)
        if (StateOf(*windows[i]->RainField) == start[i]) return false;
      return true;
    }));
    before.clear();
    for (TVellixForm* window : windows) before.push_back(window->Handle());
  }
  EXPECT_FALSE(App().Terminated());
}

// "LumivexInit" rebuilds every monitor's rain from the settings as they are stored now, and
// the saver goes on.
TEST_F(SaverWindowTest, InitMessageReloadsTheSettingsOfEveryMonitor) {
  static std::int32_t noise;
  noise = 100;
  auto settings = [](Vellix& rainField) {
    MemorySettingControls controls;
    controls.Set(SettingId::Noise, noise);
    ConfigureRainField(rainField, ConfigureArgsFrom(controls));
  };
  UseMonitors({{0, 0, 640, 480}, {640, 0, 1280, 480}, {-640, 0, 0, 480}});
  CreateSaver(settings);
  VellixForm->Show();
  auto litCells = [](const Vellix& rain) {
    int lit = 0;
    for (int row = 0; row < rain.GridRows(); ++row)
      for (int column = 0; column < rain.GridColumns(); ++column) lit += rain.Cell(column, row) != CellEmpty;
    return lit;
  };
  ASSERT_TRUE(PumpUntil(App(), [&] {
    for (TVellixForm* window : SaverWindows())
      if (litCells(*window->RainField) <= 20) return false;
    return true;
  }));
  const std::int32_t before = VellixForm->RainField->NoiseCount();
  noise = 400;  // as if the stored settings changed
  ::PostMessageA(VellixForm->Handle(), InitMessage, 0, 0);
  MSG msg;
  while (App().ProcessMessage(msg)) {
  }
  const std::int32_t after = VellixForm->RainField->NoiseCount();
  EXPECT_NE(after, before);
  for (TVellixForm* window : SaverWindows()) {
    EXPECT_EQ(window->RainField->NoiseCount(), after);
    EXPECT_EQ(litCells(*window->RainField), 0);  // a fresh grid: the reload rebuilt the field
  }
  EXPECT_FALSE(App().Terminated());
}

// A display-state notification as the system sends it to a registered window.
void SendDisplayState(HWND window, DWORD state) {
  constexpr GUID kSessionDisplayStatus = {0x2b84c20e, 0xad23, 0x4ddf, {0x93, 0xdb, 0x05, 0xff, 0xbd, 0x7e, 0xfc, 0xa5}};
  struct {
    POWERBROADCAST_SETTING setting;
    BYTE room[sizeof(DWORD)];
  } message{};
  message.setting.PowerSetting = kSessionDisplayStatus;
  message.setting.DataLength = sizeof(DWORD);
  std::memcpy(message.setting.Data, &state, sizeof state);
  EXPECT_EQ(::SendMessageA(window, WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, reinterpret_cast<LPARAM>(&message)), TRUE);
}

struct DisplayCase {
  const char* name;
  std::vector<DWORD> states;  // sent in turn
  bool stopsBetween;          // the first state stops the rain
  friend void PrintTo(const DisplayCase& c, std::ostream* out) { *out << c.name; }
};

const DisplayCase kDisplayCases[] = {
    {"off, then on", {0, 1}, true},
    {"off, then dimmed", {0, 2}, true},
    {"dimmed without off", {2}, false},
};

class SaverDisplayTest : public SaverWindowTest, public ::testing::WithParamInterface<DisplayCase> {};

INSTANTIATE_TEST_SUITE_P(States, SaverDisplayTest, ::testing::ValuesIn(kDisplayCases), CaseName());

TEST_P(SaverDisplayTest, NothingIsDrawnWhileTheDisplayIsOff) {
  const DisplayCase& c = GetParam();
  UseMonitors({{0, 0, 640, 480}, {640, 0, 1280, 480}});
  CreateSaver();
  VellixForm->Show();
  const std::vector<TVellixForm*> windows = SaverWindows();
  auto states = [&] {
    std::vector<FieldState> all;
    for (TVellixForm* window : windows) all.push_back(StateOf(*window->RainField));
    return all;
  };
  auto allStepped = [&](const std::vector<FieldState>& from) {
    const std::vector<FieldState> now = states();
    for (std::size_t i = 0; i < now.size(); ++i)
      if (now[i] == from[i]) return false;
    return true;
  };
  ASSERT_TRUE(PumpUntil(App(), [&, start = states()] { return allStepped(start); }));

  SendDisplayState(VellixForm->Handle(), c.states.front());
  bool done = true;  // as the loop calls it
  App().OnIdle(&App(), done);
  EXPECT_EQ(done, c.stopsBetween) << "the idle handler lets the loop wait only while the display is off";
  if (c.stopsBetween) {
    // Idle passes over several step intervals change nothing, on screen or in the fields.
    const std::vector<FieldState> still = states();
    const Picture picture = ClientPicture(VellixForm->Handle());
    const ULONGLONG until = ::GetTickCount64() + 500;
    while (::GetTickCount64() < until) {
      MSG msg;
      if (App().ProcessMessage(msg)) continue;
      App().OnIdle(&App(), done);
      if (done) ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    EXPECT_TRUE(states() == still);
    EXPECT_TRUE(ClientPicture(VellixForm->Handle()) == picture);
    SendDisplayState(VellixForm->Handle(), c.states.back());
  }
  // The rain goes on from where it stood.
  EXPECT_TRUE(PumpUntil(App(), [&, start = states()] { return allStepped(start); }));
  EXPECT_FALSE(App().Terminated());
}

}  // namespace
