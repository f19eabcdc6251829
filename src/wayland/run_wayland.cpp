// The globals come from the registry at start and whenever an output comes or goes. The outputs'
// surfaces and their rain live in OutputRain, the input that ends the overlay in SeatInput.
#include "wayland/run_wayland.h"

#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <list>
#include <memory>
#include <string>

#include "base/exception.h"
#include "engine/display_scale.h"
#include "settings/configure_args.h"
#include "wayland/idle_watch.h"
#include "wayland/output_rain.h"
#include "wayland/seat_input.h"
#include "wayland/wayland_objects.h"

namespace {

constexpr char kNoLayerShell[] =
    "the Wayland compositor has no layer shell (zwlr_layer_shell_v1), which lumivex -wayland needs; "
    "sway, Hyprland, river, wayfire, labwc and KDE Plasma have it, GNOME does not";

// An output the compositor announced, and its rain once the output has told its scale.
struct Output {
  std::uint32_t name;
  WaylandObject<wl_output> output;
  std::int32_t scale = 1;
  std::int32_t pendingScale = 1;
  bool known = false;   // its scale is told (done, or a version without done)
  bool closed = false;  // the compositor closed its surface: it gets no other
  std::unique_ptr<OutputRain> rain;
};

class Overlay {
 public:
  // With -idle the overlay starts hidden, else shown.
  Overlay(wl_display* display, const LinuxOptions& options)
      : display(display), options(options), args(ConfigureArgsFrom(options.settings)),
        shown(!options.idleSeconds) {}
  ~Overlay() {
    outputs.clear();
    seat.reset();
    if (layerShell) zwlr_layer_shell_v1_destroy(layerShell);
    if (shm) wl_shm_destroy(shm);
    if (compositor) wl_compositor_destroy(compositor);
    if (registry) wl_registry_destroy(registry);
  }
  Overlay(const Overlay&) = delete;
  Overlay& operator=(const Overlay&) = delete;

  void Start() {
    registry = wl_display_get_registry(display);
    static const wl_registry_listener listener = {&Overlay::Global, &Overlay::GlobalRemoved};
    wl_registry_add_listener(registry, &listener, this);
    if (wl_display_roundtrip(display) < 0) throw Exception("the Wayland compositor closed the connection");
    if (!compositor || !shm) throw Exception("the Wayland compositor offers no wl_compositor 4 or no wl_shm");
    if (!layerShell) throw Exception(kNoLayerShell);
    started = true;
    for (Output& output : outputs)
      if (output.known) ShowOn(output);
  }

  bool Ended() const { return seat && seat->Ended(); }

  // Puts the rain on every output (-idle, once the seat is idle).
  void Show() {
    shown = true;
    for (Output& output : outputs)
      if (output.known && !output.rain) ShowOn(output);
  }

  // Takes the rain off every output, destroying its surfaces, so nothing of it stays drawn, and
  // lets input end the next showing again.
  void Hide() {
    shown = false;
    for (Output& output : outputs) {
      output.rain.reset();
      output.closed = false;
    }
    if (seat) seat->Rearm();
  }

  // Builds fields that are due and polls every rain; returns the milliseconds to sleep.
  int Poll() {
    std::uint32_t due = 0;
    bool anyDue = false;
    for (auto it = outputs.begin(); it != outputs.end(); ++it) {
      if (it->rain && it->rain->Closed()) {
        it->rain.reset();
        it->closed = true;
      }
      if (!it->rain) continue;
      const auto next = it->rain->Poll();
      if (next && (!anyDue || static_cast<std::int32_t>(*next - due) < 0)) {
        due = *next;
        anyDue = true;
      }
    }
    return anyDue ? MillisecondsUntil(due) : -1;
  }

  // Builds the fields of surfaces that have shown their black frame; true when one was built.
  bool BuildFields() {
    bool built = false;
    for (Output& output : outputs)
      if (output.rain) built = output.rain->BuildFieldIfDue() || built;
    return built;
  }

