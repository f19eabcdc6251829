// The picture a window keeps must put on screen exactly what drawing every cell straight onto
// the window puts there. Two windows side by side run two rain fields from one recorded random
// stream: one draws each cell onto its window's DC (WindowCanvas, with sheets that are bitmaps
// compatible with the screen), the other draws into a WindowPicture and presents it once every
// one, two or three steps, as the saver does when its rain steps faster than the monitor
// refreshes; after every present the two windows' pixels must be the same.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "engine/random.h"
#include "engine/vellix.h"
#include "platform/dib_image.h"
#include "platform/gdi_surface.h"
#include "platform/window_picture.h"
#include "support/gdi_objects.h"
#include "support/picture.h"
#include "support/test_window.h"

namespace {

// The window's pixels, one row after the other.
std::vector<Color> PixelsOf(const TestWindow& window) { return ClientPicture(window.Handle()).pixels; }

std::string FirstDifference(const std::vector<Color>& expected, const std::vector<Color>& actual, int width) {
  for (std::size_t i = 0; i < expected.size(); ++i) {
    if (expected[i] != actual[i]) {
      char text[96];
      std::snprintf(text, sizeof text, "at %d,%d: %06lx drawn per cell, %06lx kept", static_cast<int>(i % width),
                    static_cast<int>(i / width), static_cast<unsigned long>(expected[i]),
                    static_cast<unsigned long>(actual[i]));
      return text;
    }
  }
  return "";
}

// The process stream, recorded while the cell-by-cell field draws and replayed to the other.
class RecordedStream {
 public:
  std::vector<std::uint32_t> Record(const std::function<void()>& run) {
    std::vector<std::uint32_t> drawn;
    ScopedRandomSource source([&] {
      drawn.push_back(static_cast<std::uint32_t>(generator_() & 0x7FFFFFFF));
      return drawn.back();
    });
    run();
    return drawn;
  }
  static void Replay(const std::vector<std::uint32_t>& values, const std::function<void()>& run) {
    std::size_t next = 0;
    ScopedRandomSource source([&]() -> std::uint32_t {
      if (next >= values.size()) {
        ADD_FAILURE() << "the kept picture's field drew more values than the other";
        return 0;
      }
      return values[next++];
    });
    run();
    EXPECT_EQ(next, values.size()) << "the kept picture's field drew fewer values than the other";
  }

