// PASSWORD.CPL for the end-to-end tests: a screen-saver password provider of our own. It
// appends "loaded" to password.log beside itself when a process loads it, "asked <hwnd>" when
// asked and "answered yes|no" when it answers, and lets the saver close only when
// password.answer beside it starts with "yes". When password.modal beside it holds a number of
// milliseconds, it first shows a modal window of its own for that long, pumping the calling
// thread's messages as a real password prompt does.
#include "base/win_handles.h"

#include <cstdlib>
#include <string>

namespace {

std::wstring BesideThisLibrary(HMODULE module, const wchar_t* fileName) {
  wchar_t path[MAX_PATH] = {};
  DWORD length = GetModuleFileNameW(module, path, MAX_PATH);
  std::wstring folder(path, length);
  return folder.substr(0, folder.find_last_of(L"\\/") + 1) + fileName;
}

HMODULE ThisLibrary() {
  HMODULE module = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                         GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&ThisLibrary), &module);
  return module;
}

void AppendLog(HMODULE module, const std::string& line) {
  UniqueKernelHandle log = OpenedFile(CreateFileW(BesideThisLibrary(module, L"password.log").c_str(),
                                                  FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!log) return;
  std::string text = line + "\r\n";
  DWORD written = 0;
  WriteFile(log.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

}  // namespace

#ifndef LUMIVEX_PROVIDER_WITHOUT_ENTRY_POINT  // the bare build: a provider that lacks it
namespace {

bool AnswerIsYes(HMODULE module) {
  UniqueKernelHandle answer = OpenedFile(CreateFileW(BesideThisLibrary(module, L"password.answer").c_str(),
                                                     GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!answer) return false;
  char text[3] = {};
  DWORD read = 0;
  return ReadFile(answer.Get(), text, sizeof text, &read, nullptr) && read == sizeof text &&
         std::string(text, sizeof text) == "yes";
}

// Milliseconds from password.modal, 0 when there is no such file.
DWORD ModalMilliseconds(HMODULE module) {
  UniqueKernelHandle file = OpenedFile(CreateFileW(BesideThisLibrary(module, L"password.modal").c_str(),
                                                   GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return 0;
  char text[16] = {};
  DWORD read = 0;
  if (!ReadFile(file.Get(), text, sizeof text - 1, &read, nullptr)) return 0;
  return static_cast<DWORD>(std::strtoul(text, nullptr, 10));
}

// A prompt window owned by the saver, which it disables while the prompt is up as a modal
// dialog does; every message of the thread is dispatched meanwhile. A WM_QUIT is put back.
void ShowModalPrompt(HMODULE module, HWND owner, DWORD milliseconds) {
  WNDCLASSW windowClass = {};
  windowClass.lpfnWndProc = DefWindowProcW;
  windowClass.hInstance = module;
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  windowClass.lpszClassName = L"LumivexTestPasswordPrompt";
  RegisterClassW(&windowClass);  // fails harmlessly when a previous question registered it
  UniqueWindow prompt(CreateWindowExW(WS_EX_TOPMOST, windowClass.lpszClassName, L"Password",
                                      WS_POPUP | WS_CAPTION | WS_VISIBLE, 362, 334, 300, 100,
                                      owner, nullptr, module, nullptr));
  const bool ownerWasEnabled = owner && !EnableWindow(owner, FALSE);
  const DWORD start = GetTickCount();
  for (DWORD passed = 0; passed < milliseconds; passed = GetTickCount() - start) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds - passed, QS_ALLINPUT);
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(message.wParam));
        passed = milliseconds;
        break;
      }
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  if (ownerWasEnabled) EnableWindow(owner, TRUE);
}

}  // namespace

extern "C" __declspec(dllexport) BOOL WINAPI VerifyScreenSavePwd(HWND window) {
  HMODULE module = ThisLibrary();
  AppendLog(module, "asked " + std::to_string(reinterpret_cast<uintptr_t>(window)));
  if (const DWORD milliseconds = ModalMilliseconds(module)) ShowModalPrompt(module, window, milliseconds);
  const bool yes = AnswerIsYes(module);
  AppendLog(module, yes ? "answered yes" : "answered no");
  return yes ? TRUE : FALSE;
}
#endif

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) AppendLog(instance, "loaded");
  return TRUE;
}
