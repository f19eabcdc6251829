// The saver window against what the system does beside the queued input that the message
// filter sees: deactivation sent straight to the window procedure, the side buttons and pen or
// touch contacts, the system's request to start a screen saver, the foreground lock the
// full-screen saver holds while it runs, and a preview host with a border that changes its size.
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
#include "support/import_hook.h"
#include "support/pump.h"
#include "support/saver_process_test.h"

namespace {

class SaverPlatformTest : public SaverProcessTest {
 protected:
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
    // Pointer 1; new, in range, in contact, first button, primary.
    {"pen or touch contact", 0x0246 /* WM_POINTERDOWN */, MAKEWPARAM(1, 0x0001 | 0x0002 | 0x0004 | 0x0010 | 0x2000)},
};

class SaverPressTest : public SaverPlatformTest, public ::testing::WithParamInterface<PressCase> {};

INSTANTIATE_TEST_SUITE_P(Presses, SaverPressTest, ::testing::ValuesIn(kPresses), CaseName());

TEST_P(SaverPressTest, ClosesTheSaver) {
  StartSaver({{0, 0, 640, 480}});
  ::PostMessageA(VellixForm->Handle(), GetParam().message, GetParam().wParam, MAKELPARAM(200, 100));
  HandleQueuedMessages();
  EXPECT_TRUE(App().Terminated());
}

// The system sends WM_ACTIVATEAPP to the window procedure when another program takes the
// foreground (FALSE) or when the saver's own program gets it (TRUE).
TEST_F(SaverPlatformTest, LosingTheForegroundToAnotherProgramClosesTheSaver) {
  const struct {
    const char* name;
    BOOL active;
    bool closes;
  } cases[] = {{"another program takes the foreground", FALSE, true}, {"the saver's program gets it", TRUE, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TearDown();
    SetUp();
    StartSaver({{0, 0, 640, 480}, {640, 0, 1280, 480}});
    HandleQueuedMessages();
    ASSERT_FALSE(App().Terminated());
    ::SendMessageA(VellixForm->Handle(), WM_ACTIVATEAPP, c.active, 0);
    if (c.closes) {
      EXPECT_TRUE(PumpUntil(App(), [&] { return App().Terminated(); }));
    } else {
      HandleQueuedMessages();
      EXPECT_FALSE(App().Terminated());
    }
  }
}

// Activation moving between the saver's own windows (from one monitor's to another's) is no
// other program taking the foreground.
TEST_F(SaverPlatformTest, ActivationMovingToAnotherMonitorsWindowLeavesTheSaverRunning) {
  StartSaver({{0, 0, 640, 480}, {640, 0, 1280, 480}});
  HandleQueuedMessages();
  HWND secondary = (*VellixForm->SecondaryForms)[0]->Handle();
  ::SetActiveWindow(secondary);
  HandleQueuedMessages();
  ::SetActiveWindow(VellixForm->Handle());
  HandleQueuedMessages();
  EXPECT_FALSE(App().Terminated());
}

// What reaches the system's default window procedure. A request to start a screen saver is
// recorded and not passed on: under Wine the secure variant is a private command of its own.
std::vector<WPARAM> systemCommands;
WNDPROC realDefWindowProc = nullptr;

LRESULT WINAPI RecordingDefWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SYSCOMMAND) {
    systemCommands.push_back(wParam);
    if ((wParam & 0xFFF0) == SC_SCREENSAVE) return 0;
  }
  return realDefWindowProc(window, message, wParam, lParam);
}

