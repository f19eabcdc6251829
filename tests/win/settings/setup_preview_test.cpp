// The settings dialog's live preview: a child window covering the preview panel whose rain
// starts from the dialog's values, is left alone by opening, and is rebuilt exactly once at
// the timer tick after any number of changes. Each tick is watched through the application's
// message filter, which the settings preview leaves free.
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "base/globals.h"
#include "dialog_fixture.h"
#include "engine/vellix.h"
#include "saver/vellixfrm.h"
#include "support/case_name.h"

namespace {

// What a rebuild replaces: the grid, which it empties, and every actor, which it places
// afresh at random. A tick that does not rebuild leaves all of it as it was.
struct RainState {
  std::vector<CellState> cells;
  std::vector<std::pair<int, int>> actors;  // fallers, erasers and risers: column, row
  std::size_t fallers = 0;
  std::size_t erasers = 0;

  bool GridEmpty() const {
    for (CellState cell : cells)
      if (cell != CellEmpty) return false;
    return true;
  }
  bool operator==(const RainState& other) const { return cells == other.cells && actors == other.actors; }
};

RainState StateOf(const Vellix& rain) {
  RainState state;
  for (int row = 0; row < rain.GridRows(); ++row)
    for (int column = 0; column < rain.GridColumns(); ++column) state.cells.push_back(rain.Cell(column, row));
  for (const auto* drops : {&rain.Fallers(), &rain.Erasers(), &rain.Risers()})
    for (const Drop& drop : *drops) state.actors.emplace_back(drop.column, drop.row);
  state.fallers = rain.Fallers().size();
  state.erasers = rain.Erasers().size();
  return state;
}

enum class Tick { Unchanged, Rebuilt, Other };

std::string Describe(const std::vector<Tick>& ticks) {
  std::string text;
  for (Tick tick : ticks) text += tick == Tick::Unchanged ? "unchanged " : tick == Tick::Rebuilt ? "rebuilt " : "other ";
  return text;
}

// Sees each tick of the dialog's one-second timer before it is dispatched, dispatches it, and
// notes what it did to the preview's rain.
class TickWatch {
 public:
  TickWatch(TApplication& application, TSetupFrm& dialog, const Vellix& rain) : application(application) {
    application.OnMessage = [this, &dialog, &rain](MSG& message, bool& handled) {
      if (message.hwnd != dialog.Handle() || message.message != WM_TIMER || message.wParam != dialog.Timer1.Id())
        return;
      const RainState before = StateOf(rain);
      ::DispatchMessageA(&message);
      handled = true;
      const RainState after = StateOf(rain);
      ticks.push_back(after == before ? Tick::Unchanged : after.GridEmpty() ? Tick::Rebuilt : Tick::Other);
      states.push_back(after);
    };
  }
  ~TickWatch() { application.OnMessage = nullptr; }
  TickWatch(const TickWatch&) = delete;
  TickWatch& operator=(const TickWatch&) = delete;

  std::vector<Tick> ticks;
  std::vector<RainState> states;  // just after each tick

