// Time read from the performance counter, which advances to the microsecond on every system,
// unlike GetTickCount, which moves in steps of the system tick (15.6 ms by default) whatever
// the timer resolution: a pacer of 10 ms on GetTickCount would step only every 15.6 ms.
#pragma once

#include <cstdint>

// 100-nanosecond units since the counter started (about when the system started).
std::int64_t PreciseTime100ns();
// Milliseconds since the counter started, as an unsigned 32-bit count that wraps like GetTickCount.
std::uint32_t PreciseTickCount();
