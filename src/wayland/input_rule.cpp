// A move with no entry before it (the compositor always sends one first) is measured from
// nowhere and ends nothing.
#include "wayland/input_rule.h"

#include <cmath>

bool InputRule::PointerMoved(double x, double y) const {
  if (!entered) return false;
  return std::fabs(x - entered->x) > kMoveTolerance || std::fabs(y - entered->y) > kMoveTolerance;
}
