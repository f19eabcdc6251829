// The seat's keyboard and pointer, listened to only for what ends the overlay (InputRule): a
// key press, a button, a scroll, or a pointer move of more than 5 pixels from its entry. The
// pointer is hidden over the overlay. A seat can gain and lose its devices at any time (a
// virtual keyboard comes and goes); a locker's nested compositor may offer no seat at all.
// Once the keyboard has been on one of the overlay's surfaces, losing it to a surface that is
// not ours ends the overlay too, as another program taking the foreground ends the saver on
// Windows: a window that opened over the rain would get what the user types. Focus moving
// between our own surfaces comes as a leave and then an enter, so a leave is judged only after
// a round trip, when an enter that goes with it has come.
#pragma once

#include <wayland-client.h>

#include <cstdint>

#include "wayland/input_rule.h"
#include "wayland/wayland_objects.h"

class SeatInput {
 public:
  // Takes over `seat`, a wl_seat bound at version 5 or lower, of `display`.
  SeatInput(wl_display* display, wl_seat* seat);
  ~SeatInput();
  SeatInput(const SeatInput&) = delete;
  SeatInput& operator=(const SeatInput&) = delete;

  // Input has asked to end the overlay.
  bool Ended() const { return ended; }
  // The overlay was hidden instead of ended (-idle): the next showing starts afresh, and the
  // keyboard leaving the surfaces just destroyed ends nothing.
  void Rearm() {
    ended = false;
    hadKeyboard = false;
    hasKeyboard = false;
    leaveCheck.reset();
    rule.PointerLeft();
  }

 private:
  static void Capabilities(void* data, wl_seat* seat, std::uint32_t capabilities);
  static void Name(void*, wl_seat*, const char*) {}
  void ReleaseKeyboard();
  void ReleasePointer();

  static void Keymap(void*, wl_keyboard*, std::uint32_t format, std::int32_t fd, std::uint32_t size);
  static void KeyboardEnter(void* data, wl_keyboard*, std::uint32_t, wl_surface*, wl_array*);
  static void KeyboardLeave(void* data, wl_keyboard*, std::uint32_t, wl_surface*);
  static void LeaveSettled(void* data, wl_callback*, std::uint32_t);
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

  wl_display* display;
  SeatObject seat;
  wl_keyboard* keyboard = nullptr;
  bool hadKeyboard = false;   // the keyboard has been on one of our surfaces
  bool hasKeyboard = false;   // and is on one now
  CallbackObject leaveCheck;  // the round trip after a leave
  wl_pointer* pointer = nullptr;
  InputRule rule;
  bool ended = false;
};
