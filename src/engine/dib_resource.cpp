// All sizes are worked out in 64 bits from 32-bit header fields, so no header can make the
// check itself overflow; compressed bitmaps are measured by the image size they declare.
#include "engine/dib_resource.h"

#include "base/exception.h"

namespace {

std::uint32_t U32(const std::uint8_t* at) {
  return at[0] | at[1] << 8 | at[2] << 16 | static_cast<std::uint32_t>(at[3]) << 24;
}
std::uint16_t U16(const std::uint8_t* at) { return static_cast<std::uint16_t>(at[0] | at[1] << 8); }

constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kRgb = 0, kBitFields = 3;

}  // namespace

void CheckDibResource(const std::uint8_t* data, std::size_t size, const std::string& name) {
  const auto damaged = [&name] { return Exception("Resource " + name + " is damaged"); };
  if (data == nullptr || size < kInfoHeaderSize) throw damaged();
  const std::uint32_t headerSize = U32(data);
  const auto width = static_cast<std::int32_t>(U32(data + 4));
  const auto height = static_cast<std::int32_t>(U32(data + 8));
  const std::uint16_t planes = U16(data + 12);
  const std::uint16_t bitsPerPixel = U16(data + 14);
  const std::uint32_t compression = U32(data + 16);
  const std::uint32_t imageSize = U32(data + 20);
  const std::uint32_t coloursUsed = U32(data + 32);

  if (headerSize < kInfoHeaderSize || headerSize > size || width <= 0 || height == 0 || planes != 1)
    throw damaged();
  if (bitsPerPixel != 1 && bitsPerPixel != 4 && bitsPerPixel != 8 && bitsPerPixel != 16 &&
      bitsPerPixel != 24 && bitsPerPixel != 32)
    throw damaged();

  const std::uint64_t tableEntries =
      coloursUsed != 0 ? coloursUsed : bitsPerPixel <= 8 ? (std::uint64_t(1) << bitsPerPixel) : 0;
  if (bitsPerPixel <= 8 && tableEntries > (std::uint64_t(1) << bitsPerPixel)) throw damaged();
  const std::uint64_t masks = compression == kBitFields && headerSize == kInfoHeaderSize ? 12 : 0;
  const std::uint64_t rows = height < 0 ? -std::int64_t(height) : height;
  const std::uint64_t stride = (std::uint64_t(width) * bitsPerPixel + 31) / 32 * 4;
  if (stride > size || rows > size) throw damaged();  // and so their product fits 64 bits
  const std::uint64_t pixels = compression == kRgb || compression == kBitFields ? stride * rows : imageSize;
  if (std::uint64_t(headerSize) + masks + tableEntries * 4 + pixels > size) throw damaged();
}
