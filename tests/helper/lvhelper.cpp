// lvhelper.exe: the end-to-end tests' hands and eyes inside a Wine session. Commands come one
// per line on stdin (a long-lived helper keeps its host windows alive for a whole test) or once
// on the command line; each command answers exactly one line: its result or "error: <why>".
#include "host_windows.h"
#include "json_text.h"
#include "process_resources.h"
#include "window_facts.h"

#include <cstdlib>
#include <functional>
#include <iostream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

const UINT kCommandLine = WM_APP + 1;  // thread message: lParam owns a std::string, or 0 at EOF

using Arguments = std::vector<std::string>;
using Command = std::function<std::string(HostWindows&, const Arguments&)>;

struct CommandSpec {
  size_t argumentCount;  // the minimum; `click` takes the rest of the line as its caption
  const char* usage;
  Command run;
};

long Number(const std::string& text) { return std::strtol(text.c_str(), nullptr, 0); }

std::wstring Wide(const std::string& text) {
  int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size);
  return out;
}

std::string CursorText() {
  POINT point = {};
  if (!GetCursorPos(&point)) return "error: GetCursorPos failed";
  return std::to_string(point.x) + " " + std::to_string(point.y);
}

const std::map<std::string, CommandSpec>& Commands() {
  static const std::map<std::string, CommandSpec> commands = {
      {"host", {4, "host WIDTH HEIGHT X Y", [](HostWindows& hosts, const Arguments& a) {
         HWND window = hosts.Create(Number(a[0]), Number(a[1]), Number(a[2]), Number(a[3]));
         return window ? HandleText(window) : std::string("error: CreateWindowEx failed");
       }}},
      {"fragilehost", {4, "fragilehost WIDTH HEIGHT X Y", [](HostWindows& hosts, const Arguments& a) {
         HWND window = hosts.Create(Number(a[0]), Number(a[1]), Number(a[2]), Number(a[3]), true);
         return window ? HandleText(window) : std::string("error: CreateWindowEx failed");
       }}},
      {"framedhost", {4, "framedhost WIDTH HEIGHT X Y", [](HostWindows& hosts, const Arguments& a) {
         HWND window = hosts.Create(Number(a[0]), Number(a[1]), Number(a[2]), Number(a[3]), false, true);
         return window ? HandleText(window) : std::string("error: CreateWindowEx failed");
       }}},
      {"resize", {3, "resize HWND WIDTH HEIGHT", [](HostWindows& hosts, const Arguments& a) {
         return hosts.Resize(HandleFromText(a[0]), Number(a[1]), Number(a[2]))
                    ? std::string("ok") : std::string("error: not a host window");
       }}},
      {"mutex", {1, "mutex NAME", [](HostWindows&, const Arguments& a) {
         UniqueKernelHandle mutex(OpenMutexA(SYNCHRONIZE, FALSE, a[0].c_str()));
         return std::string(mutex ? "held" : "free");
       }}},
      {"destroy", {1, "destroy HWND", [](HostWindows& hosts, const Arguments& a) {
         return hosts.Destroy(HandleFromText(a[0])) ? std::string("ok")
                                                    : std::string("error: not a host window");
       }}},
      {"heard", {1, "heard HWND", [](HostWindows& hosts, const Arguments& a) {
         long count = hosts.Heard(HandleFromText(a[0]));
         return count < 0 ? std::string("error: not a host window") : std::to_string(count);
       }}},
      {"windows", {0, "windows", [](HostWindows&, const Arguments&) { return WindowListJson(); }}},
      {"dialogs", {0, "dialogs", [](HostWindows&, const Arguments&) { return DialogListJson(); }}},
      {"click", {2, "click HWND CAPTION", [](HostWindows&, const Arguments& a) {
         std::string caption = a[1];
         for (size_t i = 2; i < a.size(); ++i) caption += " " + a[i];
         return PressButton(HandleFromText(a[0]), Wide(caption))
                    ? std::string("ok") : std::string("error: no such button");
       }}},
      {"cursor", {0, "cursor", [](HostWindows&, const Arguments&) { return CursorText(); }}},
      {"setcursor", {2, "setcursor X Y", [](HostWindows&, const Arguments& a) {
         if (!SetCursorPos(Number(a[0]), Number(a[1]))) return std::string("error: SetCursorPos failed");
         return CursorText();
       }}},
      {"post", {4, "post HWND MESSAGE WPARAM LPARAM", [](HostWindows&, const Arguments& a) {
         BOOL posted = PostMessageW(HandleFromText(a[0]), static_cast<UINT>(Number(a[1])),
                                    static_cast<WPARAM>(std::strtoull(a[2].c_str(), nullptr, 0)),
                                    static_cast<LPARAM>(std::strtoll(a[3].c_str(), nullptr, 0)));
         return posted ? std::string("ok") : std::string("error: PostMessage failed");
       }}},
      // As the system sends a message straight to a window procedure (activation, for one),
      // bypassing the queue; a receiver that hangs cannot hold the helper up for long.
      {"send", {4, "send HWND MESSAGE WPARAM LPARAM", [](HostWindows&, const Arguments& a) {
         DWORD_PTR result = 0;
         LRESULT sent = SendMessageTimeoutW(HandleFromText(a[0]), static_cast<UINT>(Number(a[1])),
                                            static_cast<WPARAM>(std::strtoull(a[2].c_str(), nullptr, 0)),
                                            static_cast<LPARAM>(std::strtoll(a[3].c_str(), nullptr, 0)),
                                            SMTO_ABORTIFHUNG, 10000, &result);
         return sent ? std::to_string(result) : std::string("error: SendMessageTimeout failed");
       }}},
      // Answered only once the window's thread takes its queue again: a sign that it runs on.
      {"probe", {1, "probe HWND", [](HostWindows&, const Arguments& a) {
         DWORD_PTR result = 0;
         return SendMessageTimeoutW(HandleFromText(a[0]), WM_NULL, 0, 0, SMTO_NORMAL, 30000, &result)
                    ? std::string("answered") : std::string("error: no answer");
       }}},
      {"resources", {1, "resources HWND", [](HostWindows&, const Arguments& a) {
         return ProcessResourcesText(HandleFromText(a[0]));
       }}},
      // A process may keep its first reading of this flag under Wine: ask it from a fresh
      // helper each time.
      {"running", {0, "running", [](HostWindows&, const Arguments&) {
         BOOL running = FALSE;
         if (!SystemParametersInfoW(SPI_GETSCREENSAVERRUNNING, 0, &running, 0))
           return std::string("error: SystemParametersInfo failed");
         return std::string(running ? "1" : "0");
       }}},
  };
  return commands;
}

