#include "support/cursor_moves.h"

#include <algorithm>

#include "forms/application.h"
#include "support/pump.h"

CursorMoves::CursorMoves(TApplication& application) : application_(application) {
  application.OnMessage = [this, filter = application.OnMessage](MSG& message, bool& handled) {
    if (message.message == WM_MOUSEMOVE) {
      POINT at{};
      ::GetCursorPos(&at);
      seen_.push_back(at);
    }
    if (filter) filter(message, handled);
  };
}

bool CursorMoves::Seen(POINT point) const {
  return std::any_of(seen_.begin(), seen_.end(), [point](POINT p) { return p.x == point.x && p.y == point.y; });
}

bool CursorMoves::MoveTo(POINT point) {
  ::SetCursorPos(point.x, point.y);
  return PumpUntil(application_, [&] { return Seen(point) || application_.Terminated(); });
}
