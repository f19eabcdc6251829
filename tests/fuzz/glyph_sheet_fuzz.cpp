// Fuzz target: a glyph sheet from any bytes. The resource check either refuses them or lets
// them pass, reading nothing outside them. The bitmap reader either refuses them with an
// Exception or gives an image; the sheet rules then either refuse the image or cut it into 50
// cells of at least one pixel, which copy, tint and draw without touching memory outside them.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/bmp_file.h"
#include "engine/dib_resource.h"
#include "engine/memory_image.h"
#include "engine/sprite.h"
#include "engine/vellix.h"
#include "base/exception.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The same bytes as a bitmap resource (no file header), as the program checks its sheets.
  try {
    CheckDibResource(data, size, "INDEX");
  } catch (const Exception& error) {
    FUZZ_CHECK(error.Message() == "Resource INDEX is damaged", "a refusal with another text");
  }

  const std::vector<std::uint8_t> bytes(data, data + size);
  MemoryImageFactory images;
  try {
    MemoryImage decoded = DecodeBmp(bytes, "fuzz.bmp");
    FUZZ_CHECK(decoded.Width() > 0 && decoded.Height() > 0, "an empty image was accepted");
    images.AddResource("INDEX", decoded);
    images.AddResource("INDEX_S", decoded);
  } catch (const Exception& error) {
    FUZZ_CHECK(!error.Message().empty(), "a refusal without a reason");
    return 0;
  }

  try {
    Sprite sheet(images, "INDEX", 1, 50);
    FUZZ_CHECK(sheet.cellWidth >= 1 && sheet.cellHeight >= 1, "a sheet with empty cells");
    FUZZ_CHECK(sheet.cellHeight * 50 <= sheet.bitmap->Height(), "cells reach past the image");
  } catch (const Exception& error) {
    FUZZ_CHECK(!error.Message().empty(), "a refusal without a reason");
    return 0;
  }

  // The sheet in use: one field on each sheet size, tinted, stepped over a small canvas.
  for (const std::int32_t width : {64, 400}) {
    MemoryImage canvas(width, 48);
    Vellix field(canvas, images, width, 48);
    field.Configure(10, 8, 4, 4, 20, 0x00009000, 0x0088FF88, 0x00006000);
    for (int step = 0; step < 4; ++step) field.OnSoftTimer();
  }
  return 0;
}
