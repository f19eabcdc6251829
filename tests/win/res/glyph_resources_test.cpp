// The glyph sheets as Windows sees them once windres has built them into a module: "INDEX" and
// "INDEX_S" with the file header gone (10,066 and 2,266 bytes left), loadable by name as 10 x 750
// and 4 x 300 bitmaps, the sheets of every further scale step likewise at their cell sizes, and
// all read by GDI top row first, so cell 0 is the one at the top of the image.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "base/win_handles.h"
#include "engine/display_scale.h"

namespace {

struct SheetResource {
  std::string name;
  DWORD size;
  LONG width;
  LONG height;
};

void PrintTo(const SheetResource& sheet, std::ostream* out) { *out << sheet.name; }

// The design pair as written down, then every other step's pair as the scale table sizes it:
// header, grey palette, 50 cells of rows padded to 4 bytes, two trailing bytes.
std::vector<SheetResource> AllSheetResources() {
  std::vector<SheetResource> sheets{{"INDEX", 10066, 10, 750}, {"INDEX_S", 2266, 4, 300}};
  for (const GlyphSheetSize& sheet : AllGlyphSheets()) {
    if (sheet.resource == "INDEX" || sheet.resource == "INDEX_S") continue;
    const LONG height = sheet.cellHeight * 50;
    const DWORD stride = (sheet.cellWidth + 3) / 4 * 4;
    sheets.push_back({sheet.resource, 40 + 1024 + stride * height + 2, sheet.cellWidth, height});
  }
  return sheets;
}

class GlyphResource : public testing::TestWithParam<SheetResource> {
 protected:
  HMODULE module = ::GetModuleHandleA(nullptr);
};

TEST_P(GlyphResource, IsABitmapResourceWithoutFileHeader) {
  const SheetResource& sheet = GetParam();
  HRSRC found = ::FindResourceA(module, sheet.name.c_str(), MAKEINTRESOURCEA(2) /* RT_BITMAP */);
  ASSERT_NE(found, nullptr) << "error " << ::GetLastError();
  EXPECT_EQ(::SizeofResource(module, found), sheet.size);

  // The data starts with the information header itself, not with "BM".
  const auto* data = static_cast<const std::uint8_t*>(::LockResource(::LoadResource(module, found)));
  ASSERT_NE(data, nullptr);
  BITMAPINFOHEADER info;
  std::memcpy(&info, data, sizeof info);
  EXPECT_EQ(info.biSize, sizeof(BITMAPINFOHEADER));
  EXPECT_EQ(info.biWidth, sheet.width);
  EXPECT_EQ(info.biHeight, sheet.height);
  EXPECT_EQ(info.biBitCount, 8);
}

TEST_P(GlyphResource, LoadsByNameAtItsSize) {
  const SheetResource& sheet = GetParam();
  UniqueBitmap viaLoadImage(static_cast<HBITMAP>(
      ::LoadImageA(module, sheet.name.c_str(), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR)));
  UniqueBitmap viaLoadBitmap(::LoadBitmapA(module, sheet.name.c_str()));
  for (const UniqueBitmap* loaded : {&viaLoadImage, &viaLoadBitmap}) {
    ASSERT_TRUE(*loaded) << "error " << ::GetLastError();
    BITMAP size{};
    ASSERT_NE(::GetObjectA(loaded->Get(), sizeof size, &size), 0);
    EXPECT_EQ(size.bmWidth, sheet.width);
    EXPECT_EQ(size.bmHeight, sheet.height);
  }
}

// Rows are stored bottom-up; GDI must show the last stored row at the top, with each byte's
// palette entry (grey = index) as the pixel's colour.
TEST_P(GlyphResource, ReadsBackAsStoredTopRowLast) {
  const SheetResource& sheet = GetParam();
  HRSRC found = ::FindResourceA(module, sheet.name.c_str(), MAKEINTRESOURCEA(2));
  ASSERT_NE(found, nullptr);
  const auto* data = static_cast<const std::uint8_t*>(::LockResource(::LoadResource(module, found)));
  const std::uint8_t* rows = data + sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD);
  const LONG stride = (sheet.width + 3) / 4 * 4;

  // A DIB section keeps the 8-bit grey exactly, whatever the display's depth.
  UniqueBitmap bitmap(static_cast<HBITMAP>(
      ::LoadImageA(module, sheet.name.c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
  ASSERT_TRUE(bitmap);
  UniqueMemoryDc dc(::CreateCompatibleDC(nullptr));
  ASSERT_TRUE(dc);
  ScopedSelect select(dc.Get(), bitmap.Get());
  int lit = 0;
  for (LONG y = 0; y < sheet.height; ++y) {
    for (LONG x = 0; x < sheet.width; ++x) {
      const std::uint8_t grey = rows[(sheet.height - 1 - y) * stride + x];
      ASSERT_EQ(::GetPixel(dc.Get(), x, y), RGB(grey, grey, grey)) << "pixel (" << x << ", " << y << ")";
      lit += grey != 0;
    }
  }
  EXPECT_GT(lit, 0);
}

INSTANTIATE_TEST_SUITE_P(Sheets, GlyphResource,
                         testing::ValuesIn(AllSheetResources()),
                         [](const testing::TestParamInfo<SheetResource>& info) { return info.param.name; });

}  // namespace
