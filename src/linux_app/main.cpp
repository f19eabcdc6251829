// lumivex for Linux: the rain of the Windows saver as an X11 screen-saver module or as a
// Wayland overlay that an idle daemon starts. Exit codes: 0 when a signal, input on the
// overlay, the window's destruction or its closing ended it (or after -help), 1 when it cannot
// run (no display, no such window, no shell to draw with, no idle source for -idle, the
// compositor or the session bus gone), 2 for a bad command line.
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

#include "base/exception.h"
#include "linux/backend_choice.h"
#include "linux/ending_signals.h"
#include "linux/options.h"
#include "wayland/run_wayland.h"
#include "x11/run_rain.h"
#include "x11/x_handles.h"

namespace {

constexpr int kEnded = 0;
constexpr int kCannotRun = 1;
constexpr int kBadCommandLine = 2;

DisplayHandle OpenDisplay(const std::string& name) {
  const char* chosen = name.empty() ? std::getenv("DISPLAY") : name.c_str();
  if (!chosen || !*chosen) throw Exception("no X display: DISPLAY is not set and no -display was given");
  DisplayHandle display(XOpenDisplay(chosen));
  if (!display) throw Exception(std::string("cannot open the X display '") + chosen + "'");
  return display;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string program = "lumivex";
  const ParseResult parsed = ParseOptions(std::vector<std::string>(argv + 1, argv + argc),
                                          std::getenv("XSCREENSAVER_WINDOW"));
  if (!parsed.options) {
    std::fprintf(stderr, "%s: %s\n%s", program.c_str(), parsed.error.c_str(), UsageText(program).c_str());
    return kBadCommandLine;
  }
  const LinuxOptions& options = *parsed.options;
  if (options.help) {
    std::fputs(UsageText(program).c_str(), stdout);
    return kEnded;
  }
  try {
    const EndingSignals signals;
    if (ChooseBackend(options, ProcessDisplayEnvironment()) == Backend::kWayland)
      return RunWayland(options, signals);
    const DisplayHandle display = OpenDisplay(options.display);
    return RunRain(display.get(), options, signals);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s: %s\n", program.c_str(), error.what());
    return kCannotRun;
  }
}
