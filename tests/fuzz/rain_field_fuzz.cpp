// Fuzz target: a rain field of any size (0 x 0, 1 x 1, very wide, very tall, negative) with any
// counts, intervals and colours within their types, configured, stepped, polled through its
// pacer on a clock that may wrap, and configured again. Every step must stay inside the grid
// and the actor arrays; afterwards every actor's column lies in the grid and every cell holds
// one of the four stored states.
//
// Three limits keep each run within memory and time, not the rules: a grid that would need
// more than kMostBytes is scaled down (an allocation that fails is a test of its own, not a
// fuzzing find), actor and noise counts above kMostActors are reduced with their sign kept
// (five times the most the settings give; two billion of them a step only take minutes),
// and the number of steps shrinks as a step's work grows.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "common/sheet_files.h"
#include "engine/bmp_file.h"
#include "engine/memory_image.h"
#include "engine/tick_count.h"
#include "engine/vellix.h"
#include "fuzz_check.h"

namespace {

constexpr std::int64_t kMostBytes = std::int64_t(1) << 22;
constexpr std::int64_t kMostWorkPerRun = 1 << 14;  // cell draws over all steps of one run
constexpr std::int32_t kMostActors = 1 << 11;
constexpr std::int32_t kMostCanvasSide = 512;       // what is drawn outside it is clipped

std::uint32_t fakeNow = 0;
std::uint32_t FakeTicks() { return fakeNow; }

MemoryImageFactory& Sheets() {
  static MemoryImageFactory* images = [] {
    auto* factory = new MemoryImageFactory;
    AddSheetFiles(*factory, LUMIVEX_RES_DIR);
    return factory;
  }();
  return *images;
}

// Mostly the sizes that matter, now and then any value of the type.
std::int32_t Dimension(FuzzedDataProvider& input) {
  switch (input.ConsumeIntegralInRange<int>(0, 4)) {
    case 0: return input.ConsumeIntegralInRange<std::int32_t>(0, 8);
    case 1: return input.ConsumeIntegralInRange<std::int32_t>(300, 340);
    case 2: return input.ConsumeIntegralInRange<std::int32_t>(0, 5000);
    default: return input.ConsumeIntegral<std::int32_t>();
  }
}

std::int32_t Count(FuzzedDataProvider& input) {
  switch (input.ConsumeIntegralInRange<int>(0, 3)) {
    case 0: return input.ConsumeIntegralInRange<std::int32_t>(0, 10);
    case 1: return input.ConsumeIntegralInRange<std::int32_t>(0, 600);
    default: return input.ConsumeIntegral<std::int32_t>();
  }
}

std::int64_t GridBytes(std::int32_t width, std::int32_t height, std::int32_t cellWidth, std::int32_t cellHeight) {
  return (std::int64_t(std::max(0, width)) / cellWidth + 1) * (std::int64_t(std::max(0, height)) / cellHeight + 1);
}

struct Settings {
  std::int32_t interval, fallers, erasers, risers, noise, normal, light, dark;
};

Settings MakeSettings(FuzzedDataProvider& input) {
  Settings s{};
  s.interval = input.ConsumeBool() ? input.ConsumeIntegralInRange<std::int32_t>(0, 200)
                                   : input.ConsumeIntegral<std::int32_t>();
  s.fallers = Count(input);
  s.erasers = Count(input);
  s.risers = Count(input);
  s.noise = Count(input);
  s.normal = input.ConsumeIntegral<std::int32_t>();
  s.light = input.ConsumeIntegral<std::int32_t>();
  s.dark = input.ConsumeIntegral<std::int32_t>();
  for (std::int32_t* count : {&s.fallers, &s.erasers, &s.risers, &s.noise}) {
    if (*count > kMostActors) *count %= kMostActors;
  }
  return s;
}

void Apply(Vellix& field, const Settings& s) {
  field.Configure(s.interval, s.fallers, s.erasers, s.risers, s.noise, s.normal, s.light, s.dark);
}

std::int64_t WorkPerStep(const Settings& s) {
  return 4 * std::int64_t(std::max(0, s.noise)) + 2 * std::int64_t(std::max(0, s.fallers)) +
         std::max(0, s.erasers) + std::max(0, s.risers) + 1;
}

void CheckInvariants(const Vellix& field) {
  const std::int32_t columns = field.GridColumns();
  const std::int32_t rows = field.GridRows();
  FUZZ_CHECK(columns >= 1 && rows >= 1, "a configured grid without cells");
  for (const auto* drops : {&field.Fallers(), &field.Erasers(), &field.Risers()}) {
    for (const Drop& drop : *drops) FUZZ_CHECK(drop.column >= 0 && drop.column < columns, "an actor off the grid");
  }
  if (std::int64_t(columns) * rows <= (1 << 16)) {
    for (std::int32_t row = 0; row < rows; ++row) {
      for (std::int32_t column = 0; column < columns; ++column) {
        FUZZ_CHECK(field.Cell(column, row) <= CellLight, "a cell state that is never stored");
      }
    }
  }
}

void Run(Vellix& field, const Settings& s, FuzzedDataProvider& input) {
  Apply(field, s);
  CheckInvariants(field);
  const std::int64_t budget = std::max<std::int64_t>(1, kMostWorkPerRun / 2 / WorkPerStep(s));
  const std::int64_t steps = std::min<std::int64_t>(input.ConsumeIntegralInRange<int>(0, 64), budget);
  for (std::int64_t i = 0; i < steps; ++i) {
    // Half the steps come through the pacer on a clock that moves by any amount (and wraps).
    if (input.ConsumeBool()) {
      fakeNow += input.ConsumeIntegral<std::uint32_t>();
      field.timer.Poll();
    } else {
      field.OnSoftTimer();
    }
  }
  CheckInvariants(field);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  SetTickSource(&FakeTicks);
  fakeNow = input.ConsumeIntegral<std::uint32_t>();

  std::int32_t width = Dimension(input);
  std::int32_t height = Dimension(input);
  const bool large = width > 320;
  const std::int32_t cellWidth = large ? 10 : 4;
  const std::int32_t cellHeight = large ? 15 : 6;
  // A grid beyond the memory budget is halved (keeping the sheet) until it fits.
  while (GridBytes(width, height, cellWidth, cellHeight) > kMostBytes) {
    if (width / cellWidth > height / cellHeight) width = std::max(width / 2, 321);
    else height /= 2;
  }

  MemoryImage canvas(std::min(std::max(0, width), kMostCanvasSide), std::min(std::max(0, height), kMostCanvasSide));
  Vellix field(canvas, Sheets(), width, height);
  FUZZ_CHECK(!field.IsConfigured(), "a field configured by its construction");
  field.OnSoftTimer();  // a step before any Configure does nothing
  const Settings first = MakeSettings(input);
  Run(field, first, input);
  const Settings second = MakeSettings(input);
  Run(field, second, input);
  SetTickSource(nullptr);
  return 0;
}
