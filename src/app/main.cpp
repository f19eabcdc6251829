// Start-up: the monitor list is built (a process-wide object) before the entry runs and freed
// after it returns; the application object lives exactly as long as the entry.
#include <windows.h>

#include "app/command_line.h"
#include "app/entry.h"
#include "engine/tick_count.h"
#include "forms/application.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // The rain is paced by the system's millisecond tick count.
  SetTickSource([]() -> std::uint32_t { return ::GetTickCount(); });
  int exitCode = 0;
  {
    TApplication application;
    exitCode = LumivexEntry(ArgumentText(::GetCommandLineA()).c_str());
  }
  return exitCode;
}
