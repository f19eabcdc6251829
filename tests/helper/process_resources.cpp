// Opened with query rights only, and closed again at once: the helper must not hold anything
// of the process it measures.
#include "process_resources.h"

#include <psapi.h>

#include "base/win_handles.h"

std::string ProcessResourcesText(HWND window) {
  DWORD pid = 0;
  if (!IsWindow(window) || GetWindowThreadProcessId(window, &pid) == 0)
    return "error: not a window";
  UniqueKernelHandle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid));
  if (!process) return "error: OpenProcess failed";

  PROCESS_MEMORY_COUNTERS_EX memory = {};
  memory.cb = sizeof memory;
  long long privateBytes = -1;
  long long workingSet = -1;
  if (GetProcessMemoryInfo(process.Get(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory)) {
    privateBytes = static_cast<long long>(memory.PrivateUsage);
    workingSet = static_cast<long long>(memory.WorkingSetSize);
  }
  DWORD handles = 0;
  long long handleCount = GetProcessHandleCount(process.Get(), &handles) ? handles : -1;
  return "pid " + std::to_string(pid) + " private " + std::to_string(privateBytes) + " working " +
         std::to_string(workingSet) + " handles " + std::to_string(handleCount) + " gdi " +
         std::to_string(GetGuiResources(process.Get(), GR_GDIOBJECTS)) + " user " +
         std::to_string(GetGuiResources(process.Get(), GR_USEROBJECTS));
}
