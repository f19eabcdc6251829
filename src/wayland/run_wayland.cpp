// The globals come from the registry at start and whenever an output comes or goes. The outputs'
// surfaces and their rain live in OutputRain, the input that ends the overlay in SeatInput. The
// surfaces are layer-shell overlays where the compositor has a layer shell, else full-screen
// windows (ToplevelRole); with -idle an IdleWatch shows them, and input hides them again.
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
#include "settings/configure_args.h"
#include "wayland/idle_watch.h"
#include "wayland/layer_role.h"
#include "wayland/output_rain.h"
#include "wayland/seat_input.h"
#include "wayland/toplevel_role.h"
#include "wayland/xdg_output_client.h"
#include "wayland/wayland_objects.h"

namespace {

constexpr char kNoShell[] =
    "the Wayland compositor has neither a layer shell (zwlr_layer_shell_v1) nor xdg-shell (xdg_wm_base), "
    "one of which lumivex -wayland needs";

constexpr char kNoBackgroundLayer[] =
    "the Wayland compositor has no layer shell (zwlr_layer_shell_v1), which lumivex -wayland -background needs";

// Set (to anything) for tests only: full-screen windows even where a layer shell is offered,
// so that path is tested on a compositor that has both.
constexpr char kForceWindowsVariable[] = "LUMIVEX_TEST_FULLSCREEN_WINDOWS";

// An output the compositor announced, what it has told of itself, and its rain once it has
// told it all (its first done event).
struct Output {
  std::uint32_t name;
  WaylandObject<wl_output> output;
  WaylandObject<zxdg_output_v1> xdgOutput;  // when the compositor offers xdg-output 3
  // Told since the last done event; applied together at the next one.
  std::int32_t modeWidth = 0;
  std::int32_t modeHeight = 0;
  std::int32_t scale = 1;
  bool quarterTurned = false;
  SurfaceSize xdgLogicalSize;
  bool changing = false;   // told something that its done event has not applied yet
  bool described = false;  // a done event came (or never will: version 1)
  OutputView view;
  bool refused = false;    // the compositor closed a surface it never configured: it gets no other
  std::unique_ptr<OutputRain> rain;
};

class Overlay {
 public:
  // With -idle the overlay starts hidden, else shown.
  Overlay(wl_display* display, const LinuxOptions& options)
      : display(display),
        options(options),
        args(ConfigureArgsFrom(options.settings)),
        layer(options.background ? RainLayer::Background : RainLayer::Overlay),
        shown(!options.idleSeconds) {}
  ~Overlay() {
    outputs.clear();
    seat.reset();
    if (xdgOutputManager) zxdg_output_manager_v1_destroy(xdgOutputManager);
    if (viewporter) wp_viewporter_destroy(viewporter);
    if (fractionalScale) wp_fractional_scale_manager_v1_destroy(fractionalScale);
    if (layerShell) zwlr_layer_shell_v1_destroy(layerShell);
    if (activation) xdg_activation_v1_destroy(activation);
    if (windowShell) xdg_wm_base_destroy(windowShell);
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
    if (layerShell && (layer == RainLayer::Background || !std::getenv(kForceWindowsVariable))) {
      makeRole = LayerRole::Maker(layerShell, layer);
    } else if (layer == RainLayer::Background) {
      throw Exception(kNoBackgroundLayer);  // a window cannot stay under the others
    } else if (windowShell) {
      const char* token = std::getenv("XDG_ACTIVATION_TOKEN");
      activationToken = token ? token : "";
      makeRole = ToplevelRole::Maker(windowShell, activation, activationToken, [this] { closeAsked = true; });
    } else {
      throw Exception(kNoShell);
    }
    started = true;
    for (Output& output : outputs)
      if (output.described) ShowOn(output);
  }

  // Input, or the compositor's request to close a window of ours, asks to end the showing.
  bool Ended() const { return closeAsked || (seat && seat->Ended()); }

