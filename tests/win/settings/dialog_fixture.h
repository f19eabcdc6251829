// Ground for the tests of the settings dialog in this process: an application object and the
// process-wide values as the configure mode sets them, a settings key that is absent under both
// roots at the start and end of each test, and a way to act on the dialog from inside its modal
// loop, the way a user acts while it is up.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/saver_wiring.h"
#include "engine/surface.h"
#include "forms/application.h"
#include "settings/registry_store.h"
#include "settings/setupform.h"
#include "support/picture.h"
#include "support/registry_cleanup.h"

// Value name -> REG_DWORD bits, as the stored settings are laid out.
using StoredValues = std::map<std::string, std::uint32_t>;

// The values Ok writes when no control was touched and nothing was stored before.
extern const StoredValues kDesignValues;
// Stored values that differ from the built-in ones in every setting: red, cyan and navy, hues
// that no tint of the built-in greens has, so a picture in them tells itself apart.
extern const StoredValues kStoredValues;

// Every value of the settings key under `root` (HKEY_LOCAL_MACHINE or HKEY_CURRENT_USER);
// nothing when the key is absent. A value that is not four bytes of REG_DWORD fails the test.
std::optional<StoredValues> ReadSettingsKey(HKEY root);
void WriteSettingsKey(HKEY root, const StoredValues& values);

// A key press and release as the system queues them for the window with the focus.
void PostKey(HWND window, UINT virtualKey);

class SetupDialogTest : public ::testing::Test {
 protected:
  SetupDialogTest();
  void SetUp() override;
  void TearDown() override;

  // Creates the dialog as the configure mode does (owned by the application, in SetupFrm, its
  // preview joined by the program's wiring), on the registry or on `store`.
  TSetupFrm& OpenDialog() { return OpenDialog(registry_); }
  TSetupFrm& OpenDialog(SettingsStore& store);
  // Shows the dialog modally and runs `whileShown` once from inside its modal loop; returns
  // the modal result. A dialog still open a minute after it was shown is cancelled, with any
  // dialog box it opened, and the test fails, rather than hang the run.
  int RunModal(TSetupFrm& dialog, const std::function<void()>& whileShown);
  // Runs the dialog's message loop (the preview animating in its idle time) until `condition`
  // holds; false after a generous time-out.
  bool PumpUntil(const std::function<bool()>& condition, unsigned timeoutMs = 15000);

  TApplication& App() { return *application_; }

 private:
  // Made before and removed after everything else of the test.
  RegistryCleanup machineSettings_;
  RegistryCleanup userSettings_;
  RegistryStore registry_;
  SaverWiring wiring_{registry_};
  std::unique_ptr<TApplication> application_;
};
