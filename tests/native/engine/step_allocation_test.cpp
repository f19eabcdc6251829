// Allocation seams of the rain. A step runs in the saver's idle loop many times a second: it
// must not allocate. Settings applied to a running field may meet an allocation that fails:
// the field must keep running with its old settings. This executable counts (and can refuse)
// every allocation of the process, so it stays apart from the others.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "engine/memory_image.h"
#include "engine/tick_count.h"
#include "engine/vellix.h"
#include "fake_clock.h"
#include "glyph_fixtures.h"

namespace {
std::atomic<long> allocations{0};
// The allocation with this number (counted from 1) fails; 0 lets every one through.
std::atomic<long> failingAllocation{0};
}  // namespace

void* operator new(std::size_t size) {
  if (++allocations == failingAllocation) throw std::bad_alloc();
  if (void* memory = std::malloc(size ? size : 1)) return memory;
  throw std::bad_alloc();
}
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }

namespace {

TEST(RainStepAllocation, StepsAllocateNothing) {
  MemoryImageFactory images;
  images.AddResource("INDEX", MakeFixtureSheet(10, 15));
  MemoryImage canvas(1920, 1080);
  Vellix field(canvas, images, 1920, 1080);
  // Every kind of actor and noise, so every pass and both drawing operations run.
  field.Configure(10, 410, 60, 200, 500, 0x00009000, 0x0088FF88, 0x00006000);
  field.OnSoftTimer();

  const long before = allocations;
  for (int i = 0; i < 200; ++i) field.OnSoftTimer();
  EXPECT_EQ(allocations - before, 0);
}

// What a field shows of its settings: grid, actor counts, noise, and the tint of each sheet.
struct FieldFacts {
  std::int32_t columns, rows;
  std::size_t fallers, erasers, risers;
  std::int32_t noise;
  bool operator==(const FieldFacts& other) const {
    return columns == other.columns && rows == other.rows && fallers == other.fallers &&
           erasers == other.erasers && risers == other.risers && noise == other.noise;
  }
};

FieldFacts FactsOf(const Vellix& field) {
  return {field.GridColumns(), field.GridRows(), field.Fallers().size(), field.Erasers().size(),
          field.Risers().size(), field.NoiseCount()};
}

std::vector<std::int32_t> FallerRows(const Vellix& field) {
  std::vector<std::int32_t> rows;
  for (const Drop& drop : field.Fallers()) rows.push_back(drop.row);
  return rows;
}

// The settings dialog applies new values to a running preview, and "LumivexInit" to a running
// saver: whichever allocation of Configure fails, the field keeps its grid, actors and pace.
TEST(RainConfigureAllocation, AFailedConfigureLeavesTheFieldRunningWithItsOldSettings) {
  MemoryImageFactory images;
  images.AddResource("INDEX", MakeFixtureSheet(10, 15));
  MemoryImage canvas(400, 300);

  // How many allocations the second Configure makes, so that each one is made to fail once.
  long configureAllocations = 0;
  {
    FakeClock clock(1000);
    Vellix field(canvas, images, 400, 300);
    field.Configure(60, 7, 3, 2, 10, 0x00009000, 0x0088FF88, 0x00006000);
    const long before = allocations;
    field.Configure(10, 40, 0, 9, 500, 0x000000FF, 0x00FF0000, 0x0000FF00);
    configureAllocations = allocations - before;
  }
  ASSERT_GT(configureAllocations, 0);

  for (long failing = 1; failing <= configureAllocations; ++failing) {
    SCOPED_TRACE("allocation " + std::to_string(failing) + " of Configure fails");
    FakeClock clock(1000);
    Vellix field(canvas, images, 400, 300);
    field.Configure(60, 7, 3, 2, 10, 0x00009000, 0x0088FF88, 0x00006000);
    clock.Set(1060);
    field.timer.Poll();  // one step at the old pace
    const FieldFacts old = FactsOf(field);

    failingAllocation = allocations + failing;
    EXPECT_THROW(field.Configure(10, 40, 0, 9, 500, 0x000000FF, 0x00FF0000, 0x0000FF00), std::bad_alloc);
    failingAllocation = 0;

    EXPECT_TRUE(FactsOf(field) == old);
    // Still stepping, at the old 60 ms pace counted from its last step (not at 10 ms).
    const std::vector<std::int32_t> rows = FallerRows(field);
    clock.Set(1110);
    field.timer.Poll();
    EXPECT_EQ(FallerRows(field), rows) << "stepped at the new interval";
    clock.Set(1120);
    field.timer.Poll();
    EXPECT_NE(FallerRows(field), rows) << "no step at the old interval";
    EXPECT_TRUE(FactsOf(field) == old);
  }
}

}  // namespace
