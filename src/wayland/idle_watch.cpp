// The idle globals are found through a registry of their own, so the watch and the rain's
// outputs know nothing of each other; the watch binds the seat a second time for the same
// reason (a client may hold several wl_seat objects for one seat).
#include "wayland/idle_watch.h"

#include <algorithm>
#include <string>

#include "base/exception.h"
#include "wayland/idle_source_choice.h"
#include "wayland/mutter_idle_watch.h"
#include "wayland/protocol_idle_watches.h"

namespace {

struct Offered {
  std::uint32_t extNotifier = 0;  // global names; 0: not offered
  std::uint32_t kdeIdle = 0;
  std::uint32_t seat = 0;
  std::uint32_t seatVersion = 0;
};

void Global(void* data, wl_registry*, std::uint32_t name, const char* interface, std::uint32_t version) {
  auto* offered = static_cast<Offered*>(data);
  const std::string kind = interface;
  if (kind == ext_idle_notifier_v1_interface.name && !offered->extNotifier) {
    offered->extNotifier = name;
  } else if (kind == org_kde_kwin_idle_interface.name && !offered->kdeIdle) {
    offered->kdeIdle = name;
  } else if (kind == wl_seat_interface.name && !offered->seat) {
    offered->seat = name;
    offered->seatVersion = version;
  }
}

void GlobalRemoved(void*, wl_registry*, std::uint32_t) {}

}  // namespace

std::unique_ptr<IdleWatch> MakeIdleWatch(wl_display* display, std::uint32_t milliseconds) {
  Offered offered;
  const WaylandObject<wl_registry> registry(wl_display_get_registry(display));
  static const wl_registry_listener listener = {&Global, &GlobalRemoved};
  wl_registry_add_listener(registry.get(), &listener, &offered);
  if (wl_display_roundtrip(display) < 0) throw Exception("the Wayland compositor closed the connection");
  const auto bind = [&](std::uint32_t name, const wl_interface& interface, std::uint32_t version) {
    return wl_registry_bind(registry.get(), name, &interface, version);
  };
  const auto seat = [&] {
    return static_cast<wl_seat*>(bind(offered.seat, wl_seat_interface, std::min(offered.seatVersion, 5u)));
  };
  // Both protocols watch a seat: without one they cannot serve.
  const bool hasSeat = offered.seat != 0;
  std::unique_ptr<MutterIdleWatch> mutter;
  const auto source = ChooseIdleSource({hasSeat && offered.extNotifier, hasSeat && offered.kdeIdle}, [&] {
    mutter = MutterIdleWatch::Open(milliseconds);
    return mutter != nullptr;
  });
  std::unique_ptr<IdleWatch> watch;
  if (source == IdleSource::kExtIdleNotifier) {
    watch = std::make_unique<ExtIdleWatch>(
        static_cast<ext_idle_notifier_v1*>(bind(offered.extNotifier, ext_idle_notifier_v1_interface, 1)), seat(),
        milliseconds);
  } else if (source == IdleSource::kKdeIdle) {
    watch = std::make_unique<KdeIdleWatch>(
        static_cast<org_kde_kwin_idle*>(bind(offered.kdeIdle, org_kde_kwin_idle_interface, 1)), seat(),
        milliseconds);
  } else if (source == IdleSource::kMutterIdleMonitor) {
    watch = std::move(mutter);
  }
  if (!watch) throw Exception(kNoIdleSource);
  return watch;
}
