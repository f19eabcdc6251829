// The dialog tests' ground: registry keys, pixels, keys, and a script run from inside the
// modal loop through a thread timer, so the dialog runs exactly as the configure mode runs it.
#include "dialog_fixture.h"

#include <string>

#include "base/globals.h"
#include "base/win_handles.h"
#include "support/pump.h"

namespace {

const char kKeyPath[] = "SOFTWARE\\Orvanta\\Lumivex";

// Generous: a script pumps for a few of the preview's one-second ticks at most, so only a
// dialog (or a dialog it opened) that ignores the script or its close request waits this long.
constexpr UINT kModalTimeoutMs = 60000;

struct ModalScript {
  TForm& dialog;
  const std::function<void()>& script;
  bool ran = false;
  UINT_PTR watchdog = 0;
};
ModalScript* runningScript = nullptr;

// Cancels the dialog boxes this thread runs inside the settings dialog's loop (the colour
// dialog, a message box): their own modal loops would otherwise never return to it.
void CancelNestedDialogs() {
  ::EnumThreadWindows(
      ::GetCurrentThreadId(),
      [](HWND window, LPARAM) {
        char name[16] = {};
        ::GetClassNameA(window, name, sizeof name);
        if (std::string(name) == "#32770" && ::IsWindowVisible(window))
          ::PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
        return TRUE;
      },
      0);
}

// A thread timer's message is dispatched by whatever loop runs: the settings dialog's modal
// loop, a loop the script pumps, or the loop of a dialog box the script opened.
void CALLBACK CancelStuckDialog(HWND, UINT, UINT_PTR id, DWORD) {
  ::KillTimer(nullptr, id);
  runningScript->watchdog = 0;
  ADD_FAILURE() << "the dialog was still open " << kModalTimeoutMs << " ms after it was shown";
  CancelNestedDialogs();
  runningScript->dialog.SetModalResult(mrCancel);
}

void CALLBACK StartScript(HWND, UINT, UINT_PTR id, DWORD) {
  ::KillTimer(nullptr, id);
  if (runningScript->ran) return;
  runningScript->ran = true;
  runningScript->script();
}

}  // namespace

const StoredValues kDesignValues = {
    {"Speed", 150},          {"Density", 20},
    {"Balance", 0xFFFFFFE2}, {"Noise", 250},
    {"Inversion", 0},        {"Normal Color", 0x00009000},
    {"Light Color", 0x0088FF88}, {"Dark Color", 0x00006000},
};

const StoredValues kStoredValues = {
    {"Speed", 190},          {"Density", 60},
    {"Balance", 40},         {"Noise", 123},
    {"Inversion", 7},        {"Normal Color", 0x000000FF},
    {"Light Color", 0x00FFFF00}, {"Dark Color", 0x00800000},
};

std::optional<StoredValues> ReadSettingsKey(HKEY root) {
  HKEY opened = nullptr;
  if (::RegOpenKeyExA(root, kKeyPath, 0, KEY_READ, &opened) != ERROR_SUCCESS) return std::nullopt;
  UniqueRegistryKey key(opened);
  StoredValues values;
  for (DWORD index = 0;; ++index) {
    char name[256];
    DWORD nameLength = sizeof name;
    DWORD type = 0;
    BYTE data[64];
    DWORD size = sizeof data;
    if (::RegEnumValueA(key.Get(), index, name, &nameLength, nullptr, &type, data, &size) != ERROR_SUCCESS) break;
    EXPECT_EQ(type, DWORD(REG_DWORD)) << name;
    EXPECT_EQ(size, 4u) << name;
    values[name] = data[0] | data[1] << 8 | data[2] << 16 | std::uint32_t(data[3]) << 24;
  }
  return values;
}

void WriteSettingsKey(HKEY root, const StoredValues& values) {
  HKEY created = nullptr;
  ASSERT_EQ(::RegCreateKeyExA(root, kKeyPath, 0, nullptr, 0, KEY_WRITE, nullptr, &created, nullptr), ERROR_SUCCESS);
  UniqueRegistryKey key(created);
  for (const auto& [name, bits] : values) {
    const BYTE data[4] = {BYTE(bits), BYTE(bits >> 8), BYTE(bits >> 16), BYTE(bits >> 24)};
    ASSERT_EQ(::RegSetValueExA(key.Get(), name.c_str(), 0, REG_DWORD, data, sizeof data), ERROR_SUCCESS);
  }
}

void PostKey(HWND window, UINT virtualKey) {
  const LPARAM scan = static_cast<LPARAM>(::MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC)) << 16;
  ::PostMessageA(window, WM_KEYDOWN, virtualKey, scan | 1);
  ::PostMessageA(window, WM_KEYUP, virtualKey, scan | 1 | 0xC0000000);
}

SetupDialogTest::SetupDialogTest()
    : machineSettings_(HKEY_LOCAL_MACHINE, kKeyPath), userSettings_(HKEY_CURRENT_USER, kKeyPath) {}

void SetupDialogTest::SetUp() {
  application_ = std::make_unique<TApplication>();
  application_->SetTitle("Lumivex Screensaver");
  InitMessage = ::RegisterWindowMessageA("LumivexInit");
}

void SetupDialogTest::TearDown() {
  if (SetupFrm) application_->DestroyForm(SetupFrm);
  application_.reset();
  // Nothing of this test may reach the next one through the thread's queue.
  MSG stale;
  while (::PeekMessageA(&stale, nullptr, 0, 0, PM_REMOVE)) {
  }
  PreviewParent = nullptr;
  VellixForm = nullptr;
  SetupFrm = nullptr;
}

TSetupFrm& SetupDialogTest::OpenDialog(SettingsStore& store) {
  SetupFrm = App().NewForm<TSetupFrm>(store, wiring_);
  return *SetupFrm;
}

int SetupDialogTest::RunModal(TSetupFrm& dialog, const std::function<void()>& whileShown) {
  ModalScript run{dialog, whileShown};
  runningScript = &run;
  // Both timers fire inside the modal loop; the watchdog runs from before the script drives
  // the dialog, so that a script stuck in a dialog box of its own is ended as well.
  const UINT_PTR start = ::SetTimer(nullptr, 0, 10, &StartScript);
  run.watchdog = ::SetTimer(nullptr, 0, kModalTimeoutMs, &CancelStuckDialog);
  const int result = dialog.ShowModal();
  ::KillTimer(nullptr, start);
  if (run.watchdog) ::KillTimer(nullptr, run.watchdog);
  runningScript = nullptr;
  EXPECT_TRUE(run.ran) << "the dialog closed before the script could run";
  return result;
}

bool SetupDialogTest::PumpUntil(const std::function<bool()>& condition, unsigned timeoutMs) {
  return ::PumpUntil(App(), condition, timeoutMs);
}
