// Keeps the installed tick source; the monotonic clock is the default so that native
// programs (tests, benchmarks) need no set-up.
#include "engine/tick_count.h"

#include <chrono>

namespace {

TickSource& InstalledSource() {
  static TickSource source = &MonotonicTickCount;
  return source;
}

}  // namespace

std::uint32_t TickCount() { return InstalledSource()(); }

TickSource SetTickSource(TickSource source) {
  const TickSource replaced = InstalledSource();
  InstalledSource() = source ? source : &MonotonicTickCount;
  return replaced;
}

std::uint32_t MonotonicTickCount() {
  const auto sinceEpoch = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<std::uint32_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(sinceEpoch).count());
}