 private:
  TApplication& application;
};

// The tints of the stored colours (red, cyan, navy) and black; any other pixel was drawn in
// some other colour.
bool InStoredColours(Color pixel) {
  const Color red = pixel & 0xFF, green = pixel >> 8 & 0xFF, blue = pixel >> 16 & 0xFF;
  return (green == 0 && (red == 0 || blue == 0)) || (red == 0 && green == blue);
}

class SetupPreviewTest : public SetupDialogTest {};

TEST_F(SetupPreviewTest, PreviewCoversItsPanelAndDrawsTheStoredSettingsFromTheFirstFrame) {
  WriteSettingsKey(HKEY_LOCAL_MACHINE, kStoredValues);
  TSetupFrm& dialog = OpenDialog();
  RunModal(dialog, [&] {
    ASSERT_NE(VellixForm, nullptr);
    HWND preview = VellixForm->Handle();
    HWND panel = dialog.PanelVellix.Handle();
    EXPECT_EQ(::GetParent(preview), panel);
    const LONG style = ::GetWindowLongA(preview, GWL_STYLE);
    EXPECT_TRUE(style & WS_CHILD);
    EXPECT_FALSE(style & WS_POPUP);
    EXPECT_TRUE(::IsWindowVisible(preview));
    RECT previewRect{}, panelRect{}, client{};
    ::GetWindowRect(preview, &previewRect);
    ::GetWindowRect(panel, &panelRect);
    ::GetClientRect(preview, &client);
    EXPECT_EQ(client.right, dialog.Scale(220));
    EXPECT_EQ(client.bottom, dialog.Scale(165));
    EXPECT_TRUE(::EqualRect(&previewRect, &panelRect));

    // Speed 190, Density 60, Balance 40, Noise 123, Inversion 7: a = 65 and b = 26.
    ASSERT_NE(VellixForm->RainField, nullptr);
    const Vellix& rain = *VellixForm->RainField;
    EXPECT_EQ(rain.Fallers().size(), 91u);
    EXPECT_EQ(rain.Erasers().size(), 39u);
    EXPECT_EQ(rain.Risers().size(), 7u);
    EXPECT_EQ(rain.NoiseCount(), 123);
    EXPECT_EQ(rain.BaseSheet().cellWidth, 4);  // the small glyphs

    TickWatch watch(App(), dialog, rain);
    int foreign = 0, red = 0, cyan = 0;
    Color firstForeign = 0;
    EXPECT_TRUE(PumpUntil([&] {
      for (Color pixel : ClientPicture(preview).pixels) {
        if (!InStoredColours(pixel) && foreign++ == 0) firstForeign = pixel;
        red += pixel != 0 && (pixel & 0xFFFF00) == 0;
        cyan += pixel != 0 && (pixel & 0xFF) == 0 && (pixel >> 8 & 0xFF) == (pixel >> 16);
      }
      return red > 0 && cyan > 0;
    })) << "trails seen: " << red << ", heads seen: " << cyan;
    EXPECT_EQ(foreign, 0) << std::hex << "first pixel in another colour: " << firstForeign;

    // Loading moved every slider; opening still leaves the rain as it started.
    ASSERT_TRUE(PumpUntil([&] { return watch.ticks.size() >= 2; }));
    EXPECT_EQ(Describe(watch.ticks), "unchanged unchanged ");
    ::PostMessageA(dialog.Handle(), WM_CLOSE, 0, 0);
  });
  ASSERT_NE(VellixForm, nullptr);
  EXPECT_EQ(VellixForm->RainField, nullptr);
}

// A drag of a slider's thumb through `positions`, with the notifications the trackbar sends.
void Drag(TTrackBar& slider, const std::vector<int>& positions) {
  HWND dialog = ::GetParent(slider.Handle());
  const LPARAM from = reinterpret_cast<LPARAM>(slider.Handle());
  for (int position : positions) {
    ::PostMessageA(slider.Handle(), TBM_SETPOS, TRUE, position);
    ::PostMessageA(dialog, WM_HSCROLL, MAKEWPARAM(TB_THUMBTRACK, position), from);
  }
  ::PostMessageA(dialog, WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, positions.back()), from);
  ::PostMessageA(dialog, WM_HSCROLL, TB_ENDTRACK, from);
}

struct ChangeCase {
  const char* name;
  std::function<void(TSetupFrm&)> change;
  std::size_t fallers, erasers;  // after the rebuild
  friend void PrintTo(const ChangeCase& c, std::ostream* out) { *out << c.name; }
};

const ChangeCase kChangeCases[] = {
    // Ends where it began: the scroll notifications alone count as changes.
    {"keys back and forth on one slider",
     [](TSetupFrm& d) {
       for (UINT key : {VK_RIGHT, VK_RIGHT, VK_RIGHT, VK_LEFT, VK_LEFT, VK_LEFT}) PostKey(d.TrackDensity.Handle(), key);
     },
     18, 32},
    // Density 200 and Balance 100: a = 205 and b = 205.
    {"thumb dragged, then a key on another slider",
     [](TSetupFrm& d) {
       Drag(d.TrackDensity, {100, 150, 200});
       PostKey(d.TrackBalance.Handle(), VK_END);
     },
     410, 0},
    {"Default with every control at its built-in value",
     [](TSetupFrm& d) { ::PostMessageA(d.ButtonDefault.Handle(), BM_CLICK, 0, 0); }, 18, 32},
};

class SetupPreviewChangeTest : public SetupDialogTest, public ::testing::WithParamInterface<ChangeCase> {};

INSTANTIATE_TEST_SUITE_P(Changes, SetupPreviewChangeTest, ::testing::ValuesIn(kChangeCases), CaseName());

TEST_P(SetupPreviewChangeTest, ChangesWithinOneTickRebuildThePreviewOnceAtTheNextTick) {
  const ChangeCase& c = GetParam();
  TSetupFrm& dialog = OpenDialog();
  RunModal(dialog, [&] {
    ASSERT_NE(VellixForm->RainField, nullptr);
    TickWatch watch(App(), dialog, *VellixForm->RainField);
    // Right after a tick, so that every change lands before the next one.
    ASSERT_TRUE(PumpUntil([&] { return watch.ticks.size() >= 1; }));
    c.change(dialog);
    ASSERT_TRUE(PumpUntil([&] { return watch.ticks.size() >= 3; }));
    EXPECT_EQ(Describe(watch.ticks), "unchanged rebuilt unchanged ");
    EXPECT_EQ(watch.states[1].fallers, c.fallers);
    EXPECT_EQ(watch.states[1].erasers, c.erasers);
    ::PostMessageA(dialog.Handle(), WM_CLOSE, 0, 0);
  });
}

}  // namespace
