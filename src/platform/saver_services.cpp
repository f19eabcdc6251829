#include "platform/saver_services.h"

#include "base/win_handles.h"

namespace {

using PwdChangePasswordProc = DWORD(WINAPI*)(LPCSTR, HWND, DWORD, DWORD);
using VerifyScreenSavePwdProc = BOOL(WINAPI*)(HWND);

// The password services come from the system folder only: on Windows NT there is no
// PASSWORD.CPL there, and a search beyond it would load one planted beside the saver.
HMODULE LoadSystemLibrary(const char* name) {
  return ::LoadLibraryExA(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
}

template <typename Proc>
Proc LookUp(HMODULE library, const char* name) {
  return reinterpret_cast<Proc>(reinterpret_cast<void*>(::GetProcAddress(library, name)));
}

// Any data of at most four bytes, whatever its type, read as a little-endian number; a
// missing or longer value reads as "no password".
bool PasswordIsSet(HKEY desktop) {
  DWORD value = 0;
  DWORD size = sizeof value;
  if (::RegQueryValueExA(desktop, "ScreenSaveUsePassword", nullptr, nullptr,
                         reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS) {
    return false;
  }
  return value != 0;
}

}  // namespace

void ChangeSaverPassword(HWND parent) {
  UniqueLibrary mpr(LoadSystemLibrary("MPR.DLL"));
  if (!mpr) return;
  if (auto change = LookUp<PwdChangePasswordProc>(mpr.Get(), "PwdChangePasswordA")) {
    change("SCRSAVE", parent, 0, 0);
  }
}

bool VerifySaverPassword(HWND window) {
  HKEY opened = nullptr;
  if (::RegOpenKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, KEY_READ, &opened) !=
      ERROR_SUCCESS) {
    return true;
  }
  UniqueRegistryKey desktop(opened);
  if (!PasswordIsSet(desktop.Get())) return true;

  UniqueLibrary provider(LoadSystemLibrary("PASSWORD.CPL"));
  if (!provider) return true;

  BOOL mayClose = TRUE;
  auto verify = LookUp<VerifyScreenSavePwdProc>(provider.Get(), "VerifyScreenSavePwd");
  ::ShowCursor(TRUE);
  if (verify) mayClose = verify(window);
  ::ShowCursor(FALSE);
  return mayClose != FALSE;
}

void SaverRunningOn() { ::SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, 1, nullptr, 0); }

void SaverRunningOff() { ::SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, 0, nullptr, 0); }
