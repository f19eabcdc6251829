// A surface that holds the rain's cells until a present must leave its target showing, after
// every present, exactly what drawing every call straight onto a picture shows. Two rain fields
// run from one recorded random stream with the real glyph sheets: one draws onto a memory
// picture directly, the other through a DeferredSurface onto another, presented every 1, 2 or 3
// steps; the pictures are compared after each present.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "common/counting_surface.h"
#include "common/sheet_files.h"
#include "engine/deferred_surface.h"
#include "engine/memory_image.h"
#include "engine/random.h"
#include "engine/vellix.h"

namespace {

// A memory picture, and the cell drawings made on it.
struct CountedPicture {
  CountedPicture(std::int32_t width, std::int32_t height) : picture(width, height), counter(picture) {}
  long Draws() const { return counter.copies + counter.fills; }
  MemoryImage picture;
  CountingSurface counter;
};

// The process stream, drawn while the direct field works and replayed to the other.
class RecordedStream {
 public:
  void Both(const std::function<void()>& first, const std::function<void()>& second) {
    std::vector<std::uint32_t> drawn;
    {
      ScopedRandomSource source([&] {
        drawn.push_back(static_cast<std::uint32_t>(generator_() & 0x7FFFFFFF));
        return drawn.back();
      });
      first();
    }
    std::size_t next = 0;
    ScopedRandomSource source([&]() -> std::uint32_t { return next < drawn.size() ? drawn[next++] : 0; });
    second();
    EXPECT_EQ(next, drawn.size()) << "the two fields drew different numbers of values";
  }

 private:
  std::mt19937 generator_{20261211};
};

std::string FirstDifference(const MemoryImage& expected, const MemoryImage& actual) {
  for (std::int32_t y = 0; y < expected.Height(); ++y)
    for (std::int32_t x = 0; x < expected.Width(); ++x)
      if (expected.GetPixel(x, y) != actual.GetPixel(x, y))
        return "at " + std::to_string(x) + "," + std::to_string(y);
  return "";
}

bool Same(const MemoryImage& a, const MemoryImage& b) {
  for (std::int32_t y = 0; y < a.Height(); ++y)
    for (std::int32_t x = 0; x < a.Width(); ++x)
      if (a.GetPixel(x, y) != b.GetPixel(x, y)) return false;
  return true;
}

void Configure(Vellix& field, std::int32_t fallers, std::int32_t erasers, std::int32_t risers, std::int32_t noise) {
  field.Configure(10, fallers, erasers, risers, noise, 0x00009000, 0x0088FF88, 0x00006000);
}

TEST(DeferredSurface, ShowsAtEveryPresentWhatDrawingEveryCallStraightAwayShows) {
  MemoryImageFactory images;
  if (!AddSheetFiles(images, LUMIVEX_RES_DIR)) GTEST_SKIP() << "glyph sheets not in " << LUMIVEX_RES_DIR;
  // Sizes that are no multiple of the cells, so the last column and row reach past the edge.
  const struct {
    const char* name;
    std::int32_t width, height, scaleStep;
  } sizes[] = {{"large glyphs", 403, 301, 100}, {"small glyphs", 221, 166, 100}, {"at 200 %", 661, 331, 200}};
  constexpr int kSteps = 240;

  for (const auto& size : sizes) {
    for (const int stepsPerPresent : {1, 2, 3}) {
      SCOPED_TRACE(testing::Message() << size.name << ", " << stepsPerPresent << " steps a present");
      CountedPicture direct(size.width, size.height), shown(size.width, size.height);
      DeferredSurface held(shown.counter);
      RecordedStream stream;
      Vellix directField(direct.counter, images, size.width, size.height, size.scaleStep);
      Vellix heldField(held, images, size.width, size.height, size.scaleStep);
      stream.Both([&] { Configure(directField, 120, 40, 60, 300); }, [&] { Configure(heldField, 120, 40, 60, 300); });

      int differentPresents = 0;
      std::string first;
      for (int step = 1; step <= kSteps; ++step) {
        stream.Both([&] { directField.OnSoftTimer(); }, [&] { heldField.OnSoftTimer(); });
        if (step == kSteps / 2) {
          // Something drawn off the grid between two presents, over cells still held.
          for (Surface* surface : {static_cast<Surface*>(&direct.counter), static_cast<Surface*>(&held)}) {
            surface->SetFillColor(0x00FFFFFF);
            surface->FillRect(7, 5, 37, 23);
            surface->SetFillColor(0);
          }
        }
        if (step % stepsPerPresent != 0) continue;
        held.Present();
        EXPECT_FALSE(held.HasChanges());
        if (!Same(direct.picture, shown.picture) && differentPresents++ == 0)
          first = "step " + std::to_string(step) + " " + FirstDifference(direct.picture, shown.picture);
      }
      EXPECT_EQ(differentPresents, 0) << first;
      // What the held cells saved: a cell drawn twice between presents is drawn once.
      if (stepsPerPresent > 1) {
        EXPECT_LT(shown.Draws(), direct.Draws() * 9 / 10);
      }
    }
  }
}

TEST(DeferredSurface, ACellDrawnBackToWhatTheTargetShowsIsNotDrawnAgain) {
  CountedPicture shown(40, 30);
  DeferredSurface held(shown.counter);
  MemoryImage sheet(20, 15);
  held.CopyFrom(sheet, 10, 0, 10, 15, 0, 0);  // adopts the 10 x 15 grid
  held.Present();
  EXPECT_EQ(shown.Draws(), 1);
  held.SetFillColor(0);
  held.FillRect(0, 0, 10, 15);
  held.CopyFrom(sheet, 10, 0, 10, 15, 0, 0);  // back to what is shown
  held.FillRect(10, 15, 10, 15);
  held.FillRect(10, 15, 10, 15);
  EXPECT_TRUE(held.HasChanges());
  held.Present();
  EXPECT_EQ(shown.Draws(), 2);  // only the filled cell
  held.Forget();              // the target was painted behind its back
  held.CopyFrom(sheet, 10, 0, 10, 15, 0, 0);
  held.Present();
  EXPECT_EQ(shown.Draws(), 3);
}

}  // namespace
