// The saver window against input beyond the keys and the three mouse buttons: the side
// buttons and pen or touch contacts.
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
#include "support/case_name.h"
#include "support/pump.h"

namespace {

class SaverPlatformTest : public ::testing::Test {
 protected:
  void SetUp() override {
    savedMonitors_ = std::move(Monitors.List);
    Monitors.List.clear();
    application_ = std::make_unique<TApplication>();
    application_->SetTitle("Lumivex Screensaver");
    InitMessage = ::RegisterWindowMessageA("LumivexInit");
  }
  void TearDown() override {
    application_.reset();
    // A closed main window leaves the loop's quit message in this thread's queue.
    MSG quit;
    while (::PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    Monitors.List = std::move(savedMonitors_);
    Monitors.Source = nullptr;
    PreviewParent = nullptr;
    RunAsSaver = false;
    VellixForm = nullptr;
  }
  TApplication& App() { return *application_; }
  // The full-screen saver on these monitors (without a password, which is not asked here).
  void StartSaver(const std::vector<RECT>& monitors) {
    Monitors.Source = [monitors] { return monitors; };
    Monitors.Rebuild();
    CreateSaver();
  }
  void CreateSaver() {
    App().CreateForm(VellixForm, [](Vellix& rainField) {
      ConfigureRainField(rainField, ConfigureArgsFrom(MemorySettingControls()));
    });
    VellixForm->Show();
  }
  // Handles every message in the queue, as the loop does, unless the saver closes first.
  void HandleQueuedMessages() {
    MSG message;
    while (!App().Terminated() && App().ProcessMessage(message)) {
    }
  }

 private:
  std::vector<std::unique_ptr<TMonitor>> savedMonitors_;
  std::unique_ptr<TApplication> application_;
};

// Posted to the saver as the system queues them: the side buttons and a touch or pen contact
// close it like the three buttons do.
struct PressCase {
  const char* name;
  UINT message;
  WPARAM wParam;
  friend void PrintTo(const PressCase& c, std::ostream* out) { *out << c.name; }
};

const PressCase kPresses[] = {
    {"first side button", WM_XBUTTONDOWN, MAKEWPARAM(MK_XBUTTON1, XBUTTON1)},
    {"second side button", WM_XBUTTONDOWN, MAKEWPARAM(MK_XBUTTON2, XBUTTON2)},
    // Pointer 1, new, in range, in contact, primary, first button.
    {"pen or touch contact", 0x0246 /* WM_POINTERDOWN */, 0x00000001 | (0x0001u | 0x0002u | 0x0004u | 0x2000u | 0x0010u) << 16},
};

class SaverPressTest : public SaverPlatformTest, public ::testing::WithParamInterface<PressCase> {};

INSTANTIATE_TEST_SUITE_P(Presses, SaverPressTest, ::testing::ValuesIn(kPresses), CaseName());

TEST_P(SaverPressTest, ClosesTheSaver) {
  StartSaver({{0, 0, 640, 480}});
  ::PostMessageA(VellixForm->Handle(), GetParam().message, GetParam().wParam, MAKELPARAM(200, 100));
  HandleQueuedMessages();
  EXPECT_TRUE(App().Terminated());
}

}  // namespace