 private:
  std::mt19937 generator_{20261210};
};

struct Settings {
  std::int32_t interval, fallers, erasers, risers, noise;
  Color normal = 0x00009000, light = 0x0088FF88, dark = 0x00006000;
};

void Configure(Vellix& field, const Settings& s) {
  field.Configure(s.interval, s.fallers, s.erasers, s.risers, s.noise, static_cast<std::int32_t>(s.normal),
                  static_cast<std::int32_t>(s.light), static_cast<std::int32_t>(s.dark));
}

TEST(WindowPicture, ShowsAfterEveryStepWhatDrawingEachCellOntoTheWindowShows) {
  // The sheets of the higher scale steps have cells that reach across the 64-pixel words in
  // which the changed area keeps its columns at other places than the design cells do. The
  // window that keeps its picture lies below the one drawn cell by cell.
  const struct {
    const char* name;
    int width, height, scaleStep, cellWidth, cellHeight;
  } sizes[] = {{"large glyphs", 400, 300, 100, 10, 15},
               {"small glyphs", 220, 165, 100, 4, 6},
               {"large glyphs at 125 %", 420, 300, 125, 13, 19},
               {"large glyphs at 200 %", 660, 330, 200, 20, 30}};
  // Busy steps, which the picture shows in a few large copies, then sparse ones, shown cell by
  // cell and column by column; each rebuild leaves the glyphs on screen, in their old colours
  // when the colours change, although the sheets they were drawn from are gone.
  const Settings phases[] = {{10, 120, 40, 60, 300},
                             {10, 4, 6, 2, 8, 0x00C00030, 0x00FFC0FF, 0x00400010},
                             {10, 60, 90, 30, 150}};
  constexpr int kSteps = 300;

  for (const auto& size : sizes) {
    for (const int stepsPerPresent : {1, 2, 3}) {
      SCOPED_TRACE(testing::Message() << size.name << ", " << stepsPerPresent << " steps a present");
      TestWindow direct(0, 0, size.width, size.height);
      TestWindow kept(0, 384, size.width, size.height);
      GdiImageFactory screenImages;
      DibImageFactory dibImages;
      WindowCanvas directCanvas(direct.Handle());
      WindowPicture picture(kept.Handle());
      RecordedStream stream;
      std::unique_ptr<Vellix> directField, keptField;

      auto both = [&](const std::function<void(Vellix&)>& work) {
        const std::vector<std::uint32_t> values = stream.Record([&] { work(*directField); });
        RecordedStream::Replay(values, [&] { work(*keptField); });
      };
      directField = std::make_unique<Vellix>(directCanvas, screenImages, size.width, size.height, size.scaleStep);
      keptField = std::make_unique<Vellix>(picture, dibImages, size.width, size.height, size.scaleStep);
      ASSERT_EQ(keptField->BaseSheet().cellWidth, size.cellWidth);
      ASSERT_EQ(directField->BaseSheet().cellHeight, size.cellHeight);

      int differentSteps = 0;
      std::string firstDifference;
      std::size_t litPixels = 0;
      for (int step = 0; step < kSteps; ++step) {
        if (step % (kSteps / 3) == 0) both([&](Vellix& field) { Configure(field, phases[step / (kSteps / 3)]); });
        both([](Vellix& field) { field.OnSoftTimer(); });
        if ((step + 1) % stepsPerPresent != 0 && step != kSteps - 1) continue;
        picture.Present();
        const std::vector<Color> expected = PixelsOf(direct);
        const std::vector<Color> actual = PixelsOf(kept);
        if (expected != actual && differentSteps++ == 0)
          firstDifference = "step " + std::to_string(step) + " " + FirstDifference(expected, actual, size.width);
        if (step == kSteps - 1)
          for (Color pixel : expected) litPixels += pixel != 0;
      }
      EXPECT_EQ(differentSteps, 0) << firstDifference;
      // A comparison of two black windows would prove nothing.
      EXPECT_GT(litPixels, static_cast<std::size_t>(size.width * size.height / 10));
    }
  }
}

TEST(WindowPicture, PaintsAnyPartAgainFromWhatItKeeps) {
  TestWindow window(0, 0, 200, 100);
  WindowPicture picture(window.Handle());
  DibImage glyph(10, 15);
  for (int y = 0; y < 15; ++y)
    for (int x = 0; x < 10; ++x) glyph.SetPixel(x, y, static_cast<Color>(0x00102030 + x + 16 * y));
  picture.CopyFrom(glyph, 0, 0, 10, 15, 95, 40);
  // Nothing reaches the window until the picture is presented or painted.
  EXPECT_EQ(PixelsOf(window)[40 * 200 + 95], 0u);

  WindowDc dc(window.Handle());
  const RECT part{90, 45, 110, 60};
  picture.Paint(dc.Get(), part);
  const std::vector<Color> pixels = PixelsOf(window);
  for (int y = 40; y < 55; ++y)
    for (int x = 95; x < 105; ++x) {
      const bool inPart = y >= part.top && x < part.right;
      EXPECT_EQ(pixels[y * 200 + x], inPart ? glyph.GetPixel(x - 95, y - 40) : 0u) << x << "," << y;
    }

  picture.Clear();
  picture.Present();
  for (Color pixel : PixelsOf(window)) ASSERT_EQ(pixel, 0u);
}

// Whatever is drawn, on the grid of cells or off it, the picture shows, paints and reads back
// what a plain bitmap that was drawn on alike holds, also after the images it was drawn from
// are gone.
TEST(WindowPicture, HoldsWhatAPlainBitmapHoldsWhateverIsDrawn) {
  constexpr int kWidth = 64, kHeight = 50;  // 6 x 4 cells of 10 x 15, the last ones cut
  TestWindow window(0, 0, kWidth, kHeight);
  WindowPicture picture(window.Handle());
  DibImage plain(kWidth, kHeight);
  auto sheet = std::make_unique<DibImage>(10, 45);
  for (int y = 0; y < 45; ++y)
    for (int x = 0; x < 10; ++x) sheet->SetPixel(x, y, static_cast<Color>(0x00204060 + 3 * x + 0x100 * y));
  GdiImageFactory screenImages;
  std::unique_ptr<Image> screenSheet = screenImages.CreateBlank(10, 15);
  screenSheet->SetFillColor(0x00336699);
  screenSheet->FillRect(0, 0, 10, 15);

  const struct {
    const char* name;
    std::function<void(Surface&)> draw;
  } steps[] = {
      {"cells of the grid", [&](Surface& s) {
         s.CopyFrom(*sheet, 0, 15, 10, 15, 10, 15);
         s.CopyFrom(*sheet, 0, 30, 10, 15, 60, 45);  // the corner cell, cut on two sides
         s.CopyFrom(*sheet, 0, 0, 10, 15, 0, 0);
       }},
      {"a black cell", [&](Surface& s) { s.SetFillColor(0); s.FillRect(10, 15, 10, 15); }},
      {"a copy across four cells", [&](Surface& s) { s.CopyFrom(*sheet, 2, 3, 8, 20, 5, 8); }},
      {"a cell over that copy", [&](Surface& s) { s.CopyFrom(*sheet, 0, 30, 10, 15, 0, 15); }},
      {"a grey fill, a pixel", [&](Surface& s) {
         s.SetFillColor(0x00808080);
         s.FillRect(30, 0, 10, 15);
         s.SetPixel(41, 16, 0x000000FF);
         s.SetFillColor(0);
       }},
      {"a cell from a screen bitmap", [&](Surface& s) { s.CopyFrom(*screenSheet, 0, 0, 10, 15, 50, 30); }},
      {"cells hanging over the edges", [&](Surface& s) {
         s.CopyFrom(*sheet, 0, 0, 10, 15, -5, 30);
         s.CopyFrom(*sheet, 0, 0, 10, 15, 40, 40);
       }},
      {"the sheet gone", nullptr},  // nothing drawn: the sheet is destroyed
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.name);
    if (step.draw) {
      step.draw(plain);
      step.draw(picture);
    } else {
      sheet.reset();
    }
    picture.Present();
    const std::vector<Color> shown = PixelsOf(window);
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x) {
        ASSERT_EQ(shown[y * kWidth + x], plain.GetPixel(x, y)) << "shown at " << x << "," << y;
        ASSERT_EQ(picture.GetPixel(x, y), plain.GetPixel(x, y)) << "read at " << x << "," << y;
      }
  }

  // A part painted again comes from what the picture keeps, the gone sheet's cells included.
  {
    WindowDc dc(window.Handle());
    ::PatBlt(dc.Get(), 0, 0, kWidth, kHeight, BLACKNESS);
    picture.Paint(dc.Get(), RECT{-10, 5, 35, 100});
  }
  const std::vector<Color> painted = PixelsOf(window);
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x)
      ASSERT_EQ(painted[y * kWidth + x], y >= 5 && x < 35 ? plain.GetPixel(x, y) : 0u) << x << "," << y;

  picture.Clear();
  picture.Present();
  for (Color pixel : PixelsOf(window)) ASSERT_EQ(pixel, 0u);
}

// Stepping and presenting make no GDI object; a rebuilt field replaces its sheets, and
// destroying the field and the picture gives back everything they made.
TEST(WindowPicture, StepsMakeNoGdiObjectAndNothingIsLeftBehind) {
  TestWindow window(0, 0, 400, 300);
  ASSERT_TRUE(GdiCountSeesANewObject());
  const int atStart = LiveGdiObjects();
  {
    DibImageFactory images;
    WindowPicture picture(window.Handle());
    Vellix field(picture, images, 400, 300);
    Configure(field, {10, 120, 40, 60, 300});
    const int configured = LiveGdiObjects();
    for (int step = 0; step < 50; ++step) {
      field.OnSoftTimer();
      picture.Present();
    }
    EXPECT_EQ(LiveGdiObjects(), configured) << "after 50 steps";
    Configure(field, {20, 60, 90, 30, 150});
    EXPECT_EQ(LiveGdiObjects(), configured) << "after a rebuild";
  }
  EXPECT_EQ(LiveGdiObjects(), atStart) << "after the field and the picture are gone";
}

}  // namespace
