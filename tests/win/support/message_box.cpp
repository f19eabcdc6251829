#include "support/message_box.h"

namespace {

std::string ClassOf(HWND window) {
  char name[64] = {};
  ::GetClassNameA(window, name, sizeof name);
  return name;
}

std::string TextOf(HWND window) {
  char text[512] = {};
  ::GetWindowTextA(window, text, sizeof text);
  return text;
}

// The process's visible top-level windows.
std::vector<HWND> OwnWindows() {
  struct Search {
    DWORD process;
    std::vector<HWND> found;
  } search{::GetCurrentProcessId(), {}};
  ::EnumWindows(
      [](HWND window, LPARAM data) {
        auto* search = reinterpret_cast<Search*>(data);
        DWORD process = 0;
        ::GetWindowThreadProcessId(window, &process);
        if (process == search->process && ::IsWindowVisible(window)) search->found.push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND FindOwnMessageBox() {
  for (HWND window : OwnWindows()) {
    if (ClassOf(window) == "#32770") return window;
  }
  return nullptr;
}

}  // namespace

MessageBoxSeen ReadAndDismissMessageBox(const std::atomic<bool>& stop) {
  MessageBoxSeen seen;
  const ULONGLONG deadline = ::GetTickCount64() + 30000;
  HWND box = nullptr;
  while (!stop && !(box = FindOwnMessageBox()) && ::GetTickCount64() < deadline) ::Sleep(20);
  if (!box) return seen;
  seen.found = true;
  seen.caption = TextOf(box);
  char text[512] = {};
  ::GetDlgItemTextA(box, 0xFFFF, text, sizeof text);  // the message's static control
  seen.text = text;
  for (HWND window : OwnWindows()) {
    // The application's own zero-size window carries only the task-bar button.
    RECT rect{};
    ::GetWindowRect(window, &rect);
    const bool zeroSize = rect.right == rect.left || rect.bottom == rect.top;
    if (window != box && !zeroSize && ::IsWindowEnabled(window)) seen.enabledBeneath.push_back(TextOf(window));
  }
  HWND ok = nullptr;
  for (HWND child = ::GetWindow(box, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    if (_stricmp(ClassOf(child).c_str(), "Button") != 0 || !::IsWindowVisible(child)) continue;
    seen.buttons.push_back(TextOf(child));
    ok = child;
  }
  DWORD_PTR ignored = 0;
  if (ok) ::SendMessageTimeoutA(ok, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored);
  return seen;
}
