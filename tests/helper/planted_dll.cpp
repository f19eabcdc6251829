// A DLL planted beside lumivex.scr under the name of a password service (built as PASSWORD.CPL
// and as MPR.DLL): when any process loads it, it appends "<its file name> loaded" to
// planted.log beside itself. The tests expect that file never to appear.
#include "base/win_handles.h"

#include <string>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  wchar_t path[MAX_PATH] = {};
  const std::wstring self(path, GetModuleFileNameW(instance, path, MAX_PATH));
  const std::size_t slash = self.find_last_of(L"\\/") + 1;
  UniqueKernelHandle log = OpenedFile(CreateFileW((self.substr(0, slash) + L"planted.log").c_str(),
                                                  FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                                  nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!log) return TRUE;
  std::string line;
  for (wchar_t c : self.substr(slash)) line += static_cast<char>(c);
  line += " loaded\r\n";
  DWORD written = 0;
  WriteFile(log.Get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  return TRUE;
}

// Both services' entry points, so that whichever name it is loaded under, it would be used.
extern "C" __declspec(dllexport) BOOL WINAPI VerifyScreenSavePwd(HWND) { return TRUE; }
extern "C" __declspec(dllexport) DWORD WINAPI PwdChangePasswordA(LPCSTR, HWND, DWORD, DWORD) { return 0; }
