// The seat's keyboard and pointer, listened to only for what ends the overlay (InputRule): a
// key press, a button, a scroll, or a pointer move of more than 5 pixels from its entry. The
// pointer is hidden over the overlay. A seat can gain and lose its devices at any time (a
// virtual keyboard comes and goes); a locker's nested compositor may offer no seat at all.
#pragma once

#include <wayland-client.h>

#include <cstdint>

#include "wayland/input_rule.h"
#include "wayland/wayland_objects.h"

class SeatInput {
 public:
  // Takes over `seat`, a wl_seat bound at version 5 or lower.
  explicit SeatInput(wl_seat* seat);
  ~SeatInput();
  SeatInput(const SeatInput&) = delete;
  SeatInput& operator=(const SeatInput&) = delete;

  // Input has asked to end the overlay.
  bool Ended() const { return ended; }
  // The overlay was hidden instead of ended (-idle): the next showing starts afresh.
  void Rearm() {
    ended = false;
    rule.PointerLeft();
  }

 private:
  static void Capabilities(void* data, wl_seat* seat, std::uint32_t capabilities);
  static void Name(void*, wl_seat*, const char*) {}
  void ReleaseKeyboard();
  void ReleasePointer();

  static void Keymap(void*, wl_keyboard*, std::uint32_t format, std::int32_t fd, std::uint32_t size);
  static void KeyboardEnter(void*, wl_keyboard*, std::uint32_t, wl_surface*, wl_array*) {}
  static void KeyboardLeave(void*, wl_keyboard*, std::uint32_t, wl_surface*) {}
  static void Key(void* data, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t state);
  static void Modifiers(void*, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t,
                        std::uint32_t) {}
  static void RepeatInfo(void*, wl_keyboard*, std::int32_t, std::int32_t) {}

  static void PointerEnter(void* data, wl_pointer* pointer, std::uint32_t serial, wl_surface*, wl_fixed_t x,
                           wl_fixed_t y);
  static void PointerLeave(void* data, wl_pointer*, std::uint32_t, wl_surface*);
  static void PointerMotion(void* data, wl_pointer*, std::uint32_t, wl_fixed_t x, wl_fixed_t y);
  static void PointerButton(void* data, wl_pointer*, std::uint32_t, std::uint32_t, std::uint32_t,
                            std::uint32_t state);
  static void PointerAxis(void* data, wl_pointer*, std::uint32_t, std::uint32_t, wl_fixed_t);
  static void PointerFrame(void*, wl_pointer*) {}
  static void PointerAxisSource(void*, wl_pointer*, std::uint32_t) {}
  static void PointerAxisStop(void*, wl_pointer*, std::uint32_t, std::uint32_t) {}
  static void PointerAxisDiscrete(void* data, wl_pointer*, std::uint32_t, std::int32_t);

  SeatObject seat;
  wl_keyboard* keyboard = nullptr;
  wl_pointer* pointer = nullptr;
  InputRule rule;
  bool ended = false;
};
