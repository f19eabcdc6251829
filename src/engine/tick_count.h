// The millisecond tick count that paces the rain: unsigned 32-bit, wrapping every 2^32 ms.
// The engine never names the platform's clock; the Windows side installs GetTickCount,
// tests install a clock they drive, and everything else gets a monotonic clock.
#pragma once

#include <cstdint>

using TickSource = std::uint32_t (*)();

// The current tick count from the installed source.
std::uint32_t TickCount();

// Installs `source` (null restores the monotonic clock) and returns the one it replaces.
TickSource SetTickSource(TickSource source);

// The default source: milliseconds of the host's monotonic clock, truncated to 32 bits.
std::uint32_t MonotonicTickCount();
