// Xlib may already hold events it read while sending requests, so the loop drains its queue
// before every sleep, and flushes so the step just drawn reaches the server before it sleeps.
#include "x11/run_rain.h"

#include <poll.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "base/exception.h"
#include "engine/display_scale.h"
#include "engine/present_pacer.h"
#include "engine/tick_count.h"
#include "linux/power_supply.h"
#include "settings/configure_args.h"
#include "x11/dpi_resource.h"
#include "x11/output_refresh.h"
#include "x11/rain_view.h"
#include "x11/target_window.h"
#include "x11/x_errors.h"

namespace {

enum class Outcome { kGoOn, kEnd };

// How often the power supplies and the monitor's mode are read again: a laptop taken off its
// charger, or a monitor switched to another rate, presents at its new rate within this time.
constexpr std::uint32_t kPowerCheckMs = 10'000;

// The present rate of the window where it is now (the monitor under it may have changed) and of
// the machine's power source now.
void FollowPresentRate(Display* display, const TargetWindow& target, RainView& view) {
  PresentLimits limits;
  limits.refreshHz = OutputRefreshHz(display, target.Id());
  limits.savingBattery = RunsOnBattery();
  view.SetPresentRate(PresentsPerSecond(limits));
}

// Handles one event; kEnd when the window is gone or its closing was asked for.
Outcome Handle(Display* display, const XEvent& event, const TargetWindow& target, RainView& view) {
  if (target.IsCloseRequest(event)) return Outcome::kEnd;
  if (event.xany.window != target.Id()) return Outcome::kGoOn;
  switch (event.type) {
    case Expose:
      view.Erase(event.xexpose.x, event.xexpose.y, event.xexpose.width, event.xexpose.height);
      break;
    case ConfigureNotify:  // also sent for moves, which Resize passes over
      view.Resize(event.xconfigure.width, event.xconfigure.height);
      FollowPresentRate(display, target, view);
      break;
    case DestroyNotify:
      return Outcome::kEnd;
    default:
      break;
  }
  return Outcome::kGoOn;
}

}  // namespace

int RunRain(Display* display, const LinuxOptions& options, const EndingSignals& signals) {
  RecordXErrors();
  const TargetWindow target(display, options);
  const std::int32_t step = options.scale ? *options.scale : ScaleStepForScale(ServerDpi(display) / kDesignDpi);
  RainView view(target.Format(), target.Width(), target.Height(), step, ConfigureArgsFrom(options.settings));
  FollowPresentRate(display, target, view);
  std::uint32_t powerCheckedAt = TickCount();

  pollfd waits[2] = {{ConnectionNumber(display), POLLIN, 0}, {signals.Descriptor(), POLLIN, 0}};
  for (;;) {
    while (XPending(display) > 0) {
      XEvent event;
      XNextEvent(display, &event);
      if (Handle(display, event, target, view) == Outcome::kEnd) return 0;
    }
    // Requests for a window that was destroyed fail; the DestroyNotify usually says so first.
    // Any other error means the rain cannot be drawn (no memory for the glyphs on the server).
    const std::vector<XErrorRecord> errors = TakeXErrors();
    if (SaysWindowIsGone(errors, target.Id())) return 0;
    if (!errors.empty()) throw Exception("the X server refused to draw: " + Describe(display, errors.front()));

    if (TickCount() - powerCheckedAt >= kPowerCheckMs) {
      FollowPresentRate(display, target, view);
      powerCheckedAt = TickCount();
    }
    const std::uint32_t due = view.Poll();
    XFlush(display);
    if (poll(waits, 2, MillisecondsUntil(due)) < 0 && errno != EINTR)
      throw Exception(std::string("waiting for the X server failed: ") + std::strerror(errno));
    if (waits[1].revents & POLLIN) return 0;
    if (waits[0].revents & (POLLERR | POLLHUP)) throw Exception("the X server closed the connection");
  }
}