 private:
  RainGlobals Globals() const { return {compositor, shm, layerShell}; }

  std::int32_t SheetStep(std::int32_t scale) const {
    return options.scale ? *options.scale : ScaleStepForScale(static_cast<double>(scale));
  }

  void ShowOn(Output& output) {
    if (!shown || output.closed) return;
    if (output.rain) {
      output.rain->SetScale(output.scale, SheetStep(output.scale));
      return;
    }
    output.rain = std::make_unique<OutputRain>(Globals(), output.output.get(), output.scale,
                                               SheetStep(output.scale), args);
  }

  static void Global(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
                     std::uint32_t version) {
    auto* self = static_cast<Overlay*>(data);
    const std::string kind = interface;
    if (kind == wl_compositor_interface.name && version >= 4 && !self->compositor) {
      self->compositor = static_cast<wl_compositor*>(wl_registry_bind(registry, name, &wl_compositor_interface, 4));
    } else if (kind == wl_shm_interface.name && !self->shm) {
      self->shm = static_cast<wl_shm*>(wl_registry_bind(registry, name, &wl_shm_interface, 1));
    } else if (kind == zwlr_layer_shell_v1_interface.name && !self->layerShell) {
      self->layerShell =
          static_cast<zwlr_layer_shell_v1*>(wl_registry_bind(registry, name, &zwlr_layer_shell_v1_interface, 1));
    } else if (kind == wl_seat_interface.name && !self->seat) {
      self->seat = std::make_unique<SeatInput>(
          static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, std::min(version, 5u))));
    } else if (kind == wl_output_interface.name) {
      self->AddOutput(name, version);
    }
  }

  void AddOutput(std::uint32_t name, std::uint32_t version) {
    Output& output = outputs.emplace_back();
    output.name = name;
    output.output.reset(
        static_cast<wl_output*>(wl_registry_bind(registry, name, &wl_output_interface, std::min(version, 2u))));
    // Bound at version 2 at most: the name and description events of later versions never come.
    static const wl_output_listener listener = {&Overlay::OutputGeometry, &Overlay::OutputMode, &Overlay::OutputDone,
                                                &Overlay::OutputScale, nullptr, nullptr};
    wl_output_add_listener(output.output.get(), &listener, this);
    // An output of version 1 sends no done event; one that comes after the start shows at once.
    if (version < WL_OUTPUT_DONE_SINCE_VERSION) output.known = true;
    if (started && output.known) ShowOn(output);
  }

  Output* FindOutput(wl_output* proxy) {
    for (Output& output : outputs)
      if (output.output.get() == proxy) return &output;
    return nullptr;
  }

  static void GlobalRemoved(void* data, wl_registry*, std::uint32_t name) {
    auto* self = static_cast<Overlay*>(data);
    self->outputs.remove_if([name](const Output& output) { return output.name == name; });
  }

  static void OutputGeometry(void*, wl_output*, std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                             const char*, const char*, std::int32_t) {}
  static void OutputMode(void*, wl_output*, std::uint32_t, std::int32_t, std::int32_t, std::int32_t) {}
  static void OutputScale(void* data, wl_output* proxy, std::int32_t factor) {
    if (Output* output = static_cast<Overlay*>(data)->FindOutput(proxy)) output->pendingScale = std::max(1, factor);
  }
  static void OutputDone(void* data, wl_output* proxy) {
    auto* self = static_cast<Overlay*>(data);
    Output* output = self->FindOutput(proxy);
    if (!output) return;
    output->scale = output->pendingScale;
    output->known = true;
    if (self->started) self->ShowOn(*output);
  }

  wl_display* const display;
  const LinuxOptions& options;
  const ConfigureArgs args;
  wl_registry* registry = nullptr;
  wl_compositor* compositor = nullptr;
  wl_shm* shm = nullptr;
  zwlr_layer_shell_v1* layerShell = nullptr;
  std::unique_ptr<SeatInput> seat;  // none: only a signal ends the overlay
  std::list<Output> outputs;  // a list: rains keep pointers into it while others come and go
  bool started = false;
  bool shown;
};

