// The due test uses the sign of the 32-bit difference: valid while polls come less than
// 2^31 ms (24.8 days) apart, which an idle loop polling every few milliseconds guarantees.
#include "engine/soft_timer.h"

#include "engine/tick_count.h"

namespace {

bool HasReached(std::uint32_t now, std::uint32_t due) {
  return static_cast<std::int32_t>(now - due) >= 0;
}

}  // namespace

// Due "now" rather than 0: with a wrapping comparison a due time of 0 would look like the
// future for half of the tick range, and the first poll must fire.
SoftTimer::SoftTimer(SoftTimerEvent* owner, std::int32_t interval)
    : owner(owner), interval(interval), due(TickCount()) {}

void SoftTimer::SetInterval(std::int32_t interval) {
  this->interval = interval;
  due = TickCount() + static_cast<std::uint32_t>(interval);
}

void SoftTimer::Poll() {
  const std::uint32_t now = TickCount();
  if (!HasReached(now, due)) return;
  Fire();
  due = now + static_cast<std::uint32_t>(interval);
}

void SoftTimer::Fire() {
  if (owner) owner->OnSoftTimer();
}

std::int32_t SoftTimer::MillisecondsToDue() const {
  const std::int32_t left = static_cast<std::int32_t>(due - TickCount());
  return left > 0 ? left : 0;
}
