// The colour swatches open the system colour dialog, set up from the swatch's colour with its
// expand button disabled; a confirmed pick recolours the swatch, a cancelled one leaves it, and
// either way the preview is rebuilt at the next tick. Only a left press and release both on the
// swatch count as a click. (Whether the dialog opens fully expanded is the system's business:
// Wine keeps it folded when expanding is also prevented.)
#include <windows.h>

#include <atomic>
#include <thread>

#include "dialog_fixture.h"

namespace {

// Control ids of the system colour dialog's template.
constexpr int kRedEdit = 706, kGreenEdit = 707, kBlueEdit = 708, kDefineCustom = 719;

struct PickerFacts {
  UINT red = 0, green = 0, blue = 0;
  bool expandEnabled = true;
};

// Waits for the colour dialog that `owner` opens, reads what it shows, then answers it: with a
// typed colour and OK, or with Cancel.
class PickerOperator {
 public:
  PickerOperator(HWND owner, bool confirm, COLORREF typed)
      : thread_([this, owner, confirm, typed] { Operate(owner, confirm, typed); }) {}
  ~PickerOperator() {
    stop_ = true;
    thread_.join();
  }
  bool Found() const { return found_; }
  const PickerFacts& Facts() const { return facts_; }

 private:
  void Operate(HWND owner, bool confirm, COLORREF typed) {
    HWND picker = nullptr;
    for (ULONGLONG deadline = ::GetTickCount64() + 15000; !picker && !stop_ && ::GetTickCount64() < deadline;) {
      for (HWND candidate = ::FindWindowExA(nullptr, nullptr, "#32770", nullptr); candidate;
           candidate = ::FindWindowExA(nullptr, candidate, "#32770", nullptr)) {
        if (::GetWindow(candidate, GW_OWNER) == owner && ::IsWindowVisible(candidate)) picker = candidate;
      }
      if (!picker) ::Sleep(20);  // polling another thread's window; the time-out bounds it
    }
    if (!picker) return;
    facts_.red = ::GetDlgItemInt(picker, kRedEdit, nullptr, FALSE);
    facts_.green = ::GetDlgItemInt(picker, kGreenEdit, nullptr, FALSE);
    facts_.blue = ::GetDlgItemInt(picker, kBlueEdit, nullptr, FALSE);
    facts_.expandEnabled = ::IsWindowEnabled(::GetDlgItem(picker, kDefineCustom));
    if (confirm) {
      ::SetDlgItemInt(picker, kRedEdit, GetRValue(typed), FALSE);
      ::SetDlgItemInt(picker, kGreenEdit, GetGValue(typed), FALSE);
      ::SetDlgItemInt(picker, kBlueEdit, GetBValue(typed), FALSE);
    }
    found_ = true;
    ::PostMessageA(picker, WM_COMMAND, confirm ? IDOK : IDCANCEL, 0);
  }

  std::atomic<bool> found_{false};
  std::atomic<bool> stop_{false};
  PickerFacts facts_;
  std::thread thread_;
};

// The left button as the system delivers it to the swatch, at client point (x, y). SendMessage
// returns once the swatch has handled it, colour dialog included.
void Press(HWND swatch, int x, int y) { ::SendMessageA(swatch, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y)); }
void Release(HWND swatch, int x, int y) { ::SendMessageA(swatch, WM_LBUTTONUP, 0, MAKELPARAM(x, y)); }

class SetupColourTest : public SetupDialogTest {};

TEST_F(SetupColourTest, SwatchPicksItsColourWithTheSystemDialog) {
  struct Case {
    const char* name;
    bool confirm;
    std::uint32_t expected;  // the Light swatch afterwards
  };
  const Case cases[] = {{"confirmed", true, 0x00332211}, {"cancelled", false, 0x0088FF88}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TearDown();
    SetUp();
    TSetupFrm& dialog = OpenDialog();
    bool changedAfterPick = false;
    std::uint32_t colourAfterPick = 0;
    PickerFacts facts;
    bool found = false;
    RunModal(dialog, [&] {
      ASSERT_FALSE(dialog.SettingsChanged);
      {
        PickerOperator picker(dialog.Handle(), c.confirm, 0x00332211);
        // A click on the swatch; the colour dialog runs inside it until the operator answers.
        Press(dialog.LightButton.Handle(), 5, 5);
        Release(dialog.LightButton.Handle(), 5, 5);
        found = picker.Found();
        facts = picker.Facts();
      }
      changedAfterPick = dialog.SettingsChanged;
      colourAfterPick = dialog.LightButton.Color();
      ::PostMessageA(dialog.ButtonCancel.Handle(), BM_CLICK, 0, 0);
    });
    ASSERT_TRUE(found) << "no colour dialog owned by the settings dialog appeared";
    EXPECT_EQ(facts.red, 136u);  // set up from the swatch: 0x0088FF88
    EXPECT_EQ(facts.green, 255u);
    EXPECT_EQ(facts.blue, 136u);
    EXPECT_FALSE(facts.expandEnabled);
    EXPECT_EQ(colourAfterPick, c.expected);
    EXPECT_TRUE(changedAfterPick);  // the preview is rebuilt at the next tick either way
  }
}

TEST_F(SetupColourTest, OnlyAPressAndReleaseOnTheSwatchOpenTheColourDialog) {
  struct Case {
    const char* name;
    bool press;           // the left button went down on the swatch
    POINT release;        // where it came up, in the swatch's client pixels
    bool opens;
  };
  const Case cases[] = {
      {"pressed and released on the swatch", true, {5, 5}, true},
      {"pressed elsewhere, released on the swatch", false, {5, 5}, false},
      {"pressed on the swatch, released beside it", true, {-20, 5}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TearDown();
    SetUp();
    TSetupFrm& dialog = OpenDialog();
    bool found = false, changed = false, captured = false;
    RunModal(dialog, [&] {
      HWND swatch = dialog.NormalButton.Handle();
      {
        PickerOperator picker(dialog.Handle(), false, 0);
        if (c.press) {
          Press(swatch, 5, 5);
          captured = ::GetCapture() == swatch;  // the swatch holds the mouse until the release
        }
        Release(swatch, c.release.x, c.release.y);
        found = picker.Found();
      }
      changed = dialog.SettingsChanged;
      EXPECT_EQ(::GetCapture(), nullptr);
      ::PostMessageA(dialog.ButtonCancel.Handle(), BM_CLICK, 0, 0);
    });
    EXPECT_EQ(found, c.opens);
    EXPECT_EQ(changed, c.opens);
    EXPECT_EQ(captured, c.press);
  }
}

}  // namespace
