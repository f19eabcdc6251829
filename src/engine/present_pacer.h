// When a window shows what the rain drew. The rain steps at its own pace and every step draws
// into a picture the window keeps; showing that picture (a present) costs more than drawing
// it, and a display shows no more pictures than it refreshes. So a window presents what
// changed at most once per refresh interval of its display, and at most 30 times a second
// where a small picture or a saving battery does not need more. A step that comes between two
// presents waits in the picture and goes with the next one. Times are tick counts (tick_count.h),
// handed in, so the decisions can be replayed against any clock.
#pragma once

#include <cstdint>

// A display that reports no rate (0, or 1 for "the hardware's default") is taken to refresh
// this often.
constexpr std::int32_t kDefaultRefreshHz = 60;
// The most presents a second of a preview, or of any window while the battery is being saved.
constexpr std::int32_t kFrugalPresentsPerSecond = 30;

// What bounds how often one window presents.
struct PresentLimits {
  std::int32_t refreshHz = 0;  // the display's refresh rate; 0 or 1: not known
  bool preview = false;        // a small picture in a dialog or the system's preview pane
  bool savingBattery = false;  // the system asks programs to save energy
};

// The presents a second allowed under `limits`.
std::int32_t PresentsPerSecond(const PresentLimits& limits);

class PresentPacer {
 public:
  explicit PresentPacer(std::int32_t presentsPerSecond = kDefaultRefreshHz);

  // A new rate; the last present still counts, so the change presents no sooner.
  void SetRate(std::int32_t presentsPerSecond);
  // Shortest time between two presents: a whole number of milliseconds, rounded up so that no
  // second holds more presents than the rate.
  std::int32_t IntervalMs() const { return interval_; }
  std::int32_t Rate() const { return rate_; }

  // Whether to present at `now` what has changed: true when something has and the last present
  // is at least one interval back; the present is then counted as made at `now`.
  bool Poll(std::uint32_t now, bool changed);
  // Milliseconds from `now` until a present may be made: 0 when one may be made now.
  std::int32_t MillisecondsToDue(std::uint32_t now) const;

 private:
  std::int32_t rate_ = 0;
  std::int32_t interval_ = 0;
  std::uint32_t last_ = 0;
  bool presentedYet_ = false;
};

// How long a loop that steps and presents may sleep: until the next step is due, or the next
// present when there is something waiting to be shown, whichever comes first.
std::int32_t MillisecondsToNextWork(std::int32_t toStep, std::int32_t toPresent, bool waitingToShow);
