// The colour swatches open the system colour dialog, set up from the swatch's colour with its
// expand button disabled; a confirmed pick recolours the swatch, a cancelled one leaves it, and
// either way the preview is rebuilt at the next tick. Only a left press and release both on the
// swatch count as a click. (Whether the dialog opens fully expanded is the system's business:
// Wine keeps it folded when expanding is also prevented.)
#include <windows.h>

#include <atomic>
#include <optional>
#include <thread>

#include "dialog_fixture.h"
#include "support/case_name.h"

namespace {

// Control ids of the system colour dialog's template.
constexpr int kRedEdit = 706, kGreenEdit = 707, kBlueEdit = 708, kDefineCustom = 719;

struct PickerFacts {
  UINT red = 0, green = 0, blue = 0;
  bool expandEnabled = true;
};

// From another thread, waits for the colour dialog that `owner` opens, reads what it shows,
// then answers it: with a typed colour and OK, or with Cancel. The dialog runs inside the click
// that opens it, so once that click has returned a dialog that has not appeared never will.
class PickerOperator {
 public:
  PickerOperator(HWND owner, bool confirm, COLORREF typed)
      : thread_([this, owner, confirm, typed] { Operate(owner, confirm, typed); }) {}
  ~PickerOperator() { Finish(); }
  PickerOperator(const PickerOperator&) = delete;
  PickerOperator& operator=(const PickerOperator&) = delete;

  // Called once the click has returned: ends the wait, joins the thread, and gives what the
  // dialog showed; nothing when no dialog owned by `owner` appeared.
  std::optional<PickerFacts> Finish() {
    clickReturned_ = true;
    if (thread_.joinable()) thread_.join();
    return facts_;
  }

 private:
  void Operate(HWND owner, bool confirm, COLORREF typed) {
    HWND picker = nullptr;
    // The time-out only bounds a click that neither opens a dialog nor returns.
    for (ULONGLONG deadline = ::GetTickCount64() + 15000;
         !picker && !clickReturned_ && ::GetTickCount64() < deadline;) {
      for (HWND candidate = ::FindWindowExA(nullptr, nullptr, "#32770", nullptr); candidate;
           candidate = ::FindWindowExA(nullptr, candidate, "#32770", nullptr)) {
        if (::GetWindow(candidate, GW_OWNER) == owner && ::IsWindowVisible(candidate)) picker = candidate;
      }
      if (!picker) ::Sleep(20);  // polling another thread's window; the time-out bounds it
    }
    if (!picker) return;
    PickerFacts facts;
    facts.red = ::GetDlgItemInt(picker, kRedEdit, nullptr, FALSE);
    facts.green = ::GetDlgItemInt(picker, kGreenEdit, nullptr, FALSE);
    facts.blue = ::GetDlgItemInt(picker, kBlueEdit, nullptr, FALSE);
    facts.expandEnabled = ::IsWindowEnabled(::GetDlgItem(picker, kDefineCustom));
    if (confirm) {
      ::SetDlgItemInt(picker, kRedEdit, GetRValue(typed), FALSE);
      ::SetDlgItemInt(picker, kGreenEdit, GetGValue(typed), FALSE);
      ::SetDlgItemInt(picker, kBlueEdit, GetBValue(typed), FALSE);
    }
    facts_ = facts;
    ::PostMessageA(picker, WM_COMMAND, confirm ? IDOK : IDCANCEL, 0);
  }

  std::atomic<bool> clickReturned_{false};
  std::optional<PickerFacts> facts_;  // written by the thread, read after it has joined
  std::thread thread_;                // last: starts once the members above exist
};

// The left button as the system delivers it to the swatch, at client point (x, y). SendMessage
// returns once the swatch has handled it, colour dialog included.
void Press(HWND swatch, int x, int y) { ::SendMessageA(swatch, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y)); }
void Release(HWND swatch, int x, int y) { ::SendMessageA(swatch, WM_LBUTTONUP, 0, MAKELPARAM(x, y)); }

