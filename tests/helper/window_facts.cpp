// Reads window facts across processes without sending messages to the windows (so a busy or
// hung program cannot stall the tests), except for the one click a test asks for.
#include "window_facts.h"

#include "json_text.h"

#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <sstream>
#include <vector>

namespace {

std::wstring TextOf(HWND window) {
  wchar_t buffer[1024] = {};
  int length = InternalGetWindowText(window, buffer, static_cast<int>(std::size(buffer)));
  return std::wstring(buffer, static_cast<size_t>(length > 0 ? length : 0));
}

std::wstring ClassOf(HWND window) {
  wchar_t buffer[256] = {};
  int length = GetClassNameW(window, buffer, static_cast<int>(std::size(buffer)));
  return std::wstring(buffer, static_cast<size_t>(length > 0 ? length : 0));
}

std::wstring WithoutAmpersands(const std::wstring& text) {
  std::wstring out;
  for (wchar_t c : text)
    if (c != L'&') out += c;
  return out;
}

// Top-level windows first, each followed by all its descendants.
std::vector<HWND> AllWindows() {
  std::vector<HWND> topLevel;
  EnumWindows([](HWND w, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(w);
    return TRUE;
  }, reinterpret_cast<LPARAM>(&topLevel));
  std::vector<HWND> all;
  for (HWND top : topLevel) {
    all.push_back(top);
    EnumChildWindows(top, [](HWND w, LPARAM list) {
      reinterpret_cast<std::vector<HWND>*>(list)->push_back(w);
      return TRUE;
    }, reinterpret_cast<LPARAM>(&all));
  }
  return all;
}

std::vector<HWND> Descendants(HWND root) {
  std::vector<HWND> children;
  EnumChildWindows(root, [](HWND w, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(w);
    return TRUE;
  }, reinterpret_cast<LPARAM>(&children));
  return children;
}

HWND ParentOf(HWND window) {
  HWND parent = GetAncestor(window, GA_PARENT);
  return parent == GetDesktopWindow() ? nullptr : parent;
}

std::string WindowJson(HWND window) {
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  RECT rect = {};
  GetWindowRect(window, &rect);
  RECT client = {};
  GetClientRect(window, &client);
  std::ostringstream out;
  out << "{\"hwnd\":" << HandleText(window) << ",\"pid\":" << processId
      << ",\"class\":" << JsonString(ClassOf(window))
      << ",\"caption\":" << JsonString(TextOf(window))
      << ",\"style\":" << static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE))
      << ",\"exstyle\":" << static_cast<DWORD>(GetWindowLongW(window, GWL_EXSTYLE))
      << ",\"rect\":[" << rect.left << "," << rect.top << "," << rect.right << "," << rect.bottom
      << "],\"client\":[" << client.right - client.left << "," << client.bottom - client.top
      << "],\"parent\":" << HandleText(ParentOf(window))
      << ",\"owner\":" << HandleText(GetWindow(window, GW_OWNER))
      << ",\"visible\":" << (IsWindowVisible(window) ? "true" : "false")
      << ",\"enabled\":" << (IsWindowEnabled(window) ? "true" : "false") << "}";
  return out.str();
}

}  // namespace

std::string HandleText(HWND window) {
  return std::to_string(reinterpret_cast<uintptr_t>(window));
}

HWND HandleFromText(const std::string& text) {
  return reinterpret_cast<HWND>(static_cast<uintptr_t>(std::strtoull(text.c_str(), nullptr, 0)));
}

std::string WindowListJson() {
  std::string out = "[";
  for (HWND window : AllWindows()) {
    if (out.size() > 1) out += ",";
    out += WindowJson(window);
  }
  return out + "]";
}

std::string DialogListJson() {
  std::string out = "[";
  for (HWND window : AllWindows()) {
    if (ClassOf(window) != L"#32770") continue;
    std::wstring text;
    std::string buttons;
    for (HWND child : Descendants(window)) {
      std::wstring childClass = ClassOf(child);
      if (_wcsicmp(childClass.c_str(), L"Static") == 0 && !TextOf(child).empty()) {
        if (!text.empty()) text += L"\n";
        text += TextOf(child);
      } else if (_wcsicmp(childClass.c_str(), L"Button") == 0) {
        if (!buttons.empty()) buttons += ",";
        buttons += JsonString(WithoutAmpersands(TextOf(child)));
      }
    }
    if (out.size() > 1) out += ",";
    out += WindowJson(window);
    out.pop_back();  // reopen the object to add the dialog's own facts
    out += ",\"text\":" + JsonString(text) + ",\"buttons\":[" + buttons + "]}";
  }
  return out + "]";
}

bool PressButton(HWND root, const std::wstring& caption) {
  std::vector<HWND> candidates = Descendants(root);
  candidates.insert(candidates.begin(), root);
  auto captioned = [&](HWND w) { return WithoutAmpersands(TextOf(w)) == caption; };
  auto isButton = [](HWND w) { return ClassOf(w).find(L"Button") != std::wstring::npos; };
  // A button of that caption first; a form layer whose buttons have a class of their own
  // still answers to any window of that caption.
  HWND target = nullptr;
  for (HWND w : candidates)
    if (captioned(w) && isButton(w)) { target = w; break; }
  for (HWND w : candidates)
    if (target == nullptr && captioned(w)) target = w;
  if (target == nullptr) return false;
  DWORD_PTR ignored = 0;
  // A message box ends while it handles the click; the time-out keeps a hung target from
  // stalling the helper.
  SendMessageTimeoutW(target, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored);
  return true;
}
