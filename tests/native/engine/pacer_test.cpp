// The pacer: when a poll fires, how often, and that the rhythm survives the wrap of the
// 32-bit tick count.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "engine/soft_timer.h"
#include "fake_clock.h"

namespace {

class CountingOwner : public SoftTimerEvent {
 public:
  void OnSoftTimer() override { ++fired; }
  int fired = 0;
};

// A pacer with a counting owner, built on a clock that stands at `start`.
struct PacerRig {
  explicit PacerRig(std::uint32_t start) : clock(start), timer(&owner, 1000) {}

  // Polls at `tick` and says whether that poll fired.
  bool PollAt(std::uint32_t tick) {
    clock.Set(tick);
    const int before = owner.fired;
    timer.Poll();
    EXPECT_LE(owner.fired - before, 1) << "a single poll fired more than once";
    return owner.fired != before;
  }

  FakeClock clock;
  CountingOwner owner;
  SoftTimer timer;
};

// Starting points of the tests: ordinary ticks, ticks past 2^31 and ticks just before the wrap.
class PacerAt : public ::testing::TestWithParam<std::uint32_t> {};

INSTANTIATE_TEST_SUITE_P(Ticks, PacerAt, ::testing::Values(0u, 5000u, 0x90000000u, 0xFFFFFF80u));

struct Poll {
  std::uint32_t elapsed;  // since the start
  bool fires;
};

const struct {
  const char* name;
  std::int32_t interval;  // given to SetInterval at the start; 0: never called
  std::vector<Poll> polls;
} kSchedules[] = {
    {"first poll before SetInterval fires at once", 0, {{0, true}, {999, false}, {1000, true}}},
    {"fires once the interval has elapsed", 200,
     {{0, false}, {1, false}, {199, false}, {200, true}, {200, false}, {399, false}, {400, true}}},
    {"three intervals late fires once and reschedules from that poll", 100,
     {{350, true}, {351, false}, {449, false}, {450, true}}},
};

TEST_P(PacerAt, FiresOnSchedule) {
  const std::uint32_t start = GetParam();
  for (const auto& schedule : kSchedules) {
    SCOPED_TRACE(schedule.name);
    PacerRig rig(start);
    if (schedule.interval != 0) rig.timer.SetInterval(schedule.interval);
    for (const Poll& poll : schedule.polls) EXPECT_EQ(rig.PollAt(start + poll.elapsed), poll.fires) << poll.elapsed;
  }
}

TEST(Pacer, KeepsFiringOncePerIntervalAcrossTheWrap) {
  const std::uint32_t start = 0xFFFFFF00u;
  PacerRig rig(start);
  rig.timer.SetInterval(100);  // first firing just before the wrap, the rest after it
  std::uint32_t lastFired = 0;
  int firings = 0;
  // Poll every 5 ms for a second around the wrap.
  for (std::uint32_t step = 1; step <= 200; ++step) {
    const std::uint32_t tick = start + step * 5;
    if (rig.PollAt(tick)) {
      if (firings > 0) {
        EXPECT_EQ(tick - lastFired, 100u) << "at tick " << tick;
      }
      lastFired = tick;
      ++firings;
    }
  }
  EXPECT_EQ(firings, 10);
}

TEST(Pacer, WithoutOwnerPollsAndFiresHarmlessly) {
  FakeClock clock(1000);
  SoftTimer timer(nullptr, 50);
  timer.Poll();
  timer.Fire();
  clock.Set(1100);
  timer.Poll();
  SUCCEED();
}

}  // namespace
