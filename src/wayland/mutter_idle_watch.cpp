// The monitor is called synchronously only while the watch is made, before the rain's loop
// runs; afterwards the bus is only read, in the loop's own turns.
#include "wayland/mutter_idle_watch.h"

#include <time.h>

#include <cerrno>
#include <cstring>
#include <limits>

#include "base/exception.h"

namespace {

constexpr char kMonitorName[] = "org.gnome.Mutter.IdleMonitor";
constexpr char kMonitorPath[] = "/org/gnome/Mutter/IdleMonitor/Core";
constexpr char kMonitorInterface[] = "org.gnome.Mutter.IdleMonitor";

// An sd_bus_error that frees what a failed call put into it.
struct CallError {
  sd_bus_error error = SD_BUS_ERROR_NULL;
  ~CallError() { sd_bus_error_free(&error); }
  std::string Text(int code) const {
    return error.message ? error.message : std::strerror(-code);
  }
};

// The unique name of the idle monitor's owner, or empty when nobody owns it.
std::string MonitorOwner(sd_bus* bus) {
  CallError error;
  sd_bus_message* reply = nullptr;
  if (sd_bus_call_method(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                         "GetNameOwner", &error.error, &reply, "s", kMonitorName) < 0)
    return {};
  const std::unique_ptr<sd_bus_message, BusDeleter> owned(reply);
  const char* owner = nullptr;
  if (sd_bus_message_read(reply, "s", &owner) < 0 || !owner) return {};
  return owner;
}

}  // namespace

std::unique_ptr<MutterIdleWatch> MutterIdleWatch::Open(std::uint32_t milliseconds) {
  sd_bus* opened = nullptr;
  if (sd_bus_open_user(&opened) < 0) return nullptr;
  std::unique_ptr<sd_bus, BusDeleter> bus(opened);
  const std::string owner = MonitorOwner(bus.get());
  if (owner.empty()) return nullptr;
  return std::unique_ptr<MutterIdleWatch>(new MutterIdleWatch(std::move(bus), owner, milliseconds));
}

MutterIdleWatch::MutterIdleWatch(std::unique_ptr<sd_bus, BusDeleter> connection, const std::string& monitor,
                                 std::uint32_t milliseconds)
    : bus(std::move(connection)) {
  // The match goes first: a watch for a user already idle that long fires at once.
  sd_bus_slot* slot = nullptr;
  int result = sd_bus_match_signal(bus.get(), &slot, monitor.c_str(), kMonitorPath, kMonitorInterface,
                                   "WatchFired", &MutterIdleWatch::WatchFired, this);
  if (result < 0)
    throw Exception(std::string("cannot listen to GNOME's idle monitor: ") + std::strerror(-result));
  firedMatch.reset(slot);

  CallError error;
  sd_bus_message* reply = nullptr;
  result = sd_bus_call_method(bus.get(), monitor.c_str(), kMonitorPath, kMonitorInterface, "AddIdleWatch",
                              &error.error, &reply, "t", static_cast<std::uint64_t>(milliseconds));
  if (result < 0) throw Exception("GNOME's idle monitor refused an idle watch: " + error.Text(result));
  const std::unique_ptr<sd_bus_message, BusDeleter> owned(reply);
  result = sd_bus_message_read(reply, "u", &watch);
  if (result < 0) throw Exception("GNOME's idle monitor answered AddIdleWatch with no watch id");
}

MutterIdleWatch::~MutterIdleWatch() {
  // Not waited for: closing the connection flushes the request out, and the monitor drops a
  // departed client's watches anyway.
  if (sd_bus_is_open(bus.get()) > 0)
    sd_bus_call_method_async(bus.get(), nullptr, kMonitorName, kMonitorPath, kMonitorInterface, "RemoveWatch",
                             nullptr, nullptr, "u", watch);
}

int MutterIdleWatch::WatchFired(sd_bus_message* message, void* data, sd_bus_error*) {
  auto* self = static_cast<MutterIdleWatch*>(data);
  std::uint32_t fired = 0;
  if (sd_bus_message_read(message, "u", &fired) >= 0 && fired == self->watch) self->WentIdle();
  return 0;
}

pollfd MutterIdleWatch::Waiting() const {
  const int events = sd_bus_get_events(bus.get());
  return {sd_bus_get_fd(bus.get()), static_cast<short>(events > 0 ? events : 0), 0};
}

int MutterIdleWatch::MillisecondsToDispatch() const {
  std::uint64_t due = 0;  // CLOCK_MONOTONIC, microseconds
  if (sd_bus_get_timeout(bus.get(), &due) < 0 || due == std::numeric_limits<std::uint64_t>::max()) return -1;
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  const std::uint64_t nowUs = static_cast<std::uint64_t>(now.tv_sec) * 1000000 + now.tv_nsec / 1000;
  if (due <= nowUs) return 0;
  const std::uint64_t wait = (due - nowUs + 999) / 1000;
  return wait > static_cast<std::uint64_t>(std::numeric_limits<int>::max()) ? std::numeric_limits<int>::max()
                                                                            : static_cast<int>(wait);
}

void MutterIdleWatch::Dispatch() {
  int result;
  while ((result = sd_bus_process(bus.get(), nullptr)) > 0) {
  }
  if (result < 0 || sd_bus_is_open(bus.get()) <= 0)
    throw Exception("the session bus closed the connection, and with it GNOME's idle monitor");
}
