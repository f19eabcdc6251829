// The colour swatches open the system colour dialog, set up from the swatch's colour with its
// expand button disabled; a confirmed pick recolours the swatch, a cancelled one leaves it, and
// either way the preview is rebuilt at the next tick. (Whether the dialog opens fully expanded
// is the system's business: Wine keeps it folded when expanding is also prevented.)
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
  ~PickerOperator() { thread_.join(); }
  bool Found() const { return found_; }
  const PickerFacts& Facts() const { return facts_; }

 private:
  void Operate(HWND owner, bool confirm, COLORREF typed) {
    HWND picker = nullptr;
    for (ULONGLONG deadline = ::GetTickCount64() + 15000; !picker && ::GetTickCount64() < deadline;) {
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
  PickerFacts facts_;
  std::thread thread_;
};

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
        ::SendMessageA(dialog.LightButton.Handle(), WM_LBUTTONUP, 0, 0);
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

}  // namespace
