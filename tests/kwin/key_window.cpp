// The tests' plain window: an ordinary top-level window of a grey picture, as any program opens
// one, that reports on stdout, a line each, what the keyboard does to it:
//
//   mapped            its first picture is up
//   enter | leave     it got or lost the keyboard
//   key CODE STATE    a key (evdev code) went down (1) or up (0) while it had the keyboard
//
// It runs until the compositor closes it or it is ended by a signal.
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "xdg_shell_client.h"

namespace {

constexpr int kDefaultWidth = 400;
constexpr int kDefaultHeight = 300;
constexpr std::uint32_t kGrey = 0xFF808080;

struct Window {
  wl_compositor* compositor = nullptr;
  wl_shm* shm = nullptr;
  xdg_wm_base* shell = nullptr;
  wl_seat* seat = nullptr;
  wl_keyboard* keyboard = nullptr;
  wl_surface* surface = nullptr;
  xdg_surface* shellSurface = nullptr;
  xdg_toplevel* toplevel = nullptr;
  int width = kDefaultWidth;
  int height = kDefaultHeight;
  bool mapped = false;
  bool closed = false;
};

// A grey buffer of the window's size; the pool and its memory go once the buffer holds them.
wl_buffer* GreyBuffer(Window& window) {
  const int stride = window.width * 4;
  const int size = stride * window.height;
  const int fd = memfd_create("key-window", MFD_CLOEXEC);
  if (fd < 0 || ftruncate(fd, size) != 0) return nullptr;
  void* pixels = mmap(nullptr, static_cast<std::size_t>(size), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  if (pixels == MAP_FAILED) {
    close(fd);
    return nullptr;
  }
  auto* words = static_cast<std::uint32_t*>(pixels);
  for (int i = 0; i < window.width * window.height; ++i) words[i] = kGrey;
  munmap(pixels, static_cast<std::size_t>(size));
  wl_shm_pool* pool = wl_shm_create_pool(window.shm, fd, size);
  wl_buffer* buffer =
      wl_shm_pool_create_buffer(pool, 0, window.width, window.height, stride, WL_SHM_FORMAT_XRGB8888);
  wl_shm_pool_destroy(pool);
  close(fd);
  return buffer;
}

void BufferReleased(void*, wl_buffer* buffer) { wl_buffer_destroy(buffer); }
const wl_buffer_listener kBufferListener = {&BufferReleased};

void Keymap(void*, wl_keyboard*, std::uint32_t, int fd, std::uint32_t) { close(fd); }
void Enter(void*, wl_keyboard*, std::uint32_t, wl_surface*, wl_array*) { std::puts("enter"); }
void Leave(void*, wl_keyboard*, std::uint32_t, wl_surface*) { std::puts("leave"); }
void Key(void*, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t key, std::uint32_t state) {
  std::printf("key %u %u\n", key, state);
}
void Modifiers(void*, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t) {}
void RepeatInfo(void*, wl_keyboard*, std::int32_t, std::int32_t) {}
const wl_keyboard_listener kKeyboardListener = {&Keymap, &Enter, &Leave, &Key, &Modifiers, &RepeatInfo};

void Capabilities(void* data, wl_seat* seat, std::uint32_t capabilities) {
  auto& window = *static_cast<Window*>(data);
  const bool hasKeyboard = capabilities & WL_SEAT_CAPABILITY_KEYBOARD;
  if (hasKeyboard && !window.keyboard) {
    window.keyboard = wl_seat_get_keyboard(seat);
    wl_keyboard_add_listener(window.keyboard, &kKeyboardListener, &window);
  } else if (!hasKeyboard && window.keyboard) {
    wl_keyboard_release(window.keyboard);
    window.keyboard = nullptr;
  }
}
void SeatName(void*, wl_seat*, const char*) {}
const wl_seat_listener kSeatListener = {&Capabilities, &SeatName};

void Ping(void*, xdg_wm_base* shell, std::uint32_t serial) { xdg_wm_base_pong(shell, serial); }
const xdg_wm_base_listener kShellListener = {&Ping};

void SurfaceConfigure(void* data, xdg_surface* shellSurface, std::uint32_t serial) {
  auto& window = *static_cast<Window*>(data);
  xdg_surface_ack_configure(shellSurface, serial);
  wl_buffer* buffer = GreyBuffer(window);
  if (!buffer) {
    std::fputs("key_window: no buffer\n", stderr);
    window.closed = true;
    return;
  }
  wl_buffer_add_listener(buffer, &kBufferListener, nullptr);
  wl_surface_attach(window.surface, buffer, 0, 0);
  wl_surface_damage(window.surface, 0, 0, window.width, window.height);
  wl_surface_commit(window.surface);
  if (!window.mapped) {
    window.mapped = true;
    std::puts("mapped");
  }
}
const xdg_surface_listener kSurfaceListener = {&SurfaceConfigure};

void ToplevelConfigure(void* data, xdg_toplevel*, std::int32_t width, std::int32_t height, wl_array*) {
  auto& window = *static_cast<Window*>(data);
  window.width = width > 0 ? width : kDefaultWidth;
  window.height = height > 0 ? height : kDefaultHeight;
}
void ToplevelClose(void* data, xdg_toplevel*) { static_cast<Window*>(data)->closed = true; }
void ConfigureBounds(void*, xdg_toplevel*, std::int32_t, std::int32_t) {}
void WmCapabilities(void*, xdg_toplevel*, wl_array*) {}
const xdg_toplevel_listener kToplevelListener = {&ToplevelConfigure, &ToplevelClose, &ConfigureBounds,
                                                 &WmCapabilities};

void Global(void* data, wl_registry* registry, std::uint32_t name, const char* interface, std::uint32_t version) {
  auto& window = *static_cast<Window*>(data);
  if (std::strcmp(interface, wl_compositor_interface.name) == 0) {
    window.compositor = static_cast<wl_compositor*>(wl_registry_bind(registry, name, &wl_compositor_interface, 4));
  } else if (std::strcmp(interface, wl_shm_interface.name) == 0) {
    window.shm = static_cast<wl_shm*>(wl_registry_bind(registry, name, &wl_shm_interface, 1));
  } else if (std::strcmp(interface, xdg_wm_base_interface.name) == 0) {
    window.shell = static_cast<xdg_wm_base*>(wl_registry_bind(registry, name, &xdg_wm_base_interface, 1));
    xdg_wm_base_add_listener(window.shell, &kShellListener, &window);
  } else if (std::strcmp(interface, wl_seat_interface.name) == 0 && !window.seat) {
    window.seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, version < 5 ? version : 5));
    wl_seat_add_listener(window.seat, &kSeatListener, &window);
  }
}
void GlobalRemoved(void*, wl_registry*, std::uint32_t) {}
const wl_registry_listener kRegistryListener = {&Global, &GlobalRemoved};

}  // namespace