struct PickCase {
  const char* name;
  bool confirm;
  std::uint32_t expected;  // the Light swatch afterwards
  friend void PrintTo(const PickCase& c, std::ostream* out) { *out << c.name; }
};

const PickCase kPickCases[] = {{"confirmed", true, 0x00332211}, {"cancelled", false, 0x0088FF88}};

class SetupColourPickTest : public SetupDialogTest, public ::testing::WithParamInterface<PickCase> {};

INSTANTIATE_TEST_SUITE_P(Picks, SetupColourPickTest, ::testing::ValuesIn(kPickCases), CaseName());

TEST_P(SetupColourPickTest, SwatchPicksItsColourWithTheSystemDialog) {
  const PickCase& c = GetParam();
  TSetupFrm& dialog = OpenDialog();
  bool changedBeforePick = true;
  bool changedAfterPick = false;
  std::uint32_t colourAfterPick = 0;
  std::optional<PickerFacts> facts;
  RunModal(dialog, [&] {
    changedBeforePick = dialog.SettingsChanged;
    PickerOperator picker(dialog.Handle(), c.confirm, 0x00332211);
    // A click on the swatch; the colour dialog runs inside it until the operator answers.
    Press(dialog.LightButton.Handle(), 5, 5);
    Release(dialog.LightButton.Handle(), 5, 5);
    facts = picker.Finish();
    changedAfterPick = dialog.SettingsChanged;
    colourAfterPick = dialog.LightButton.Color();
    ::PostMessageA(dialog.ButtonCancel.Handle(), BM_CLICK, 0, 0);
  });
  ASSERT_TRUE(facts) << "no colour dialog owned by the settings dialog appeared";
  EXPECT_EQ(facts->red, 136u);  // set up from the swatch: 0x0088FF88
  EXPECT_EQ(facts->green, 255u);
  EXPECT_EQ(facts->blue, 136u);
  EXPECT_FALSE(facts->expandEnabled);
  EXPECT_EQ(colourAfterPick, c.expected);
  EXPECT_FALSE(changedBeforePick);
  EXPECT_TRUE(changedAfterPick);  // the preview is rebuilt at the next tick either way
}

struct ClickCase {
  const char* name;
  bool press;     // the left button went down on the swatch
  POINT release;  // where it came up, in the swatch's client pixels
  bool opens;
  friend void PrintTo(const ClickCase& c, std::ostream* out) { *out << c.name; }
};

const ClickCase kClickCases[] = {
    {"pressed and released on the swatch", true, {5, 5}, true},
    {"pressed elsewhere, released on the swatch", false, {5, 5}, false},
    {"pressed on the swatch, released beside it", true, {-20, 5}, false},
};

class SetupColourClickTest : public SetupDialogTest, public ::testing::WithParamInterface<ClickCase> {};

INSTANTIATE_TEST_SUITE_P(Clicks, SetupColourClickTest, ::testing::ValuesIn(kClickCases), CaseName());

TEST_P(SetupColourClickTest, OnlyAPressAndReleaseOnTheSwatchOpenTheColourDialog) {
  const ClickCase& c = GetParam();
  TSetupFrm& dialog = OpenDialog();
  bool found = false, changed = false, captured = false;
  RunModal(dialog, [&] {
    HWND swatch = dialog.NormalButton.Handle();
    PickerOperator picker(dialog.Handle(), false, 0);
    if (c.press) {
      Press(swatch, 5, 5);
      captured = ::GetCapture() == swatch;  // the swatch holds the mouse until the release
    }
    Release(swatch, c.release.x, c.release.y);
    found = picker.Finish().has_value();
    changed = dialog.SettingsChanged;
    EXPECT_EQ(::GetCapture(), nullptr);
    ::PostMessageA(dialog.ButtonCancel.Handle(), BM_CLICK, 0, 0);
  });
  EXPECT_EQ(found, c.opens);
  EXPECT_EQ(changed, c.opens);
  EXPECT_EQ(captured, c.press);
}

}  // namespace
