// The tests' pointer: a virtual pointer device on the compositor's seat that makes the pointer
// events a test asks for, as a mouse on the desk would.
//
//   pointer_helper PAUSE_MS move DX DY | button | scroll ...
//
// It first waits PAUSE_MS with the device on the seat, so that clients can bind the pointer
// the new device gives the seat, then nudges the pointer by one pixel (so it enters the surface
// under it: moves are measured from there), waits PAUSE_MS again, and makes each event in turn.
#include <poll.h>
#include <time.h>
#include <wayland-client.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "virtual_pointer_client.h"

namespace {

wl_seat* seat = nullptr;
zwlr_virtual_pointer_manager_v1* manager = nullptr;

void Global(void*, wl_registry* registry, std::uint32_t name, const char* interface, std::uint32_t) {
  if (std::strcmp(interface, wl_seat_interface.name) == 0 && !seat)
    seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
  else if (std::strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0)
    manager = static_cast<zwlr_virtual_pointer_manager_v1*>(
        wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1));
}

void GlobalRemoved(void*, wl_registry*, std::uint32_t) {}

// Sends what is queued and waits `milliseconds` while answering the compositor.
void Pause(wl_display* display, int milliseconds) {
  wl_display_roundtrip(display);
  poll(nullptr, 0, milliseconds);
  wl_display_roundtrip(display);
}

std::uint32_t Now() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<std::uint32_t>(now.tv_sec * 1000 + now.tv_nsec / 1000000);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fputs("usage: pointer_helper PAUSE_MS move DX DY | button | scroll ...\n", stderr);
    return 2;
  }
  wl_display* display = wl_display_connect(nullptr);
  if (!display) {
    std::fputs("pointer_helper: no Wayland display\n", stderr);
    return 1;
  }
  wl_registry* registry = wl_display_get_registry(display);
  static const wl_registry_listener listener = {&Global, &GlobalRemoved};
  wl_registry_add_listener(registry, &listener, nullptr);
  wl_display_roundtrip(display);
  if (!manager) {
    std::fputs("pointer_helper: the compositor has no virtual pointers\n", stderr);
    return 1;
  }
  zwlr_virtual_pointer_v1* pointer = zwlr_virtual_pointer_manager_v1_create_virtual_pointer(manager, seat);
  const int pause = std::atoi(argv[1]);
  Pause(display, pause);
  zwlr_virtual_pointer_v1_motion(pointer, Now(), wl_fixed_from_int(1), wl_fixed_from_int(0));
  zwlr_virtual_pointer_v1_frame(pointer);
  Pause(display, pause);

  for (int i = 2; i < argc; ++i) {
    const std::string event = argv[i];
    if (event == "move" && i + 2 < argc) {
      zwlr_virtual_pointer_v1_motion(pointer, Now(), wl_fixed_from_double(std::atof(argv[i + 1])),
                                     wl_fixed_from_double(std::atof(argv[i + 2])));
      i += 2;
    } else if (event == "button") {
      zwlr_virtual_pointer_v1_button(pointer, Now(), 0x110, 1);
      zwlr_virtual_pointer_v1_frame(pointer);
      zwlr_virtual_pointer_v1_button(pointer, Now(), 0x110, 0);
    } else if (event == "scroll") {
      zwlr_virtual_pointer_v1_axis(pointer, Now(), 0, wl_fixed_from_int(10));
    } else {
      std::fprintf(stderr, "pointer_helper: unknown event '%s'\n", event.c_str());
      return 2;
    }
    zwlr_virtual_pointer_v1_frame(pointer);
    wl_display_roundtrip(display);
  }
  zwlr_virtual_pointer_v1_destroy(pointer);
  zwlr_virtual_pointer_manager_v1_destroy(manager);
  if (seat) wl_seat_destroy(seat);
  wl_registry_destroy(registry);
  wl_display_roundtrip(display);
  wl_display_disconnect(display);
  return 0;
}
