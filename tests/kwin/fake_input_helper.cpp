// The tests' hands on KWin: input through KWin's fake-input protocol, as a keyboard and mouse on
// the desk would make it. KWin offers the protocol only to clients of its own user, so the
// harness runs this as that user.
//
//   fake_input_helper PAUSE_MS key CODE | move DX DY | button | scroll ...
//
// It first waits PAUSE_MS with the device on the seat, so that clients can bind the keyboard
// and pointer the new device gives the seat, then nudges the pointer by one pixel (so it enters
// the surface under it: moves are measured from there), waits PAUSE_MS again, and makes each
// event in turn. CODE is an evdev key code (1 is Escape).
#include <poll.h>
#include <wayland-client.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fake_input_client.h"

namespace {

constexpr std::uint32_t kLeftButton = 0x110;
constexpr std::uint32_t kKeyboardSince = 4;

struct Globals {
  org_kde_kwin_fake_input* input = nullptr;
  std::uint32_t version = 0;
};

void Global(void* data, wl_registry* registry, std::uint32_t name, const char* interface, std::uint32_t version) {
  auto& globals = *static_cast<Globals*>(data);
  if (std::strcmp(interface, org_kde_kwin_fake_input_interface.name) != 0) return;
  globals.version = version < kKeyboardSince ? version : kKeyboardSince;
  globals.input = static_cast<org_kde_kwin_fake_input*>(
      wl_registry_bind(registry, name, &org_kde_kwin_fake_input_interface, globals.version));
}

void GlobalRemoved(void*, wl_registry*, std::uint32_t) {}

// Sends what is queued and waits `milliseconds` while answering the compositor.
void Pause(wl_display* display, int milliseconds) {
  wl_display_roundtrip(display);
  poll(nullptr, 0, milliseconds);
  wl_display_roundtrip(display);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fputs("usage: fake_input_helper PAUSE_MS key CODE | move DX DY | button | scroll ...\n", stderr);
    return 2;
  }
  wl_display* display = wl_display_connect(nullptr);
  if (!display) {
    std::fputs("fake_input_helper: no Wayland display\n", stderr);
    return 1;
  }
  Globals globals;
  wl_registry* registry = wl_display_get_registry(display);
  static const wl_registry_listener listener = {&Global, &GlobalRemoved};
  wl_registry_add_listener(registry, &listener, &globals);
  wl_display_roundtrip(display);
  if (!globals.input) {
    std::fputs("fake_input_helper: no fake input here (KWin offers it only to its own user)\n", stderr);
    return 1;
  }
  org_kde_kwin_fake_input_authenticate(globals.input, "lumivex tests", "input for the tests");
  const int pause = std::atoi(argv[1]);
  Pause(display, pause);
  org_kde_kwin_fake_input_pointer_motion(globals.input, wl_fixed_from_int(1), wl_fixed_from_int(0));
  Pause(display, pause);

  for (int i = 2; i < argc; ++i) {
    const std::string event = argv[i];
    if (event == "move" && i + 2 < argc) {
      org_kde_kwin_fake_input_pointer_motion(globals.input, wl_fixed_from_double(std::atof(argv[i + 1])),
                                             wl_fixed_from_double(std::atof(argv[i + 2])));
      i += 2;
    } else if (event == "key" && i + 1 < argc && globals.version >= kKeyboardSince) {
      const auto code = static_cast<std::uint32_t>(std::atoi(argv[++i]));
      org_kde_kwin_fake_input_keyboard_key(globals.input, code, WL_KEYBOARD_KEY_STATE_PRESSED);
      wl_display_roundtrip(display);
      org_kde_kwin_fake_input_keyboard_key(globals.input, code, WL_KEYBOARD_KEY_STATE_RELEASED);
    } else if (event == "button") {
      org_kde_kwin_fake_input_button(globals.input, kLeftButton, WL_POINTER_BUTTON_STATE_PRESSED);
      wl_display_roundtrip(display);
      org_kde_kwin_fake_input_button(globals.input, kLeftButton, WL_POINTER_BUTTON_STATE_RELEASED);
    } else if (event == "scroll") {
      org_kde_kwin_fake_input_axis(globals.input, WL_POINTER_AXIS_VERTICAL_SCROLL, wl_fixed_from_int(10));
    } else {
      std::fprintf(stderr, "fake_input_helper: unknown event '%s' (or no keyboard in version %u)\n",
                   event.c_str(), globals.version);
      return 2;
    }
    wl_display_roundtrip(display);
  }
  org_kde_kwin_fake_input_destroy(globals.input);
  wl_registry_destroy(registry);
  wl_display_roundtrip(display);
  wl_display_disconnect(display);
  return 0;
}
