// Start-up: the monitor list is built (a process-wide object) before the entry runs and freed
// after it returns; the application object lives exactly as long as the entry, and the settings
// store and the wiring of the saver window and the dialog a little longer.
#include <windows.h>

#include "app/command_line.h"
#include "app/entry.h"
#include "app/saver_wiring.h"
#include "engine/tick_count.h"
#include "forms/application.h"
#include "platform/precise_clock.h"
#include "settings/registry_store.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // A .scr often runs from the folder it was downloaded to, among other downloaded files:
  // every DLL this process loads from now on comes from the system folder only, never from
  // the program's folder, the current folder or the PATH (DLL planting).
  ::SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
  // The rain is paced by a millisecond count since the system started. GetTickCount moves in
  // steps of the system tick (15.6 ms by default), too coarse for step intervals of 10 ms.
  SetTickSource(&PreciseTickCount);
  // The settings store and the wiring outlive the application object and so every form.
  RegistryStore store;
  SaverWiring wiring(store);
  TApplication application;
  return LumivexEntry(ArgumentText(::GetCommandLineA()).c_str(), wiring);
}