  // Puts the rain on every output (-idle, once the seat is idle).
  void Show() {
    shown = true;
    for (Output& output : outputs)
      if (output.described) ShowOn(output);
  }

  // Takes the rain off every output, destroying its surfaces, so nothing of it stays drawn, and
  // lets input end the next showing again.
  void Hide() {
    shown = false;
    for (Output& output : outputs) {
      output.rain.reset();
      output.refused = false;
    }
    if (seat) seat->Rearm();
    closeAsked = false;
  }

  // Applies what the compositor told since the last call: each rain whose output has told all
  // of a change takes its new size and scale at once.
  void ApplyChanges() {
    for (Output& output : outputs) {
      if (output.rain && output.rain->IsClosed()) {
        // A surface the compositor closed while its output stays is made anew, unless the
        // compositor never took it (it would close the next one as well).
        const bool renew = output.rain->WasConfigured();
        output.rain.reset();
        output.refused = !renew;
        if (renew) ShowOn(output);
      }
      if (output.rain && !output.changing) output.rain->ApplyChanges();
    }
  }

  // Polls every rain; returns the milliseconds to sleep.
  int Poll() {
    std::uint32_t due = 0;
    bool anyDue = false;
    for (Output& output : outputs) {
      if (!output.rain) continue;
      const auto next = output.rain->Poll();
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
  RainGlobals Globals() const { return {compositor, shm, fractionalScale, viewporter}; }

  void ShowOn(Output& output) {
    if (!started || !shown || output.refused || output.rain) return;
    output.rain = std::make_unique<OutputRain>(Globals(), makeRole, output.output.get(), output.view,
                                               options.scale, args);
  }

  static void Global(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
                     std::uint32_t version) {
    auto* self = static_cast<Overlay*>(data);
    const std::string kind = interface;
    if (kind == wl_compositor_interface.name && version >= 4 && !self->compositor) {
      self->compositor = Bind<wl_compositor>(registry, name, wl_compositor_interface, 4);
    } else if (kind == wl_shm_interface.name && !self->shm) {
      self->shm = Bind<wl_shm>(registry, name, wl_shm_interface, 1);
    } else if (kind == zwlr_layer_shell_v1_interface.name && !self->layerShell) {
      self->layerShell = Bind<zwlr_layer_shell_v1>(registry, name, zwlr_layer_shell_v1_interface, 1);
    } else if (kind == xdg_wm_base_interface.name && !self->windowShell) {
      self->windowShell = Bind<xdg_wm_base>(registry, name, xdg_wm_base_interface, 1);
      static const xdg_wm_base_listener listener = {&Overlay::Ping};
      xdg_wm_base_add_listener(self->windowShell, &listener, self);
    } else if (kind == xdg_activation_v1_interface.name && !self->activation) {
      self->activation = Bind<xdg_activation_v1>(registry, name, xdg_activation_v1_interface, 1);
    } else if (kind == wp_fractional_scale_manager_v1_interface.name && !self->fractionalScale) {
      self->fractionalScale =
          Bind<wp_fractional_scale_manager_v1>(registry, name, wp_fractional_scale_manager_v1_interface, 1);
    } else if (kind == wp_viewporter_interface.name && !self->viewporter) {
      self->viewporter = Bind<wp_viewporter>(registry, name, wp_viewporter_interface, 1);
    } else if (kind == zxdg_output_manager_v1_interface.name && version >= 3 && !self->xdgOutputManager) {
      // At version 3 its outputs' sizes are applied with wl_output's done event, as the rest.
      self->xdgOutputManager = Bind<zxdg_output_manager_v1>(registry, name, zxdg_output_manager_v1_interface, 3);
      for (Output& output : self->outputs) self->DescribeLogicalSize(output);
    } else if (kind == wl_seat_interface.name && !self->seat && self->layer == RainLayer::Overlay) {
      // Under the windows, the rain takes no input at all: it leaves the cursor alone too.
      self->seat = std::make_unique<SeatInput>(
          self->display, Bind<wl_seat>(registry, name, wl_seat_interface, std::min(version, 5u)));
    } else if (kind == wl_output_interface.name) {
      self->AddOutput(name, version);
    }
  }

  static void Ping(void*, xdg_wm_base* shell, std::uint32_t serial) { xdg_wm_base_pong(shell, serial); }

  template <typename T>
  static T* Bind(wl_registry* registry, std::uint32_t name, const wl_interface& interface, std::uint32_t version) {
    return static_cast<T*>(wl_registry_bind(registry, name, &interface, version));
  }

  void AddOutput(std::uint32_t name, std::uint32_t version) {
    Output& output = outputs.emplace_back();
    output.name = name;
    // Version 4 where offered: from version 3 an output can be released when it goes.
    output.output.reset(Bind<wl_output>(registry, name, wl_output_interface, std::min(version, 4u)));
    static const wl_output_listener listener = {&Overlay::OutputGeometry, &Overlay::OutputMode,
                                                &Overlay::OutputDone,     &Overlay::OutputScale,
                                                &Overlay::OutputName,     &Overlay::OutputDescription};
    wl_output_add_listener(output.output.get(), &listener, this);
    DescribeLogicalSize(output);
    // An output of version 1 sends no done event: it is shown as it is, at once.
    if (version < WL_OUTPUT_DONE_SINCE_VERSION) {
      output.described = true;
      ShowOn(output);
    }
  }

  void DescribeLogicalSize(Output& output) {
    if (!xdgOutputManager || output.xdgOutput) return;
    output.xdgOutput.reset(zxdg_output_manager_v1_get_xdg_output(xdgOutputManager, output.output.get()));
    static const zxdg_output_v1_listener listener = {&Overlay::LogicalPosition, &Overlay::LogicalSize,
                                                     &Overlay::XdgOutputDone, &Overlay::XdgOutputName,
                                                     &Overlay::XdgOutputDescription};
    zxdg_output_v1_add_listener(output.xdgOutput.get(), &listener, this);
  }

  template <typename Proxy>
  Output* FindOutput(Proxy* proxy) {
    for (Output& output : outputs)
      if (static_cast<void*>(output.output.get()) == proxy || static_cast<void*>(output.xdgOutput.get()) == proxy)
        return &output;
    return nullptr;
  }

  // The output is telling something new: its rain waits for the done event that completes it
  // (an output of version 1 sends none: its rain never waits).
  template <typename Proxy>
  Output* Changing(Proxy* proxy) {
    Output* output = FindOutput(proxy);
    if (output && wl_output_get_version(output->output.get()) >= WL_OUTPUT_DONE_SINCE_VERSION)
      output->changing = true;
    return output;
  }

  static void GlobalRemoved(void* data, wl_registry*, std::uint32_t name) {
    auto* self = static_cast<Overlay*>(data);
    self->outputs.remove_if([name](const Output& output) { return output.name == name; });
  }

  static void OutputGeometry(void* data, wl_output* proxy, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                             std::int32_t, const char*, const char*, std::int32_t transform) {
    if (Output* output = static_cast<Overlay*>(data)->Changing(proxy))
      output->quarterTurned = transform % 2 == 1;  // 90 and 270, flipped or not
  }
  static void OutputMode(void* data, wl_output* proxy, std::uint32_t flags, std::int32_t width, std::int32_t height,
                         std::int32_t) {
    if (!(flags & WL_OUTPUT_MODE_CURRENT)) return;
    if (Output* output = static_cast<Overlay*>(data)->Changing(proxy)) {
      output->modeWidth = width;
      output->modeHeight = height;
    }
  }
  static void OutputScale(void* data, wl_output* proxy, std::int32_t factor) {
    if (Output* output = static_cast<Overlay*>(data)->Changing(proxy)) output->scale = std::max(1, factor);
  }
  static void OutputName(void*, wl_output*, const char*) {}
  static void OutputDescription(void*, wl_output*, const char*) {}
  static void OutputDone(void* data, wl_output* proxy) {
    auto* self = static_cast<Overlay*>(data);
    Output* output = self->FindOutput(proxy);
    if (!output) return;
    output->view = {output->scale, LogicalOutputSize(output->xdgLogicalSize, output->modeWidth, output->modeHeight,
                                                     output->scale, output->quarterTurned)};
    output->changing = false;
    output->described = true;
    if (output->rain)
      output->rain->SetOutput(output->view);
    else
      self->ShowOn(*output);
  }

  static void LogicalPosition(void*, zxdg_output_v1*, std::int32_t, std::int32_t) {}
  static void LogicalSize(void* data, zxdg_output_v1* proxy, std::int32_t width, std::int32_t height) {
    if (Output* output = static_cast<Overlay*>(data)->Changing(proxy))
      output->xdgLogicalSize = {static_cast<std::uint32_t>(std::max(0, width)),
                                static_cast<std::uint32_t>(std::max(0, height))};
  }
  static void XdgOutputDone(void*, zxdg_output_v1*) {}  // deprecated at version 3: wl_output's done counts
  static void XdgOutputName(void*, zxdg_output_v1*, const char*) {}
  static void XdgOutputDescription(void*, zxdg_output_v1*, const char*) {}

  wl_display* const display;
  const LinuxOptions& options;
  const ConfigureArgs args;
  const RainLayer layer;
  wl_registry* registry = nullptr;
  wl_compositor* compositor = nullptr;
  wl_shm* shm = nullptr;
  zwlr_layer_shell_v1* layerShell = nullptr;
  xdg_wm_base* windowShell = nullptr;       // for full-screen windows where there is no layer shell
  xdg_activation_v1* activation = nullptr;  // may be null
  std::string activationToken;              // XDG_ACTIVATION_TOKEN, until the first window spends it
  SurfaceRoleMaker makeRole;                // chosen at the start
  bool closeAsked = false;
  wp_fractional_scale_manager_v1* fractionalScale = nullptr;
  wp_viewporter* viewporter = nullptr;
  zxdg_output_manager_v1* xdgOutputManager = nullptr;
  std::unique_ptr<SeatInput> seat;  // none (or on the background): only a signal ends the rain
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
  // When the session bus goes, a compositor that lives on it (GNOME) goes soon after: the bus
  // is the cause to name, if it has gone too.
  const auto gone = [&]() {
    if (idle) idle->Dispatch();
    CompositorGone(display);
  };
  // Input ends the program, or with -idle hides the rain until the seat is idle again.
  const auto inputEnds = [&] {
    if (!overlay.Ended()) return false;
    if (!idle) return true;
    overlay.Hide();
    return false;
  };

  pollfd waits[3] = {{wl_display_get_fd(display), POLLIN, 0}, {signals.Descriptor(), POLLIN, 0}, {-1, 0, 0}};
  for (;;) {
    if (wl_display_dispatch_pending(display) < 0) gone();
    if (idle) idle->Dispatch();
    if (inputEnds()) return 0;
    if (idle && idle->TakeIdled()) overlay.Show();
    overlay.ApplyChanges();
    // A field is built only after its black frame has left, so the output is covered at once.
    if (wl_display_flush(display) < 0 && errno != EAGAIN) gone();
    if (overlay.BuildFields()) continue;
    int wait = overlay.Poll();
    if (idle) {
      waits[2] = idle->Waiting();
      const int idleWait = idle->MillisecondsToDispatch();
      if (idleWait >= 0 && (wait < 0 || idleWait < wait)) wait = idleWait;
    }

    // Events read meanwhile are handled, and their changes applied, before the wait.
    if (wl_display_prepare_read(display) != 0) continue;
    // A full socket takes the rest of the requests when it can: wait for that as well.
    bool unsent = false;
    if (wl_display_flush(display) < 0) {
      if (errno != EAGAIN) {
        wl_display_cancel_read(display);
        gone();
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
      if (wl_display_read_events(display) < 0) gone();
    } else {
      wl_display_cancel_read(display);
      if (waits[0].revents & (POLLERR | POLLHUP)) gone();
    }
  }
}
