// Reading the glyph sheets from their .bmp files: the layout the artwork is stored in,
// and damaged files refused with an error rather than read past their end.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "base/exception.h"
#include "common/sheet_files.h"
#include "engine/bmp_file.h"
#include "engine/sprite.h"

namespace {

void PutU32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// An 8-bit grey .bmp laid out as the sheet files are: file header, information header,
// 256 grey palette entries, rows padded to 4 bytes (bottom-up unless topDown), two zero bytes.
std::vector<std::uint8_t> GreyBmp(const std::vector<std::vector<std::uint8_t>>& rows, bool topDown = false) {
  const std::uint32_t width = static_cast<std::uint32_t>(rows[0].size());
  const std::uint32_t height = static_cast<std::uint32_t>(rows.size());
  const std::uint32_t stride = (width + 3) / 4 * 4;
  const std::uint32_t pixelOffset = 14 + 40 + 256 * 4;
  std::vector<std::uint8_t> bytes(pixelOffset + stride * height + 2, 0);
  bytes[0] = 'B';
  bytes[1] = 'M';
  PutU32(bytes, 2, static_cast<std::uint32_t>(bytes.size()));
  PutU32(bytes, 10, pixelOffset);
  PutU32(bytes, 14, 40);
  PutU32(bytes, 18, width);
  PutU32(bytes, 22, topDown ? static_cast<std::uint32_t>(-static_cast<std::int32_t>(height)) : height);
  bytes[26] = 1;  // planes
  bytes[28] = 8;  // bits per pixel
  PutU32(bytes, 38, 2834);
  PutU32(bytes, 42, 2834);
  for (std::uint32_t i = 0; i < 256; ++i)
    for (int channel = 0; channel < 3; ++channel) bytes[54 + i * 4 + channel] = static_cast<std::uint8_t>(i);
  for (std::uint32_t y = 0; y < height; ++y) {
    const std::uint32_t stored = topDown ? y : height - 1 - y;
    for (std::uint32_t x = 0; x < width; ++x) bytes[pixelOffset + stored * stride + x] = rows[y][x];
  }
  return bytes;
}

const std::vector<std::vector<std::uint8_t>> kRows = {{0, 1, 2, 3, 4}, {10, 20, 30, 40, 50}, {255, 128, 0, 7, 9}};

void ExpectRows(const MemoryImage& image) {
  ASSERT_EQ(image.Width(), 5);
  ASSERT_EQ(image.Height(), 3);
  for (std::int32_t y = 0; y < 3; ++y)
    for (std::int32_t x = 0; x < 5; ++x) {
      const Color level = kRows[y][x];
      EXPECT_EQ(image.GetPixel(x, y), level | level << 8 | level << 16) << x << "," << y;
    }
}

TEST(BmpFile, DecodesPaddedRowsInEitherOrder) {
  ExpectRows(DecodeBmp(GreyBmp(kRows), "bottom-up"));
  ExpectRows(DecodeBmp(GreyBmp(kRows, true), "top-down"));
}

TEST(BmpFile, RefusesDamagedOrForeignFiles) {
  const std::vector<std::uint8_t> good = GreyBmp(kRows);
  const struct {
    const char* name;
    std::size_t at;  // byte to change (or, with truncate, the new length)
    std::uint32_t value;
    bool truncate;
  } cases[] = {
      {"not BM", 0, 'X', false},
      {"24 bits per pixel", 28, 24, false},
      {"compressed", 30, 1, false},
      {"zero width", 18, 0, false},
      {"pixel offset past the end", 10, 0xFFFFFF00u, false},
      {"palette of 4 colours holding index 255", 46, 4, false},
      {"rows cut short", good.size() - 6, 0, true},
      {"headers cut short", 40, 0, true},
  };
  for (const auto& test : cases) {
    std::vector<std::uint8_t> bytes = good;
    if (test.truncate)
      bytes.resize(test.at);
    else if (test.at == 0)
      bytes[0] = static_cast<std::uint8_t>(test.value);
    else
      PutU32(bytes, test.at, test.value);
    EXPECT_THROW(DecodeBmp(bytes, test.name), Exception) << test.name;
  }
}

TEST(BmpFile, MissingFileIsAnError) {
  try {
    ReadBmpFile("/nonexistent/index.bmp");
    ADD_FAILURE() << "read a missing file";
  } catch (const Exception& error) {
    EXPECT_EQ(error.Message(), "Cannot read /nonexistent/index.bmp");
  }
}

// The committed artwork, when present, loads into sheets of the sizes the rain expects.
TEST(BmpFile, RealSheetsGiveTheirCellSizes) {
  MemoryImageFactory images;
  if (!AddSheetFiles(images, LUMIVEX_RES_DIR)) GTEST_SKIP() << "glyph sheets not in " << LUMIVEX_RES_DIR << " yet";
  const Sprite large(images, "INDEX", 1, 50);
  const Sprite small(images, "INDEX_S", 1, 50);
  EXPECT_EQ(large.bitmap->Width(), 10);
  EXPECT_EQ(large.bitmap->Height(), 750);
  EXPECT_EQ(large.cellHeight, 15);
  EXPECT_EQ(small.bitmap->Width(), 4);
  EXPECT_EQ(small.bitmap->Height(), 300);
  EXPECT_EQ(small.cellHeight, 6);
}

}  // namespace
