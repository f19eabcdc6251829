// Checks the committed glyph sheets byte by byte, independently of any loader: the layout that
// becomes the "INDEX", "INDEX_S", "INDEX_<step>" ... resources once the file header is dropped,
// with the cell sizes the scale table promises, and artwork fit for the rain (50 distinct
// glyphs in every sheet; the 4 x 6 cells average the 10 x 15 ones).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "common/sheet_files.h"
#include "engine/display_scale.h"

namespace {

constexpr int kFileHeaderSize = 14;
constexpr int kInfoHeaderSize = 40;
constexpr int kPaletteSize = 256 * 4;
constexpr int kPixelOffset = kFileHeaderSize + kInfoHeaderSize + kPaletteSize;
constexpr int kCells = 50;

struct SheetFormat {
  std::string file;
  int width;
  int height;
  int cellWidth;
  int cellHeight;
  std::size_t resourceSize;
  bool small;
};

void PrintTo(const SheetFormat& format, std::ostream* out) { *out << format.file; }

const SheetFormat kLarge{"index.bmp", 10, 750, 10, 15, 10066, false};
const SheetFormat kSmall{"index_s.bmp", 4, 300, 4, 6, 2266, true};

// The sheet of a resource as the scale table describes it: 1 column of 50 cells.
SheetFormat FormatOf(const GlyphSheetSize& sheet, bool small) {
  const int height = sheet.cellHeight * kCells;
  const std::size_t stride = (sheet.cellWidth + 3) / 4 * 4;
  return {SheetFileName(sheet.resource), sheet.cellWidth, height, sheet.cellWidth, sheet.cellHeight,
          kInfoHeaderSize + kPaletteSize + stride * height + 2, small};
}

// Every sheet of every step, the design pair first.
std::vector<SheetFormat> AllFormats() {
  std::vector<SheetFormat> formats{kLarge, kSmall};
  for (const std::int32_t step : kScaleSteps) {
    if (step == kDesignScaleStep) continue;
    formats.push_back(FormatOf(LargeSheetAt(step), false));
    formats.push_back(FormatOf(SmallSheetAt(step), true));
  }
  return formats;
}

std::uint32_t U16(const std::vector<std::uint8_t>& bytes, std::size_t at) {
  return bytes.at(at) | bytes.at(at + 1) << 8;
}

std::uint32_t U32(const std::vector<std::uint8_t>& bytes, std::size_t at) {
  return U16(bytes, at) | U16(bytes, at + 2) << 16;
}

// One sheet file as bytes, with pixels addressed from the top as the rain field sees them.
class SheetFile {
 public:
  explicit SheetFile(const SheetFormat& format) : format(format) {
    std::ifstream in(std::string(LUMIVEX_RES_DIR) + "/" + format.file, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  int Stride() const { return (format.width + 3) / 4 * 4; }

  // Rows are stored bottom-up: the image's top row is the last one in the file.
  int Pixel(int x, int y) const {
    return bytes.at(kPixelOffset + static_cast<std::size_t>(format.height - 1 - y) * Stride() + x);
  }

  std::vector<int> Cell(int index) const {
    std::vector<int> values;
    for (int y = 0; y < format.cellHeight; ++y)
      for (int x = 0; x < format.cellWidth; ++x) values.push_back(Pixel(x, index * format.cellHeight + y));
    return values;
  }

  const SheetFormat& format;
  std::vector<std::uint8_t> bytes;
};

class GlyphSheetFile : public testing::TestWithParam<SheetFormat> {};

TEST_P(GlyphSheetFile, IsExactlyTheResourceLayoutBehindAFileHeader) {
  const SheetFile sheet(GetParam());
  const auto& b = sheet.bytes;
  ASSERT_EQ(b.size(), kFileHeaderSize + GetParam().resourceSize) << GetParam().file;

  // File header, which windres drops.
  EXPECT_EQ(b[0], 'B');
  EXPECT_EQ(b[1], 'M');
  EXPECT_EQ(U32(b, 2), b.size());
  EXPECT_EQ(U32(b, 6), 0u);
  EXPECT_EQ(U32(b, 10), static_cast<std::uint32_t>(kPixelOffset));

  // Information header.
  const std::size_t info = kFileHeaderSize;
  EXPECT_EQ(U32(b, info + 0), static_cast<std::uint32_t>(kInfoHeaderSize));
  EXPECT_EQ(static_cast<std::int32_t>(U32(b, info + 4)), GetParam().width);
  EXPECT_EQ(static_cast<std::int32_t>(U32(b, info + 8)), GetParam().height) << "positive: rows bottom-up";
  EXPECT_EQ(U16(b, info + 12), 1u) << "planes";
  EXPECT_EQ(U16(b, info + 14), 8u) << "bits per pixel";
  EXPECT_EQ(U32(b, info + 16), 0u) << "compression";
  EXPECT_EQ(U32(b, info + 20), 0u) << "image size";
  EXPECT_EQ(U32(b, info + 24), 2834u);
  EXPECT_EQ(U32(b, info + 28), 2834u);
  EXPECT_EQ(U32(b, info + 32), 0u) << "colours used";
  EXPECT_EQ(U32(b, info + 36), 0u) << "important colours";

  // Palette entry i is grey i, so a pixel's index is its grey level.
  for (int i = 0; i < 256; ++i) {
    const std::size_t entry = kFileHeaderSize + kInfoHeaderSize + 4 * i;
    ASSERT_EQ(U32(b, entry), static_cast<std::uint32_t>(i | i << 8 | i << 16)) << "palette entry " << i;
  }

  // Row padding and the two trailing bytes are zero.
  const int stride = sheet.Stride();
  for (int row = 0; row < GetParam().height; ++row)
    for (int x = GetParam().width; x < stride; ++x)
      ASSERT_EQ(b[kPixelOffset + row * stride + x], 0) << "padding of stored row " << row;
  EXPECT_EQ(kPixelOffset + static_cast<std::size_t>(stride) * GetParam().height + 2, b.size());
  EXPECT_EQ(b[b.size() - 2], 0);
  EXPECT_EQ(b[b.size() - 1], 0);
}

// A glyph is light on black with contrast inside its cell: some pixels lit (strokes reaching
// brightLevel), and at least a third of them dark, so no cell is blank or a solid block.
TEST_P(GlyphSheetFile, EveryCellHoldsAGlyph) {
  const SheetFile sheet(GetParam());
  ASSERT_EQ(sheet.bytes.size(), kFileHeaderSize + GetParam().resourceSize);
  // The 4 x 6 cells average strokes down; cells under 10 pixels wide are drawn at their size, but
  // some strokes there are thinner than a pixel; from 10 pixels on, strokes have bright cores.
  const int cellWidth = GetParam().cellWidth;
  const int brightLevel = cellWidth == 4 ? 48 : cellWidth < 10 ? 112 : 224;
  for (int i = 0; i < kCells; ++i) {
    const std::vector<int> cell = sheet.Cell(i);
    const int brightest = *std::max_element(cell.begin(), cell.end());
    const auto dark = std::count_if(cell.begin(), cell.end(), [&](int v) { return 2 * v <= brightest; });
    EXPECT_GE(brightest, brightLevel) << GetParam().file << " cell " << i;
    EXPECT_GE(3 * dark, static_cast<long>(cell.size())) << GetParam().file << " cell " << i;
  }
}

TEST_P(GlyphSheetFile, HoldsFiftyDifferentGlyphs) {
  const SheetFile sheet(GetParam());
  ASSERT_EQ(sheet.bytes.size(), kFileHeaderSize + GetParam().resourceSize);
  std::set<std::vector<int>> cells;
  for (int i = 0; i < kCells; ++i) EXPECT_TRUE(cells.insert(sheet.Cell(i)).second) << "cell " << i << " repeats";
}

INSTANTIATE_TEST_SUITE_P(Sheets, GlyphSheetFile, testing::ValuesIn(AllFormats()),
                         [](const testing::TestParamInfo<SheetFormat>& info) {
                           return std::string(info.param.small ? "IndexSmall" : "Index") + "_" +
                                  std::to_string(info.param.cellWidth) + "x" + std::to_string(info.param.cellHeight);
                         });

// Glyphs have no fixed margin, so a column of them nearly joins: most touch the top and bottom
// rows of their cell, and most touch a side.
TEST(GlyphArtwork, MostGlyphsReachTheCellEdges) {
  const SheetFile sheet(kLarge);
  ASSERT_EQ(sheet.bytes.size(), kFileHeaderSize + kLarge.resourceSize);
  int reachTopAndBottom = 0;
  int reachASide = 0;
  for (int i = 0; i < kCells; ++i) {
    const int top = i * kLarge.cellHeight;
    const int bottom = top + kLarge.cellHeight - 1;
    bool topLit = false, bottomLit = false, sideLit = false;
    for (int x = 0; x < kLarge.cellWidth; ++x) {
      topLit |= sheet.Pixel(x, top) >= 128;
      bottomLit |= sheet.Pixel(x, bottom) >= 128;
    }
    for (int y = top; y <= bottom; ++y)
      sideLit |= sheet.Pixel(0, y) >= 128 || sheet.Pixel(kLarge.cellWidth - 1, y) >= 128;
    reachTopAndBottom += topLit && bottomLit;
    reachASide += sideLit;
  }
  EXPECT_GT(reachTopAndBottom, kCells / 2);
  EXPECT_GT(reachASide, kCells / 2);
}

// Each 4 x 6 pixel is the mean of the 2.5 x 2.5 pixels of the 10 x 15 cell it covers. Summed on
// a half-pixel grid the mean is exact; the sheet may round it either way.
TEST(GlyphArtwork, SmallSheetIsTheAreaAverageOfTheLargeOne) {
  const SheetFile large(kLarge);
  const SheetFile small(kSmall);
  ASSERT_EQ(large.bytes.size(), kFileHeaderSize + kLarge.resourceSize);
  ASSERT_EQ(small.bytes.size(), kFileHeaderSize + kSmall.resourceSize);
  for (int sy = 0; sy < kSmall.height; ++sy) {
    for (int sx = 0; sx < kSmall.width; ++sx) {
      int total = 0;  // over 5 x 5 half-pixels
      for (int hy = 5 * sy; hy < 5 * sy + 5; ++hy)
        for (int hx = 5 * sx; hx < 5 * sx + 5; ++hx) total += large.Pixel(hx / 2, hy / 2);
      const double mean = total / 25.0;
      ASSERT_LE(std::abs(small.Pixel(sx, sy) - mean), 1.0)
          << "small pixel (" << sx << ", " << sy << ") in cell " << sy / kSmall.cellHeight;
    }
  }
}

// The sheets of the other steps are drawn from the font at their own size, not blown up from the
// design sheet: a smoothly resampled sheet smears its strokes over greys (its ink squared over
// its ink, 1.0 when every lit pixel is full white, falls to about 0.62), and a sheet of blocks
// repeats the design cells pixel for pixel.
TEST(GlyphArtwork, LargeSheetsOfOtherStepsAreDrawnAtTheirSize) {
  const SheetFile design(kLarge);
  ASSERT_EQ(design.bytes.size(), kFileHeaderSize + kLarge.resourceSize);
  for (const std::int32_t step : kScaleSteps) {
    if (step == kDesignScaleStep) continue;
    const SheetFormat format = FormatOf(LargeSheetAt(step), false);
    const SheetFile sheet(format);
    ASSERT_EQ(sheet.bytes.size(), kFileHeaderSize + format.resourceSize) << format.file;
    double ink = 0, inkSquared = 0;
    int blownUpCells = 0;
    for (int i = 0; i < kCells; ++i) {
      const std::vector<int> cell = sheet.Cell(i);
      const std::vector<int> designCell = design.Cell(i);
      bool blownUp = true;
      for (int y = 0; y < format.cellHeight; ++y)
        for (int x = 0; x < format.cellWidth; ++x) {
          const int value = cell[y * format.cellWidth + x];
          ink += value;
          inkSquared += static_cast<double>(value) * value / 255;
          const int nearest = designCell[(y * kLarge.cellHeight / format.cellHeight) * kLarge.cellWidth +
                                         x * kLarge.cellWidth / format.cellWidth];
          blownUp &= value == nearest;
        }
      blownUpCells += blownUp;
    }
    EXPECT_GE(inkSquared / ink, 0.79) << format.file;
    EXPECT_EQ(blownUpCells, 0) << format.file;
  }
}

}  // namespace
