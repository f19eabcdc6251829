// When user input ends the full-screen saver: the message filter's decision as a pure
// function of the message number and the cursor, so the rule is tested without windows.
// The Windows layer reads the cursor and carries out what this returns.
#pragma once

#include <cstdint>

// Screen pixels, signed: monitors left of or above the primary one have negative coordinates.
struct CursorPoint {
  std::int32_t x;
  std::int32_t y;
};

// Both can be asked by one message: the reload is decided first, then the number is still
// checked against the closing messages.
struct InputResponse {
  bool reloadSettings = false;
  bool close = false;
};

// How far the cursor may wander from where it stood, on either axis, before the saver closes, on
// a monitor of 96 DPI. The cursor is read in the monitor's own pixels, so on a monitor of more
// DPI the same tremble of the hand covers more of them.
constexpr std::int32_t kMouseMoveTolerance = 5;

// The tolerance on a monitor of `dpi` (96 when not known), rounded to the nearest pixel.
std::int32_t MouseMoveToleranceAt(std::int32_t dpi);

// `message`: the number taken from the queue; `initMessage`: the id registered for
// "LumivexInit" (0 when registration failed: then no message counts as it); `cursor`: the
// position read now, not the one in the message; `cursorStart`: where the cursor stood
// when the saver started or when a close was last refused; `startDpi`: the DPI of the monitor
// it stood on then.
InputResponse RespondToInput(std::uint32_t message, std::uint32_t initMessage, CursorPoint cursor,
                             CursorPoint cursorStart, std::int32_t startDpi);
