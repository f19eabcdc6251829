// The saver's closing rule. Only presses (of any key, any mouse button, a touch or a pen) and
// activation changes close it: releases, the wheel, characters and double-clicks follow a
// press or are harmless, and a mouse that merely trembles on the desk must not end the saver.
#include "saver/input_rules.h"

#include <cstdint>
#include <cstdlib>

namespace {

// The standard Windows message numbers, spelled out so this file needs no Windows header.
constexpr std::uint32_t kActivate = 0x0006;
constexpr std::uint32_t kActivateApp = 0x001C;
constexpr std::uint32_t kNcActivate = 0x0086;
constexpr std::uint32_t kKeyDown = 0x0100;
constexpr std::uint32_t kSysKeyDown = 0x0104;
constexpr std::uint32_t kMouseMove = 0x0200;
constexpr std::uint32_t kLeftButtonDown = 0x0201;
constexpr std::uint32_t kRightButtonDown = 0x0204;
constexpr std::uint32_t kMiddleButtonDown = 0x0207;
constexpr std::uint32_t kSideButtonDown = 0x020B;  // WM_XBUTTONDOWN: either side button
constexpr std::uint32_t kPointerDown = 0x0246;     // a touch or pen contact, when not promoted to a button

bool ClosesAlways(std::uint32_t message) {
  switch (message) {
    case kActivate:
    case kActivateApp:
    case kNcActivate:
    case kKeyDown:
    case kSysKeyDown:
    case kLeftButtonDown:
    case kRightButtonDown:
    case kMiddleButtonDown:
    case kSideButtonDown:
    case kPointerDown:
      return true;
    default:
      return false;
  }
}

constexpr std::int32_t kDesignDpi = 96;
// Far beyond any monitor's: keeps the product below in range.
constexpr std::int32_t kHighestDpi = 96 * 64;

// The difference is taken in 64 bits: two far-apart 32-bit coordinates cannot overflow it.
bool MovedTooFar(CursorPoint cursor, CursorPoint cursorStart, std::int32_t tolerance) {
  const std::int64_t dx = static_cast<std::int64_t>(cursor.x) - cursorStart.x;
  const std::int64_t dy = static_cast<std::int64_t>(cursor.y) - cursorStart.y;
  return std::llabs(dx) > tolerance || std::llabs(dy) > tolerance;
}

}  // namespace

std::int32_t MouseMoveToleranceAt(std::int32_t dpi) {
  if (dpi <= 0) dpi = kDesignDpi;
  if (dpi > kHighestDpi) dpi = kHighestDpi;
  return (kMouseMoveTolerance * dpi + kDesignDpi / 2) / kDesignDpi;
}

InputResponse RespondToInput(std::uint32_t message, std::uint32_t initMessage, CursorPoint cursor,
                             CursorPoint cursorStart, std::int32_t startDpi) {
  InputResponse response;
  // 0 is what a failed registration leaves; it must not turn every WM_NULL into a reload.
  if (initMessage != 0 && message == initMessage) response.reloadSettings = true;
  if (message == kMouseMove) {
    response.close = MovedTooFar(cursor, cursorStart, MouseMoveToleranceAt(startDpi));
  } else {
    response.close = ClosesAlways(message);
  }
  return response;
}
