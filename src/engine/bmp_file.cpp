// Every offset and size read from the file is checked against the bytes actually present
// before it is used, so a truncated or damaged sheet is an error and never a wild read.
#include "engine/bmp_file.h"

#include <fstream>
#include <iterator>

#include "base/exception.h"

namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::uint32_t kInfoHeaderSize = 40;

std::uint32_t ReadU32(const std::vector<std::uint8_t>& bytes, std::size_t at) {
  return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

std::uint16_t ReadU16(const std::vector<std::uint8_t>& bytes, std::size_t at) {
  return static_cast<std::uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

}  // namespace

MemoryImage DecodeBmp(const std::vector<std::uint8_t>& bytes, const std::string& origin) {
  const auto fail = [&origin](const std::string& why) { return Exception("Bitmap " + origin + ": " + why); };

  if (bytes.size() < kFileHeaderSize + kInfoHeaderSize || bytes[0] != 'B' || bytes[1] != 'M')
    throw fail("not a bitmap file");
  const std::uint32_t pixelOffset = ReadU32(bytes, 10);
  const std::uint32_t infoSize = ReadU32(bytes, 14);
  const auto width = static_cast<std::int32_t>(ReadU32(bytes, 18));
  const auto storedHeight = static_cast<std::int32_t>(ReadU32(bytes, 22));
  const std::uint16_t planes = ReadU16(bytes, 26);
  const std::uint16_t bitsPerPixel = ReadU16(bytes, 28);
  const std::uint32_t compression = ReadU32(bytes, 30);
  const std::uint32_t coloursUsed = ReadU32(bytes, 46);

  if (infoSize < kInfoHeaderSize || planes != 1 || bitsPerPixel != 8 || compression != 0)
    throw fail("not an uncompressed 8-bit palette image");
  if (width <= 0 || storedHeight == 0 || storedHeight == INT32_MIN || width > 65536)
    throw fail("bad image size");
  const bool bottomUp = storedHeight > 0;
  const std::int32_t height = bottomUp ? storedHeight : -storedHeight;
  if (height > 65536) throw fail("bad image size");

  const std::size_t paletteSize = coloursUsed == 0 ? 256 : coloursUsed;
  const std::size_t paletteOffset = kFileHeaderSize + infoSize;
  if (paletteSize > 256 || paletteOffset + paletteSize * 4 > bytes.size()) throw fail("palette truncated");
  const std::size_t stride = (static_cast<std::size_t>(width) + 3) / 4 * 4;
  if (pixelOffset < paletteOffset + paletteSize * 4 || pixelOffset + stride * height > bytes.size())
    throw fail("pixel rows truncated");

  MemoryImage image(width, height);
  for (std::int32_t y = 0; y < height; ++y) {
    const std::size_t storedRow = bottomUp ? height - 1 - y : y;
    const std::uint8_t* source = bytes.data() + pixelOffset + storedRow * stride;
    Color* target = image.Row(y);
    for (std::int32_t x = 0; x < width; ++x) {
      if (source[x] >= paletteSize) throw fail("pixel outside the palette");
      const std::size_t entry = paletteOffset + source[x] * 4u;  // blue, green, red, 0
      target[x] = bytes[entry + 2] | bytes[entry + 1] << 8 | static_cast<Color>(bytes[entry]) << 16;
    }
  }
  return image;
}

MemoryImage ReadBmpFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) throw Exception("Cannot read " + path);
  const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  return DecodeBmp(bytes, path);
}