DisplayConnection Connect() {
  DisplayConnection display(wl_display_connect(nullptr));
  if (display) return display;
  const char* socket = std::getenv("WAYLAND_SOCKET");
  const char* name = std::getenv("WAYLAND_DISPLAY");
  if (socket && *socket) throw Exception(std::string("no Wayland display: WAYLAND_SOCKET ") + socket + " is not a connection");
  throw Exception(std::string("no Wayland display: cannot connect to '") + (name && *name ? name : "wayland-0") +
                  "' (WAYLAND_DISPLAY)");
}

[[noreturn]] void CompositorGone(wl_display* display) {
  const int error = wl_display_get_error(display);
  if (error == EPROTO) throw Exception("the Wayland compositor refused a request (protocol error)");
  throw Exception("the Wayland compositor closed the connection");
}

}  // namespace

int RunWayland(const LinuxOptions& options, const EndingSignals& signals) {
  const DisplayConnection connection = Connect();
  wl_display* display = connection.get();
  Overlay overlay(display, options);
  overlay.Start();
  // Made after the start, so a compositor without a layer shell is named as that; before the
  // first drawing, so a desktop without an idle source sees nothing drawn.
  const std::unique_ptr<IdleWatch> idle =
      options.idleSeconds ? MakeIdleWatch(display, *options.idleSeconds * 1000) : nullptr;
  // Input ends the program, or with -idle hides the rain until the seat is idle again.
  const auto inputEnds = [&] {
    if (!overlay.Ended()) return false;
    if (!idle) return true;
    overlay.Hide();
    return false;
  };

  pollfd waits[3] = {{wl_display_get_fd(display), POLLIN, 0}, {signals.Descriptor(), POLLIN, 0}, {-1, 0, 0}};
  for (;;) {
    if (wl_display_dispatch_pending(display) < 0) CompositorGone(display);
    if (idle) idle->Dispatch();
    if (inputEnds()) return 0;
    if (idle && idle->TakeIdled()) overlay.Show();
    // A field is built only after its black frame has left, so the output is covered at once.
    if (wl_display_flush(display) < 0 && errno != EAGAIN) CompositorGone(display);
    if (overlay.BuildFields()) continue;
    int wait = overlay.Poll();
    if (idle) {
      waits[2] = idle->Waiting();
      const int idleWait = idle->MillisecondsToDispatch();
      if (idleWait >= 0 && (wait < 0 || idleWait < wait)) wait = idleWait;
    }

    while (wl_display_prepare_read(display) != 0) {
      if (wl_display_dispatch_pending(display) < 0) CompositorGone(display);
    }
    if (overlay.Ended() || (idle && idle->Idled())) {  // dispatched just now: handled at the top
      wl_display_cancel_read(display);
      continue;
    }
    // A full socket takes the rest of the requests when it can: wait for that as well.
    bool unsent = false;
    if (wl_display_flush(display) < 0) {
      if (errno != EAGAIN) {
        wl_display_cancel_read(display);
        CompositorGone(display);
      }
      unsent = true;
    }
    waits[0].events = POLLIN | (unsent ? POLLOUT : 0);
    if (poll(waits, 3, wait) < 0 && errno != EINTR) {
      wl_display_cancel_read(display);
      throw Exception(std::string("waiting for the Wayland compositor failed: ") + std::strerror(errno));
    }
    if (waits[1].revents & POLLIN) {
      wl_display_cancel_read(display);
      return 0;
    }
    if (waits[0].revents & POLLIN) {
      if (wl_display_read_events(display) < 0) CompositorGone(display);
    } else {
      wl_display_cancel_read(display);
      if (waits[0].revents & (POLLERR | POLLHUP)) CompositorGone(display);
    }
  }
}
