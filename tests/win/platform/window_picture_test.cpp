// The picture a window keeps must put on screen exactly what drawing every cell straight onto
// the window puts there. Two windows side by side run two rain fields from one recorded random
// stream: one draws each cell onto its window's DC (WindowCanvas, with sheets that are bitmaps
// compatible with the screen), the other draws into a WindowPicture and presents it once a
// step; after every step the two windows' pixels must be the same.
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

namespace {

// A visible, borderless, black window with a DC of its own, as the saver window is.
class PlainWindow {
 public:
  PlainWindow(int x, int width, int height) {
    static const bool registered = [] {
      WNDCLASSA windowClass{};
      windowClass.style = CS_OWNDC;
      windowClass.lpfnWndProc = ::DefWindowProcA;
      windowClass.hInstance = ::GetModuleHandleA(nullptr);
      windowClass.hbrBackground = static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH));
      windowClass.lpszClassName = "TestRainWindow";
      return ::RegisterClassA(&windowClass) != 0;
    }();
    (void)registered;
    handle_ = ::CreateWindowExA(WS_EX_TOPMOST, "TestRainWindow", "", WS_POPUP | WS_VISIBLE, x, 0, width, height,
                                nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
    // Let the first erase happen now, not in the middle of the comparison.
    ::UpdateWindow(handle_);
    MSG message;
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&message);
  }
  ~PlainWindow() { ::DestroyWindow(handle_); }
  PlainWindow(const PlainWindow&) = delete;
  PlainWindow& operator=(const PlainWindow&) = delete;
  HWND Handle() const { return handle_; }

 private:
  HWND handle_;
};

// The window's pixels, read through a bitmap (Wine reads no pixels straight off a window DC).
std::vector<Color> PixelsOf(HWND window, int width, int height) {
  DibImage copy(width, height);
  WindowDc dc(window);
  ::BitBlt(copy.Dc(), 0, 0, width, height, dc.Get(), 0, 0, SRCCOPY);
  ::GdiFlush();
  std::vector<Color> pixels;
  pixels.reserve(static_cast<std::size_t>(width) * height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) pixels.push_back(copy.GetPixel(x, y));
  return pixels;
}

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

// The program's glyph sheets drawn again at another cell size (nearest pixel), for fields whose
// cells are neither of the two sizes the sheets have.
class ResizedSheets final : public ImageFactory {
 public:
  ResizedSheets(ImageFactory& images, std::int32_t cellWidth, std::int32_t cellHeight)
      : images_(images), cellWidth_(cellWidth), cellHeight_(cellHeight) {}
  std::unique_ptr<Image> CreateBlank(std::int32_t width, std::int32_t height) override {
    return images_.CreateBlank(width, height);
  }
  std::unique_ptr<Image> LoadResource(const std::string& name) override {
    const std::unique_ptr<Image> sheet = images_.LoadResource(name);
    const std::int32_t glyphs = sheet->Height() / (name == "INDEX" ? 15 : 6);
    std::unique_ptr<Image> resized = images_.CreateBlank(cellWidth_, cellHeight_ * glyphs);
    for (std::int32_t y = 0; y < resized->Height(); ++y)
      for (std::int32_t x = 0; x < cellWidth_; ++x)
        resized->SetPixel(x, y, sheet->GetPixel(x * sheet->Width() / cellWidth_, y * sheet->Height() / resized->Height()));
    return resized;
  }

 private:
  ImageFactory& images_;
  std::int32_t cellWidth_;
  std::int32_t cellHeight_;
};

void Configure(Vellix& field, const Settings& s) {
  field.Configure(s.interval, s.fallers, s.erasers, s.risers, s.noise, static_cast<std::int32_t>(s.normal),
                  static_cast<std::int32_t>(s.light), static_cast<std::int32_t>(s.dark));
}

