#include "support/saver_process_test.h"

#include <windows.h>

#include "base/globals.h"

void SaverProcessTest::SetUp() {
  savedMonitors_ = std::move(Monitors.List);
  Monitors.List.clear();
  application_ = std::make_unique<TApplication>();
  application_->SetTitle("Lumivex Screensaver");
  InitMessage = ::RegisterWindowMessageA("LumivexInit");
}

void SaverProcessTest::TearDown() {
  application_.reset();
  // A closed main window leaves the loop's quit message in this thread's queue.
  MSG quit;
  while (::PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
  }
  Monitors.List = std::move(savedMonitors_);
  Monitors.Source = nullptr;
  Monitors.DpiSource = nullptr;
  Monitors.RefreshSource = nullptr;
  PreviewParent = nullptr;
  RunAsSaver = false;
  VellixForm = nullptr;
  SetupFrm = nullptr;
}