// The system asks the foreground window to start the screen saver (the secure flag in the low
// bits when it will lock): the default procedure would start one over the running saver.
TEST_F(SaverPlatformTest, TheSystemsRequestToStartASaverIsSwallowed) {
  StartSaver({{0, 0, 640, 480}, {640, 0, 1280, 480}});
  ImportHook hook("user32.dll", "DefWindowProcA", reinterpret_cast<void*>(&RecordingDefWindowProc));
  ASSERT_TRUE(hook.Hooked());
  realDefWindowProc = hook.Original<WNDPROC>();
  systemCommands.clear();
  const WPARAM requests[] = {SC_SCREENSAVE, SC_SCREENSAVE | 0x0001 /* SCF_ISSECURE */};
  for (HWND window : {VellixForm->Handle(), (*VellixForm->SecondaryForms)[0]->Handle()}) {
    for (WPARAM request : requests) EXPECT_EQ(::SendMessageA(window, WM_SYSCOMMAND, request, 0), 0);
  }
  // Other system commands still reach the default procedure: the hook sees them.
  ::SendMessageA(VellixForm->Handle(), WM_SYSCOMMAND, SC_HOTKEY, 0);
  EXPECT_EQ(systemCommands, std::vector<WPARAM>{SC_HOTKEY});
  HandleQueuedMessages();
  EXPECT_FALSE(App().Terminated());
}

// A top-level window with a border (of the system's static class), standing in for a host
// whose client area is smaller than its window.
class FramedHost {
 public:
  FramedHost(int width, int height)
      : handle_(::CreateWindowExA(WS_EX_CLIENTEDGE, "STATIC", "", WS_POPUP | WS_BORDER | WS_VISIBLE | WS_CLIPCHILDREN,
                                  20, 20, width, height, nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr)) {}
  ~FramedHost() { ::DestroyWindow(handle_); }
  FramedHost(const FramedHost&) = delete;
  FramedHost& operator=(const FramedHost&) = delete;
  HWND Handle() const { return handle_; }
  void Resize(int width, int height) {
    ::SetWindowPos(handle_, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }

 private:
  HWND handle_;
};

// What the saver asks of the system's foreground lock, in order; the calls still reach the system.
std::vector<UINT> foregroundLockCalls;
BOOL(WINAPI* realLockSetForegroundWindow)(UINT) = nullptr;

BOOL WINAPI RecordingLockSetForegroundWindow(UINT code) {
  foregroundLockCalls.push_back(code);
  return realLockSetForegroundWindow(code);
}

class ForegroundLockTest : public SaverPlatformTest {
 protected:
  void SetUp() override {
    SaverPlatformTest::SetUp();
    hook_ = std::make_unique<ImportHook>("user32.dll", "LockSetForegroundWindow",
                                         reinterpret_cast<void*>(&RecordingLockSetForegroundWindow));
    ASSERT_TRUE(hook_->Hooked());
    realLockSetForegroundWindow = hook_->Original<BOOL(WINAPI*)(UINT)>();
    foregroundLockCalls.clear();
  }
  void TearDown() override {
    SaverPlatformTest::TearDown();
    hook_.reset();
  }
  // Whether the calls so far are one lock and nothing else, waiting for the lock to come.
  bool LockedOnce() {
    PumpUntil(App(), [] { return !foregroundLockCalls.empty(); });
    HandleQueuedMessages();
    return foregroundLockCalls == std::vector<UINT>{LSFW_LOCK};
  }

