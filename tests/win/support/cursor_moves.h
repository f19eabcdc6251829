// The cursor moved for real, as a test moves it: Wine turns each warp of the cursor into a
// WM_MOUSEMOVE, and a test waits until the saver's message filter has taken the move to where it
// put the cursor (the filter measures with GetCursorPos, so that is where the cursor stood).
#pragma once

#include <windows.h>

#include <vector>

class TApplication;

class CursorMoves {
 public:
  // Records ahead of the application's present message filter, which still sees every message.
  explicit CursorMoves(TApplication& application);

  // Puts the cursor at `point` and runs the loop until a move there has been taken from the queue
  // or the application has ended; false when neither came within a generous time.
  bool MoveTo(POINT point);

 private:
  bool Seen(POINT point) const;

  TApplication& application_;
  std::vector<POINT> seen_;  // where the cursor was at each WM_MOUSEMOVE
};
