// The polled pacer of a rain field. Nothing runs on its own: the saver window polls the
// pacer from its idle loop, and a poll at or past the due time notifies the owner once
// and schedules the next firing one interval after that poll (late periods are dropped).
#pragma once

#include <cstdint>

class SoftTimerEvent {
 public:
  // Called when the pacer fires; does nothing unless overridden.
  virtual void OnSoftTimer() {}

 protected:
  // Owners are never destroyed through this interface.
  ~SoftTimerEvent() = default;
};

class SoftTimer {
 public:
  // Until SetInterval the first poll fires at once. `owner` may be null.
  SoftTimer(SoftTimerEvent* owner, std::int32_t interval);
  SoftTimer(const SoftTimer&) = delete;
  SoftTimer& operator=(const SoftTimer&) = delete;

  // Stores the interval and restarts the countdown from now, without firing.
  void SetInterval(std::int32_t interval);
  // Fires once if the due time has come, then schedules the next firing from this poll.
  void Poll();
  // Notifies the owner, if any.
  void Fire();
  // Milliseconds from now until a poll would fire: 0 when it is due already.
  std::int32_t MillisecondsToDue() const;

 private:
  SoftTimerEvent* owner;
  std::int32_t interval;
  // Tick count at or after which the next poll fires. Compared by the sign of the
  // 32-bit difference, so the pacer keeps its rhythm across the wrap of the tick count.
  std::uint32_t due;
};
