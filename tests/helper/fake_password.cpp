// PASSWORD.CPL for the end-to-end tests: a screen-saver password provider of our own. It
// appends "loaded" to password.log beside itself when a process loads it and "asked <hwnd>"
// when asked, and lets the saver close only when password.answer beside it starts with "yes".
#include "base/win_handles.h"

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

}  // namespace

extern "C" __declspec(dllexport) BOOL WINAPI VerifyScreenSavePwd(HWND window) {
  HMODULE module = ThisLibrary();
  AppendLog(module, "asked " + std::to_string(reinterpret_cast<uintptr_t>(window)));
  return AnswerIsYes(module) ? TRUE : FALSE;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) AppendLog(instance, "loaded");
  return TRUE;
}