 private:
  std::unique_ptr<ImportHook> hook_;
};

// Once the full-screen saver has the foreground, no other program may take it (Wine does not
// enforce the lock: what is checked is that the saver asks for it), and whatever ends the saver
// lifts the lock again: input, another program taking the foreground all the same, or the
// windows going without a close.
TEST_F(ForegroundLockTest, TheFullScreenSaverLocksTheForegroundUntilItEnds) {
  enum class Ending { KeyPress, ForegroundTaken, WindowsDestroyed };
  const struct {
    const char* name;
    Ending ending;
  } endings[] = {{"a key press", Ending::KeyPress},
                 {"another program taking the foreground", Ending::ForegroundTaken},
                 {"the windows destroyed without a close", Ending::WindowsDestroyed}};
  for (const auto& c : endings) {
    SCOPED_TRACE(c.name);
    TearDown();
    SetUp();
    StartSaver({{0, 0, 640, 480}, {640, 0, 1280, 480}});
    ASSERT_TRUE(LockedOnce()) << foregroundLockCalls.size() << " calls";
    switch (c.ending) {
      case Ending::KeyPress:
        ::PostMessageA(VellixForm->Handle(), WM_KEYDOWN, 'A', 0);
        HandleQueuedMessages();
        EXPECT_TRUE(App().Terminated());
        break;
      case Ending::ForegroundTaken:
        ::SendMessageA(VellixForm->Handle(), WM_ACTIVATEAPP, FALSE, 0);
        EXPECT_TRUE(PumpUntil(App(), [&] { return App().Terminated(); }));
        break;
      case Ending::WindowsDestroyed:
        SaverPlatformTest::TearDown();
        SaverPlatformTest::SetUp();
        break;
    }
    EXPECT_EQ(foregroundLockCalls, (std::vector<UINT>{LSFW_LOCK, LSFW_UNLOCK}));
  }
}

// A preview sits in the system's settings page, where the user works: it never locks.
TEST_F(ForegroundLockTest, APreviewNeverLocksTheForeground) {
  FramedHost host(300, 200);
  PreviewParent = host.Handle();
  RunAsSaver = true;
  CreateSaver();
  // The host's program is active, and then the preview itself is told it is.
  ::SetActiveWindow(host.Handle());
  ::SendMessageA(VellixForm->Handle(), WM_ACTIVATE, WA_ACTIVE, 0);
  VellixForm->Close();
  HandleQueuedMessages();
  EXPECT_TRUE(foregroundLockCalls.empty());
}

SIZE ClientSize(HWND window) {
  RECT client{};
  ::GetClientRect(window, &client);
  return {client.right, client.bottom};
}

// Whether the preview fills the host's client area exactly, with a field of that size.
::testing::AssertionResult FillsClientArea(HWND host, const TVellixForm& preview) {
  const SIZE want = ClientSize(host);
  RECT placed{};
  ::GetWindowRect(preview.Handle(), &placed);
  ::MapWindowPoints(nullptr, host, reinterpret_cast<POINT*>(&placed), 2);
  if (placed.left != 0 || placed.top != 0 || placed.right != want.cx || placed.bottom != want.cy)
    return ::testing::AssertionFailure() << "the preview lies at " << placed.left << "," << placed.top << " to "
                                         << placed.right << "," << placed.bottom << " in a client area of "
                                         << want.cx << " x " << want.cy;
  if (!preview.RainField) return ::testing::AssertionFailure() << "no rain field";
  const Vellix& rain = *preview.RainField;
  const int columns = want.cx / rain.BaseSheet().cellWidth + 1;
  const int rows = want.cy / rain.BaseSheet().cellHeight + 1;
  if (rain.GridColumns() != columns || rain.GridRows() != rows)
    return ::testing::AssertionFailure() << "a field of " << rain.GridColumns() << " x " << rain.GridRows()
                                         << " cells, not " << columns << " x " << rows;
  return ::testing::AssertionSuccess();
}

TEST_F(SaverPlatformTest, PreviewFillsTheClientAreaOfAFramedHostAndFollowsItsSize) {
  FramedHost host(300, 200);
  const SIZE client = ClientSize(host.Handle());
  ASSERT_LT(client.cx, 300) << "the host has no border";
  PreviewParent = host.Handle();
  RunAsSaver = true;
  CreateSaver();
  EXPECT_TRUE(FillsClientArea(host.Handle(), *VellixForm));

  // Larger glyphs once wider than 320 pixels, smaller ones again below.
  const SIZE sizes[] = {{420, 330}, {180, 140}, {420, 330}};
  for (const SIZE size : sizes) {
    SCOPED_TRACE(std::to_string(size.cx) + " x " + std::to_string(size.cy));
    host.Resize(size.cx, size.cy);
    EXPECT_TRUE(PumpUntil(App(), [&] { return FillsClientArea(host.Handle(), *VellixForm); }))
        << FillsClientArea(host.Handle(), *VellixForm).message();
    ASSERT_TRUE(VellixForm->RainField && VellixForm->RainField->IsConfigured());
  }
  EXPECT_FALSE(App().Terminated());
}

}  // namespace
