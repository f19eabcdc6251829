// When input ends the overlay, as the Windows saver's rule has it: any key press, pointer
// button or scroll ends it, and so does a pointer move of more than 5 pixels on either axis
// from where the pointer entered the overlay; a pointer that merely trembles does not. Keys
// already held when the overlay gets the keyboard are not presses. The 5 pixels are the user's at
// every scale: a surface's coordinates are in the output's logical pixels, not its buffer's. No
// Wayland header: tested natively.
#pragma once

#include <optional>

class InputRule {
 public:
  static constexpr double kMoveTolerance = 5;

  // The pointer entered one of the overlay's surfaces at (x, y), in that surface's coordinates.
  void PointerEntered(double x, double y) { entered = Point{x, y}; }
  // The pointer left the surface it entered; moves are measured again from the next entry.
  void PointerLeft() { entered.reset(); }
  // The pointer is now at (x, y); true when that ends the overlay.
  bool PointerMoved(double x, double y) const;

 private:
  struct Point {
    double x;
    double y;
  };
  std::optional<Point> entered;
};
