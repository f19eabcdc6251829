// Ticks are compared by the sign of their 32-bit difference, as the step pacer compares them, so
// the rhythm holds across the wrap of the tick count.
#include "engine/present_pacer.h"

#include <algorithm>

namespace {

constexpr std::int32_t kMsPerSecond = 1000;

}  // namespace

std::int32_t PresentsPerSecond(const PresentLimits& limits) {
  std::int32_t rate = limits.refreshHz > 1 ? limits.refreshHz : kDefaultRefreshHz;
  if (limits.preview || limits.savingBattery) rate = std::min(rate, kFrugalPresentsPerSecond);
  return rate;
}

PresentPacer::PresentPacer(std::int32_t presentsPerSecond) { SetRate(presentsPerSecond); }

void PresentPacer::SetRate(std::int32_t presentsPerSecond) {
  rate_ = std::max<std::int32_t>(1, presentsPerSecond);
  interval_ = (kMsPerSecond + rate_ - 1) / rate_;
}

bool PresentPacer::Poll(std::uint32_t now, bool changed) {
  if (!changed || MillisecondsToDue(now) > 0) return false;
  last_ = now;
  presentedYet_ = true;
  return true;
}

std::int32_t PresentPacer::MillisecondsToDue(std::uint32_t now) const {
  if (!presentedYet_) return 0;
  const std::int32_t since = static_cast<std::int32_t>(now - last_);
  return since >= interval_ || since < 0 ? 0 : interval_ - since;
}

std::int32_t MillisecondsToNextWork(std::int32_t toStep, std::int32_t toPresent, bool waitingToShow) {
  return waitingToShow ? std::min(toStep, toPresent) : toStep;
}