int main() {
  setvbuf(stdout, nullptr, _IOLBF, 0);
  wl_display* display = wl_display_connect(nullptr);
  if (!display) {
    std::fputs("key_window: no Wayland display\n", stderr);
    return 1;
  }
  Window window;
  wl_registry* registry = wl_display_get_registry(display);
  wl_registry_add_listener(registry, &kRegistryListener, &window);
  wl_display_roundtrip(display);
  if (!window.compositor || !window.shm || !window.shell) {
    std::fputs("key_window: the compositor lacks wl_compositor, wl_shm or xdg_wm_base\n", stderr);
    return 1;
  }
  window.surface = wl_compositor_create_surface(window.compositor);
  window.shellSurface = xdg_wm_base_get_xdg_surface(window.shell, window.surface);
  xdg_surface_add_listener(window.shellSurface, &kSurfaceListener, &window);
  window.toplevel = xdg_surface_get_toplevel(window.shellSurface);
  xdg_toplevel_add_listener(window.toplevel, &kToplevelListener, &window);
  xdg_toplevel_set_title(window.toplevel, "key window");
  xdg_toplevel_set_app_id(window.toplevel, "key-window");
  wl_surface_commit(window.surface);
  while (!window.closed && wl_display_dispatch(display) != -1) {
  }
  wl_display_disconnect(display);
  return window.closed ? 0 : 1;
}
