// Start-up: the monitor list is built (a process-wide object) before the entry runs and freed
// after it returns; the application object lives exactly as long as the entry, and the settings
// store and the wiring of the saver window and the dialog a little longer.
#include <windows.h>

#include "app/command_line.h"
#include "app/entry.h"
#include "app/saver_wiring.h"
#include "engine/tick_count.h"
#include "forms/application.h"
#include "settings/registry_store.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // The rain is paced by the system's millisecond tick count.
  SetTickSource([]() -> std::uint32_t { return ::GetTickCount(); });
  // The settings store and the wiring outlive the application object and so every form.
  RegistryStore store;
  SaverWiring wiring(store);
  TApplication application;
  return LumivexEntry(ArgumentText(::GetCommandLineA()).c_str(), wiring);
}
