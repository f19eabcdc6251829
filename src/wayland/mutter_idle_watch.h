// GNOME's idle time, for a compositor without an idle protocol: the idle monitor that GNOME
// Shell's compositor (Mutter) puts on the session bus. One idle watch, whose WatchFired signal
// comes each time the user has been idle that long (the monitor sets it again on input). The
// bus is spoken through sd-bus: a plain connection with a descriptor to poll, and no loop of its
// own.
#pragma once

#include <systemd/sd-bus.h>

#include <cstdint>
#include <memory>
#include <string>

#include "wayland/idle_watch.h"

struct BusDeleter {
  void operator()(sd_bus* bus) const { sd_bus_flush_close_unref(bus); }
  void operator()(sd_bus_slot* slot) const { sd_bus_slot_unref(slot); }
  void operator()(sd_bus_message* message) const { sd_bus_message_unref(message); }
};

class MutterIdleWatch : public IdleWatch {
 public:
  // The watch, or null when there is no session bus or no idle monitor on it. Throws Exception
  // when the monitor is there but refuses the watch.
  static std::unique_ptr<MutterIdleWatch> Open(std::uint32_t milliseconds);
  ~MutterIdleWatch() override;

  pollfd Waiting() const override;
  int MillisecondsToDispatch() const override;
  void Dispatch() override;

 private:
  MutterIdleWatch(std::unique_ptr<sd_bus, BusDeleter> bus, const std::string& monitor, std::uint32_t milliseconds);
  static int WatchFired(sd_bus_message* message, void* data, sd_bus_error*);

  std::unique_ptr<sd_bus, BusDeleter> bus;
  std::unique_ptr<sd_bus_slot, BusDeleter> firedMatch;
  std::uint32_t watch = 0;
};