TEST(WindowPicture, ShowsAfterEveryStepWhatDrawingEachCellOntoTheWindowShows) {
  // Cells of other sizes (0 x 0: the sheets as they are) reach across the 64-pixel words in
  // which the changed area keeps its columns at other places.
  const struct {
    const char* name;
    int width, height, cellWidth, cellHeight;
  } sizes[] = {{"large glyphs", 400, 300, 0, 0},
               {"small glyphs", 220, 165, 0, 0},
               {"glyphs of 13 x 19", 400, 300, 13, 19},
               {"glyphs of 20 x 30", 420, 330, 20, 30}};
  // Busy steps, which the picture shows in a few large copies, then sparse ones, shown cell by
  // cell and column by column; each rebuild leaves the glyphs on screen, in their old colours
  // when the colours change, although the sheets they were drawn from are gone.
  const Settings phases[] = {{10, 120, 40, 60, 300},
                             {10, 4, 6, 2, 8, 0x00C00030, 0x00FFC0FF, 0x00400010},
                             {10, 60, 90, 30, 150}};
  constexpr int kSteps = 300;

  for (const auto& size : sizes) {
    SCOPED_TRACE(size.name);
    PlainWindow direct(0, size.width, size.height);
    PlainWindow kept(512, size.width, size.height);
    GdiImageFactory screenSheets;
    DibImageFactory dibSheets;
    ResizedSheets resizedScreenSheets(screenSheets, size.cellWidth, size.cellHeight);
    ResizedSheets resizedDibSheets(dibSheets, size.cellWidth, size.cellHeight);
    ImageFactory& screenImages = size.cellWidth ? static_cast<ImageFactory&>(resizedScreenSheets) : screenSheets;
    ImageFactory& dibImages = size.cellWidth ? static_cast<ImageFactory&>(resizedDibSheets) : dibSheets;
    WindowCanvas directCanvas(direct.Handle());
    WindowPicture picture(kept.Handle());
    RecordedStream stream;
    std::unique_ptr<Vellix> directField, keptField;

    auto both = [&](const std::function<void(Vellix&)>& work) {
      const std::vector<std::uint32_t> values = stream.Record([&] { work(*directField); });
      RecordedStream::Replay(values, [&] { work(*keptField); });
      picture.Present();
    };
    directField = std::make_unique<Vellix>(directCanvas, screenImages, size.width, size.height);
    keptField = std::make_unique<Vellix>(picture, dibImages, size.width, size.height);
    ASSERT_EQ(keptField->BaseSheet().cellWidth, size.cellWidth ? size.cellWidth : size.width > 320 ? 10 : 4);
    ASSERT_EQ(directField->BaseSheet().cellHeight, size.cellHeight ? size.cellHeight : size.width > 320 ? 15 : 6);

    int differentSteps = 0;
    std::string firstDifference;
    std::size_t litPixels = 0;
    for (int step = 0; step < kSteps; ++step) {
      if (step % (kSteps / 3) == 0) both([&](Vellix& field) { Configure(field, phases[step / (kSteps / 3)]); });
      both([](Vellix& field) { field.OnSoftTimer(); });
      const std::vector<Color> expected = PixelsOf(direct.Handle(), size.width, size.height);
      const std::vector<Color> actual = PixelsOf(kept.Handle(), size.width, size.height);
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

TEST(WindowPicture, PaintsAnyPartAgainFromWhatItKeeps) {
  PlainWindow window(0, 200, 100);
  WindowPicture picture(window.Handle());
  DibImage glyph(10, 15);
  for (int y = 0; y < 15; ++y)
    for (int x = 0; x < 10; ++x) glyph.SetPixel(x, y, static_cast<Color>(0x00102030 + x + 16 * y));
  picture.CopyFrom(glyph, 0, 0, 10, 15, 95, 40);
  // Nothing reaches the window until the picture is presented or painted.
  EXPECT_EQ(PixelsOf(window.Handle(), 200, 100)[40 * 200 + 95], 0u);

  WindowDc dc(window.Handle());
  const RECT part{90, 45, 110, 60};
  picture.Paint(dc.Get(), part);
  const std::vector<Color> pixels = PixelsOf(window.Handle(), 200, 100);
  for (int y = 40; y < 55; ++y)
    for (int x = 95; x < 105; ++x) {
      const bool inPart = y >= part.top && x < part.right;
      EXPECT_EQ(pixels[y * 200 + x], inPart ? glyph.GetPixel(x - 95, y - 40) : 0u) << x << "," << y;
    }

  picture.Clear();
  picture.Present();
  for (Color pixel : PixelsOf(window.Handle(), 200, 100)) ASSERT_EQ(pixel, 0u);
}

// Whatever is drawn, on the grid of cells or off it, the picture shows, paints and reads back
// what a plain bitmap that was drawn on alike holds, also after the images it was drawn from
// are gone.
TEST(WindowPicture, HoldsWhatAPlainBitmapHoldsWhateverIsDrawn) {
  constexpr int kWidth = 64, kHeight = 50;  // 6 x 4 cells of 10 x 15, the last ones cut
  PlainWindow window(0, kWidth, kHeight);
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
    const std::vector<Color> shown = PixelsOf(window.Handle(), kWidth, kHeight);
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
  const std::vector<Color> painted = PixelsOf(window.Handle(), kWidth, kHeight);
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x)
      ASSERT_EQ(painted[y * kWidth + x], y >= 5 && x < 35 ? plain.GetPixel(x, y) : 0u) << x << "," << y;

  picture.Clear();
  picture.Present();
  for (Color pixel : PixelsOf(window.Handle(), kWidth, kHeight)) ASSERT_EQ(pixel, 0u);
}

// Stepping and presenting make no GDI object; a rebuilt field replaces its sheets, and
// destroying the field and the picture gives back everything they made.
TEST(WindowPicture, StepsMakeNoGdiObjectAndNothingIsLeftBehind) {
  PlainWindow window(0, 400, 300);
  const int atStart = LiveGdiObjects();
  ASSERT_GE(atStart, 0) << "no GDI handle table in this process";
  {
    DibImage probe(4, 4);
    ASSERT_EQ(LiveGdiObjects(), atStart + 2) << "the count does not see a bitmap and its DC";
  }
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
