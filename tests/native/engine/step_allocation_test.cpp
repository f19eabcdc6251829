// A step runs in the saver's idle loop many times a second: it must not allocate. This
// executable counts every allocation of the process, so it stays apart from the others.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "engine/memory_image.h"
#include "engine/vellix.h"
#include "glyph_fixtures.h"

namespace {
std::atomic<long> allocations{0};
}  // namespace

void* operator new(std::size_t size) {
  ++allocations;
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

}  // namespace
