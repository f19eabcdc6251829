// The dialog tests' ground: registry keys, pixels, keys, and a script run from inside the
// modal loop through a thread timer, so the dialog runs exactly as the configure mode runs it.
#include "dialog_fixture.h"

#include "base/globals.h"
#include "base/win_handles.h"
#include "support/pump.h"

namespace {

const char kKeyPath[] = "SOFTWARE\\Orvanta\\Lumivex";
const char kParentPath[] = "SOFTWARE\\Orvanta";
const HKEY kRoots[] = {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER};

bool KeyExists(HKEY root, const char* path) {
  HKEY key = nullptr;
  if (::RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  UniqueRegistryKey owned(key);
  return true;
}

// Generous: the script has run, so only a dialog that ignores its close request waits this long.
constexpr UINT kCloseTimeoutMs = 30000;

struct ModalScript {
  TForm& dialog;
  const std::function<void()>& script;
  bool ran = false;
  UINT_PTR watchdog = 0;
};
ModalScript* runningScript = nullptr;

void CALLBACK CancelStuckDialog(HWND, UINT, UINT_PTR id, DWORD) {
  ::KillTimer(nullptr, id);
  runningScript->watchdog = 0;
  ADD_FAILURE() << "the dialog was still open " << kCloseTimeoutMs << " ms after the script";
  runningScript->dialog.SetModalResult(mrCancel);
}

void CALLBACK StartScript(HWND, UINT, UINT_PTR id, DWORD) {
  ::KillTimer(nullptr, id);
  if (runningScript->ran) return;
  runningScript->ran = true;
  runningScript->script();
  runningScript->watchdog = ::SetTimer(nullptr, 0, kCloseTimeoutMs, &CancelStuckDialog);
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

void SetupDialogTest::RemoveSettingsKeys() {
  for (HKEY root : kRoots) {
    ::RegDeleteTreeA(root, kKeyPath);
    ASSERT_FALSE(KeyExists(root, kKeyPath));
  }
}

void SetupDialogTest::SetUp() {
  parentExisted_.clear();
  for (HKEY root : kRoots) parentExisted_.push_back(KeyExists(root, kParentPath));
  RemoveSettingsKeys();
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
  RemoveSettingsKeys();
  for (std::size_t i = 0; i < std::size(kRoots); ++i) {
    if (!parentExisted_[i]) ::RegDeleteKeyA(kRoots[i], kParentPath);
  }
}

TSetupFrm& SetupDialogTest::OpenDialog(SettingsStore& store) {
  SetupFrm = App().NewForm<TSetupFrm>(store, wiring_);
  return *SetupFrm;
}

int SetupDialogTest::RunModal(TSetupFrm& dialog, const std::function<void()>& whileShown) {
  ModalScript run{dialog, whileShown};
  runningScript = &run;
  // A thread timer's message is dispatched by whatever loop runs: here, the modal loop.
  const UINT_PTR start = ::SetTimer(nullptr, 0, 10, &StartScript);
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
