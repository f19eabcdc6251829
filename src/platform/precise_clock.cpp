#include "platform/precise_clock.h"

#include <windows.h>

namespace {

std::int64_t CounterFrequency() {
  LARGE_INTEGER frequency{};
  ::QueryPerformanceFrequency(&frequency);  // fixed at boot; never fails from Windows XP on
  return frequency.QuadPart;
}

// Counter ticks scaled to `unitsPerSecond` without overflowing 64 bits for centuries.
std::int64_t CounterIn(std::int64_t unitsPerSecond) {
  static const std::int64_t frequency = CounterFrequency();
  LARGE_INTEGER counter{};
  ::QueryPerformanceCounter(&counter);
  const std::int64_t seconds = counter.QuadPart / frequency;
  const std::int64_t rest = counter.QuadPart % frequency;
  return seconds * unitsPerSecond + rest * unitsPerSecond / frequency;
}

}  // namespace

std::int64_t PreciseTime100ns() { return CounterIn(10'000'000); }

std::uint32_t PreciseTickCount() { return static_cast<std::uint32_t>(CounterIn(1000)); }
