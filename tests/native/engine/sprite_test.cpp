// Glyph sheets: cutting a resource into cells, exact integer tinting, and copies that
// are independent of their source.
#include <gtest/gtest.h>

#include <cstdint>

#include "base/exception.h"
#include "engine/memory_image.h"
#include "engine/sprite.h"

namespace {

Color Rgb(std::uint32_t red, std::uint32_t green, std::uint32_t blue) { return red | green << 8 | blue << 16; }
Color Grey(std::uint32_t level) { return Rgb(level, level, level); }

struct TintCase {
  const char* name;
  Color pixel;
  Color tint;
  Color expected;
};

const TintCase kTintCases[] = {
    {"grey 128 by (0,128,255)", Grey(128), Rgb(0, 128, 255), Rgb(0, 64, 128)},
    {"grey 64 by (0,192,0)", Grey(64), Rgb(0, 192, 0), Rgb(0, 48, 0)},
    {"white keeps any pixel", Rgb(0x12, 0x34, 0x56), Rgb(255, 255, 255), Rgb(0x12, 0x34, 0x56)},
    {"black blackens", Grey(255), Rgb(0, 0, 0), 0},
    {"stroke core takes the colour", Grey(255), Rgb(0x88, 0xFF, 0x88), Rgb(0x88, 0xFF, 0x88)},
    {"channels scale separately and truncate", Rgb(200, 10, 255), Rgb(200, 255, 3), Rgb(156, 10, 3)},
    {"top byte of the colour is ignored", Grey(255), 0xAB000000 | Rgb(1, 2, 3), Rgb(1, 2, 3)},
    {"top byte of the pixel is dropped", 0x7F000000 | Grey(255), Rgb(9, 9, 9), Rgb(9, 9, 9)},
};

TEST(SpriteTint, ScalesEachChannelByTheColour) {
  for (const TintCase& test : kTintCases) {
    MemoryImageFactory images;
    Sprite sheet(images, 2, 1, 1, 2);  // 2 x 2 pixels
    sheet.bitmap->SetPixel(1, 1, test.pixel);
    sheet.Tint(test.tint);
    EXPECT_EQ(sheet.bitmap->GetPixel(1, 1), test.expected) << test.name;
    EXPECT_EQ(sheet.bitmap->GetPixel(0, 0), 0u) << test.name << ": black background";
  }
}

TEST(SpriteTint, CopyIsIndependentOfItsSource) {
  MemoryImageFactory images;
  MemoryImage grey(3, 8);
  for (std::int32_t y = 0; y < 8; ++y)
    for (std::int32_t x = 0; x < 3; ++x) grey.SetPixel(x, y, Grey(10 * y + x));
  images.AddResource("SHEET", grey);
  Sprite source(images, "SHEET", 1, 4);

  const std::unique_ptr<Sprite> copy = source.Copy();
  EXPECT_EQ(copy->cellWidth, 3);
  EXPECT_EQ(copy->cellHeight, 2);
  EXPECT_EQ(copy->columns, 1);
  EXPECT_EQ(copy->rows, 4);
  copy->Tint(Rgb(0, 255, 0));

  for (std::int32_t y = 0; y < 8; ++y) {
    for (std::int32_t x = 0; x < 3; ++x) {
      EXPECT_EQ(source.bitmap->GetPixel(x, y), Grey(10 * y + x)) << x << "," << y;
      EXPECT_EQ(copy->bitmap->GetPixel(x, y), Rgb(0, 10 * y + x, 0)) << x << "," << y;
    }
  }
}

TEST(SpriteGeometry, CellsAreTheImageDividedByTheGrid) {
  struct {
    std::int32_t imageWidth, imageHeight, columns, rows, cellWidth, cellHeight;
  } const cases[] = {
      {10, 750, 1, 50, 10, 15},  // the large sheet
      {4, 300, 1, 50, 4, 6},     // the small sheet
      {11, 759, 2, 50, 5, 15},   // sizes truncate
  };
  for (const auto& test : cases) {
    MemoryImageFactory images;
    images.AddResource("SHEET", MemoryImage(test.imageWidth, test.imageHeight));
    Sprite sheet(images, "SHEET", test.columns, test.rows);
    EXPECT_EQ(sheet.cellWidth, test.cellWidth) << test.imageWidth << "x" << test.imageHeight;
    EXPECT_EQ(sheet.cellHeight, test.cellHeight) << test.imageWidth << "x" << test.imageHeight;
    EXPECT_EQ(sheet.bitmap->Width(), test.imageWidth);
  }
}

TEST(SpriteGeometry, BlankSheetIsBlackAndSizedByItsCells) {
  MemoryImageFactory images;
  Sprite sheet(images, 4, 6, 2, 50);
  ASSERT_EQ(sheet.bitmap->Width(), 8);
  ASSERT_EQ(sheet.bitmap->Height(), 300);
  for (std::int32_t y = 0; y < 300; ++y)
    for (std::int32_t x = 0; x < 8; ++x) ASSERT_EQ(sheet.bitmap->GetPixel(x, y), 0u) << x << "," << y;
}

TEST(SpriteGeometry, BadResourcesFailWithAMessage) {
  MemoryImageFactory images;
  images.AddResource("TINY", MemoryImage(10, 49));
  const struct {
    const char* name;
    const char* message;
  } cases[] = {
      {"INDEX", "Resource INDEX not found"},
      // Fewer pixel rows than glyphs would give cells of height 0.
      {"TINY", "Resource TINY is too small for 1 x 50 glyphs"},
  };
  for (const auto& test : cases) {
    try {
      Sprite sheet(images, test.name, 1, 50);
      ADD_FAILURE() << test.name << " loaded";
    } catch (const Exception& error) {
      EXPECT_EQ(error.Message(), test.message);
    }
  }
}

}  // namespace
