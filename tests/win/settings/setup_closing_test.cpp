// Every way out of the settings dialog, driven with the messages the system queues for a user's
// clicks and keys, and what each leaves in the registry: only Ok (the button, or Enter while no
// other push button has the focus) stores, and every way closes the preview. A store that
// refuses every key is reported in the application's error box, which keeps the dialog from
// input while it is up, and the dialog still closes. Neither the dialog nor its preview ever
// locks the foreground, which only the full-screen saver does.
#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "base/globals.h"
#include "dialog_fixture.h"
#include "saver/vellixfrm.h"
#include "settings/registry_store.h"
#include "support/case_name.h"
#include "support/import_hook.h"
#include "support/message_box.h"
#include "support/standard_user_store.h"

namespace {

using Action = std::function<void(TSetupFrm&)>;

void Click(TButton& button) { ::PostMessageA(button.Handle(), BM_CLICK, 0, 0); }

// Speed to its maximum and Inversion one step up, with the keys a user would press.
const Action kEditSliders = [](TSetupFrm& dialog) {
  PostKey(dialog.TrackSpeed.Handle(), VK_END);
  PostKey(dialog.TrackInversion.Handle(), VK_RIGHT);
};

StoredValues EditedValues() {
  StoredValues values = kDesignValues;
  values["Speed"] = 200;
  values["Inversion"] = 1;
  return values;
}

const Action kFocusOk = [](TSetupFrm& dialog) { ::SetFocus(dialog.ButtonOk.Handle()); };

// A key pressed in the control that has the focus.
Action Key(UINT virtualKey) {
  return [virtualKey](TSetupFrm&) { PostKey(::GetFocus(), virtualKey); };
}

struct ClosingCase {
  const char* name;
  bool storedBefore;  // kStoredValues under HKEY_LOCAL_MACHINE, else no key at all
  std::vector<Action> actions;
  int result;
  std::optional<StoredValues> storedAfter;
  friend void PrintTo(const ClosingCase& c, std::ostream* out) { *out << c.name; }
};

// Built on first use: the stored values it names are defined in another file, and are only
// certain to exist once main has started.
const std::vector<ClosingCase>& ClosingCases() {
  static const std::vector<ClosingCase> cases = {
      {"Ok clicked", false, {kEditSliders, [](TSetupFrm& d) { Click(d.ButtonOk); }}, mrOk, EditedValues()},
      {"Enter on Ok", false, {kEditSliders, kFocusOk, Key(VK_RETURN)}, mrOk, EditedValues()},
      {"Enter after Tab to Cancel", false, {kEditSliders, kFocusOk, Key(VK_TAB), Key(VK_RETURN)}, mrCancel,
       std::nullopt},
      {"Cancel clicked", false, {kEditSliders, [](TSetupFrm& d) { Click(d.ButtonCancel); }}, mrCancel, std::nullopt},
      {"Esc", false, {kEditSliders, kFocusOk, Key(VK_ESCAPE)}, mrCancel, std::nullopt},
      {"close box", false,
       {kEditSliders, [](TSetupFrm& d) { ::PostMessageA(d.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0); }}, mrCancel,
       std::nullopt},
      {"Default then Ok", true,
       {[](TSetupFrm& d) { Click(d.ButtonDefault); }, [](TSetupFrm& d) { Click(d.ButtonOk); }}, mrOk,
       kDesignValues},
      {"Default then Cancel", true,
       {[](TSetupFrm& d) { Click(d.ButtonDefault); }, [](TSetupFrm& d) { Click(d.ButtonCancel); }}, mrCancel,
       kStoredValues},
  };
  return cases;
}

class SetupClosingTest : public SetupDialogTest {};
class SetupClosingWayTest : public SetupDialogTest, public ::testing::WithParamInterface<ClosingCase> {};

INSTANTIATE_TEST_SUITE_P(WaysOut, SetupClosingWayTest, ::testing::ValuesIn(ClosingCases()), CaseName());

TEST_P(SetupClosingWayTest, OnlyOkStoresAndEveryWayOutClosesThePreview) {
  const ClosingCase& c = GetParam();
  if (c.storedBefore) WriteSettingsKey(HKEY_LOCAL_MACHINE, kStoredValues);
  TSetupFrm& dialog = OpenDialog();
  // Posted in order, as the system queues input: the modal loop takes them one by one.
  const int result = RunModal(dialog, [&] {
    for (const Action& action : c.actions) action(dialog);
  });

  EXPECT_EQ(result, c.result);
  EXPECT_EQ(ReadSettingsKey(HKEY_LOCAL_MACHINE), c.storedAfter);
  EXPECT_EQ(ReadSettingsKey(HKEY_CURRENT_USER), std::nullopt);
  ASSERT_NE(VellixForm, nullptr);
  EXPECT_EQ(VellixForm->RainField, nullptr);
  EXPECT_FALSE(::IsWindowVisible(VellixForm->Handle()));
}

// A store in which no key can be opened or created, under either root.
class RefusingStore : public SettingsStore {
 public:
  std::unique_ptr<SettingsKey> OpenKey(StoreRoot, const std::string&, KeyMode) override { return nullptr; }
};

TEST_F(SetupClosingTest, StoreRefusingEveryKeyIsReportedAndTheDialogStillCloses) {
  RefusingStore refusing;
  StandardUserStore standardUser(refusing);
  TSetupFrm& dialog = OpenDialog(standardUser);

  std::atomic<bool> stop{false};
  MessageBoxSeen box;
  std::thread reader([&] { box = ReadAndDismissMessageBox(stop); });
  const int result = RunModal(dialog, [&] { Click(dialog.ButtonOk); });
  stop = true;
  reader.join();

  ASSERT_TRUE(box.found) << "no message box appeared";
  EXPECT_EQ(box.caption, "Lumivex Screensaver");
  // The box adds a full stop only after a character that sorts after it; a quote does not.
  EXPECT_EQ(box.text, "Failed to create key 'SOFTWARE\\Orvanta\\Lumivex'");
  EXPECT_EQ(box.buttons, std::vector<std::string>{"OK"});
  // While the box is up the dialog takes no input: its failing Ok cannot be pressed again.
  EXPECT_EQ(box.enabledBeneath, std::vector<std::string>{});
  EXPECT_EQ(result, mrOk);
  EXPECT_EQ(VellixForm->RainField, nullptr);
  EXPECT_FALSE(::IsWindowVisible(dialog.Handle()));
}

std::vector<UINT> foregroundLockCalls;

BOOL WINAPI RecordingLockSetForegroundWindow(UINT code) {
  foregroundLockCalls.push_back(code);
  return TRUE;
}

// The user works in the dialog beside other programs: neither it nor its preview keeps them from
// the foreground, activated, used and closed.
TEST_F(SetupClosingTest, NeitherTheDialogNorItsPreviewLocksTheForeground) {
  ImportHook hook("user32.dll", "LockSetForegroundWindow", reinterpret_cast<void*>(&RecordingLockSetForegroundWindow));
  ASSERT_TRUE(hook.Hooked());
  foregroundLockCalls.clear();
  TSetupFrm& dialog = OpenDialog();
  RunModal(dialog, [&] {
    ASSERT_NE(VellixForm, nullptr);
    ::SendMessageA(VellixForm->Handle(), WM_ACTIVATE, WA_ACTIVE, 0);
    ::SetActiveWindow(dialog.Handle());
    kEditSliders(dialog);
    PostKey(dialog.ButtonCancel.Handle(), VK_ESCAPE);
  });
  EXPECT_EQ(foregroundLockCalls, std::vector<UINT>{});
}

}  // namespace
