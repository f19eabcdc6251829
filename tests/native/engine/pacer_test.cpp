// The pacer: when a poll fires, how often, and that the rhythm survives the wrap of the
// 32-bit tick count, on its own and driving a rain field.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "engine/memory_image.h"
#include "engine/random.h"
#include "engine/soft_timer.h"
#include "engine/vellix.h"
#include "fake_clock.h"
#include "glyph_fixtures.h"

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
  std::int32_t toDue;  // what the pacer says is left until it fires, after this poll
};

const struct {
  const char* name;
  std::int32_t interval;  // given to SetInterval at the start; 0: never called
  std::vector<Poll> polls;
} kSchedules[] = {
    {"first poll before SetInterval fires at once", 0, {{0, true, 1000}, {999, false, 1}, {1000, true, 1000}}},
    {"fires once the interval has elapsed", 200,
     {{0, false, 200},
      {1, false, 199},
      {199, false, 1},
      {200, true, 200},
      {200, false, 200},
      {399, false, 1},
      {400, true, 200}}},
    {"three intervals late fires once and reschedules from that poll", 100,
     {{350, true, 100}, {351, false, 99}, {449, false, 1}, {450, true, 100}}},
};

TEST_P(PacerAt, FiresOnSchedule) {
  const std::uint32_t start = GetParam();
  for (const auto& schedule : kSchedules) {
    SCOPED_TRACE(schedule.name);
    PacerRig rig(start);
    if (schedule.interval != 0) rig.timer.SetInterval(schedule.interval);
    for (const Poll& poll : schedule.polls) {
      EXPECT_EQ(rig.PollAt(start + poll.elapsed), poll.fires) << poll.elapsed;
      EXPECT_EQ(rig.timer.MillisecondsToDue(), poll.toDue) << poll.elapsed;
    }
  }
}

// The idle loop sleeps for what is left: never a negative time once the pacer is due or late.
TEST_P(PacerAt, NothingIsLeftOnceDue) {
  const std::uint32_t start = GetParam();
  PacerRig rig(start);
  EXPECT_EQ(rig.timer.MillisecondsToDue(), 0) << "before SetInterval the pacer is due at once";
  rig.timer.SetInterval(100);
  for (const std::uint32_t elapsed : {100u, 101u, 350u, 0x7FFFFFF0u}) {
    rig.clock.Set(start + elapsed);
    EXPECT_EQ(rig.timer.MillisecondsToDue(), 0) << elapsed;
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

// A pacer may have no owner: polling and firing it must not reach for one. Run in a child
// process, so that a crash shows as this test's failure rather than ending the whole run.
TEST(PacerDeathTest, WithoutOwnerPollsAndFiresHarmlessly) {
  EXPECT_EXIT(
      {
        FakeClock clock(1000);
        SoftTimer timer(nullptr, 50);
        timer.Poll();  // fires at once
        timer.Fire();
        clock.Set(1100);
        timer.Poll();  // fires again
        std::exit(0);
      },
      ::testing::ExitedWithCode(0), "");
}

// A saver runs for days: the tick count wraps every 49.7 days, and the rain polled from the
// idle loop must step every 60 ms straight through the wrap. A field with one noise run and
// nothing lit draws exactly three values per step, which tells when each step ran.
TEST(Pacer, RainKeepsItsPaceAcrossTheWrap) {
  MemoryImageFactory images;
  images.AddResource("INDEX", MakeFixtureSheet(10, 15));
  MemoryImage canvas(400, 300);
  FakeClock clock(0xFFFFFF00u);
  std::vector<std::uint32_t> stepTicks;
  int draws = 0;
  ScopedRandomSource random([&]() -> std::uint32_t {
    if (draws++ % 3 == 0) stepTicks.push_back(clock.Get());
    return 0;
  });
  Vellix field(canvas, images, 400, 300);
  field.Configure(60, 0, 0, 0, 1, 0x00009000, 0x0088FF88, 0x00006000);

  for (std::uint32_t elapsed = 5; elapsed <= 1200; elapsed += 5) {  // the idle loop's pace
    clock.Set(0xFFFFFF00u + elapsed);
    field.timer.Poll();
  }
  ASSERT_EQ(stepTicks.size(), 20u);
  for (std::size_t i = 1; i < stepTicks.size(); ++i) EXPECT_EQ(stepTicks[i] - stepTicks[i - 1], 60u) << i;
  EXPECT_LT(stepTicks.back(), 0x1000u) << "the steps did not go on past the wrap";
}

}  // namespace
