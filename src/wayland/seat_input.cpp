// Keys already held when the overlay gets the keyboard come in the enter event's key list, not
// as presses, so they end nothing, and neither do releases.
#include "wayland/seat_input.h"

#include <unistd.h>

SeatInput::SeatInput(wl_display* display, wl_seat* seat) : display(display), seat(seat) {
  static const wl_seat_listener listener = {&SeatInput::Capabilities, &SeatInput::Name};
  wl_seat_add_listener(seat, &listener, this);
}

SeatInput::~SeatInput() {
  leaveCheck.reset();
  if (keyboard) ReleaseKeyboard();
  if (pointer) ReleasePointer();
}

void SeatInput::Capabilities(void* data, wl_seat* seat, std::uint32_t capabilities) {
  auto* self = static_cast<SeatInput*>(data);
  const bool hasKeyboard = capabilities & WL_SEAT_CAPABILITY_KEYBOARD;
  const bool hasPointer = capabilities & WL_SEAT_CAPABILITY_POINTER;
  if (hasKeyboard && !self->keyboard) {
    self->keyboard = wl_seat_get_keyboard(seat);
    static const wl_keyboard_listener listener = {&SeatInput::Keymap, &SeatInput::KeyboardEnter,
                                                  &SeatInput::KeyboardLeave, &SeatInput::Key,
                                                  &SeatInput::Modifiers, &SeatInput::RepeatInfo};
    wl_keyboard_add_listener(self->keyboard, &listener, self);
  } else if (!hasKeyboard && self->keyboard) {
    self->ReleaseKeyboard();
  }
  if (hasPointer && !self->pointer) {
    self->pointer = wl_seat_get_pointer(seat);
    // Bound at version 5 at most: the events of later versions never come.
    static const wl_pointer_listener listener = {&SeatInput::PointerEnter,      &SeatInput::PointerLeave,
                                                 &SeatInput::PointerMotion,     &SeatInput::PointerButton,
                                                 &SeatInput::PointerAxis,       &SeatInput::PointerFrame,
                                                 &SeatInput::PointerAxisSource, &SeatInput::PointerAxisStop,
                                                 &SeatInput::PointerAxisDiscrete, nullptr};
    wl_pointer_add_listener(self->pointer, &listener, self);
  } else if (!hasPointer && self->pointer) {
    self->ReleasePointer();
  }
}

void SeatInput::ReleaseKeyboard() {
  // The seat lost its keyboard device: no other window took the keys.
  leaveCheck.reset();
  hasKeyboard = false;
  if (wl_keyboard_get_version(keyboard) >= WL_KEYBOARD_RELEASE_SINCE_VERSION)
    wl_keyboard_release(keyboard);
  else
    wl_keyboard_destroy(keyboard);
  keyboard = nullptr;
}

void SeatInput::ReleasePointer() {
  if (wl_pointer_get_version(pointer) >= WL_POINTER_RELEASE_SINCE_VERSION)
    wl_pointer_release(pointer);
  else
    wl_pointer_destroy(pointer);
  pointer = nullptr;
  rule.PointerLeft();
}

void SeatInput::Keymap(void*, wl_keyboard*, std::uint32_t, std::int32_t fd, std::uint32_t) { close(fd); }

void SeatInput::KeyboardEnter(void* data, wl_keyboard*, std::uint32_t, wl_surface*, wl_array*) {
  auto* self = static_cast<SeatInput*>(data);
  self->hadKeyboard = true;
  self->hasKeyboard = true;
}

void SeatInput::KeyboardLeave(void* data, wl_keyboard*, std::uint32_t, wl_surface*) {
  auto* self = static_cast<SeatInput*>(data);
  self->hasKeyboard = false;
  if (!self->hadKeyboard || self->leaveCheck) return;
  static const wl_callback_listener listener = {&SeatInput::LeaveSettled};
  self->leaveCheck.reset(wl_display_sync(self->display));
  wl_callback_add_listener(self->leaveCheck.get(), &listener, self);
}

void SeatInput::LeaveSettled(void* data, wl_callback*, std::uint32_t) {
  auto* self = static_cast<SeatInput*>(data);
  self->leaveCheck.reset();
  if (!self->hasKeyboard) self->ended = true;
}

void SeatInput::Key(void* data, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t state) {
  if (state == WL_KEYBOARD_KEY_STATE_PRESSED) static_cast<SeatInput*>(data)->ended = true;
}

void SeatInput::PointerEnter(void* data, wl_pointer* pointer, std::uint32_t serial, wl_surface*, wl_fixed_t x,
                             wl_fixed_t y) {
  wl_pointer_set_cursor(pointer, serial, nullptr, 0, 0);  // no cursor over the rain
  static_cast<SeatInput*>(data)->rule.PointerEntered(wl_fixed_to_double(x), wl_fixed_to_double(y));
}

void SeatInput::PointerLeave(void* data, wl_pointer*, std::uint32_t, wl_surface*) {
  static_cast<SeatInput*>(data)->rule.PointerLeft();
}

void SeatInput::PointerMotion(void* data, wl_pointer*, std::uint32_t, wl_fixed_t x, wl_fixed_t y) {
  auto* self = static_cast<SeatInput*>(data);
  if (self->rule.PointerMoved(wl_fixed_to_double(x), wl_fixed_to_double(y))) self->ended = true;
}

void SeatInput::PointerButton(void* data, wl_pointer*, std::uint32_t, std::uint32_t, std::uint32_t,
                              std::uint32_t state) {
  if (state == WL_POINTER_BUTTON_STATE_PRESSED) static_cast<SeatInput*>(data)->ended = true;
}

void SeatInput::PointerAxis(void* data, wl_pointer*, std::uint32_t, std::uint32_t, wl_fixed_t) {
  static_cast<SeatInput*>(data)->ended = true;
}

void SeatInput::PointerAxisDiscrete(void* data, wl_pointer*, std::uint32_t, std::int32_t) {
  static_cast<SeatInput*>(data)->ended = true;
}