std::string Run(HostWindows& hosts, const std::string& line) {
  std::istringstream words(line);
  std::string name;
  words >> name;
  Arguments arguments;
  for (std::string word; words >> word;) arguments.push_back(word);
  auto found = Commands().find(name);
  if (found == Commands().end()) return "error: unknown command '" + name + "'";
  if (arguments.size() < found->second.argumentCount)
    return std::string("error: usage: ") + found->second.usage;
  return found->second.run(hosts, arguments);
}

// Reads stdin on its own thread so that the main thread keeps pumping its windows' messages.
DWORD WINAPI ReadCommands(void* mainThread) {
  DWORD threadId = static_cast<DWORD>(reinterpret_cast<uintptr_t>(mainThread));
  for (std::string line; std::getline(std::cin, line);) {
    auto owned = std::make_unique<std::string>(line);
    if (PostThreadMessageW(threadId, kCommandLine, 0, reinterpret_cast<LPARAM>(owned.get())))
      owned.release();
  }
  PostThreadMessageW(threadId, kCommandLine, 0, 0);
  return 0;
}

int Serve(HostWindows& hosts) {
  MSG message;
  PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);  // the queue must exist before the reader posts
  UniqueKernelHandle reader(CreateThread(nullptr, 0, ReadCommands,
                                   reinterpret_cast<void*>(static_cast<uintptr_t>(GetCurrentThreadId())),
                                   0, nullptr));
  if (!reader) return 1;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (message.hwnd == nullptr && message.message == kCommandLine) {
      std::unique_ptr<std::string> line(reinterpret_cast<std::string*>(message.lParam));
      if (!line) break;
      if (!line->empty() && line->back() == '\r') line->pop_back();
      if (*line == "quit") break;
      std::cout << Run(hosts, *line) << std::endl;
      continue;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;  // the reader may still sit in a read; ending the process ends it
}

}  // namespace

int main(int argc, char** argv) {
  HostWindows hosts;
  if (argc < 2) return Serve(hosts);
  std::string line = argv[1];
  for (int i = 2; i < argc; ++i) line += std::string(" ") + argv[i];
  std::string answer = Run(hosts, line);
  std::cout << answer << std::endl;
  return answer.rfind("error:", 0) == 0 ? 1 : 0;
}
