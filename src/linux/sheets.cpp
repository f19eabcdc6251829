#include "linux/sheets.h"

#include <cstdint>
#include <vector>

#include "base/exception.h"
#include "engine/bmp_file.h"
#include "linux/embedded_sheets.h"

MemoryImage LoadEmbeddedSheet(const std::string& name) {
  const std::vector<std::uint8_t> bytes = EmbeddedSheet(name);
  if (bytes.empty()) throw Exception("Resource " + name + " not found");
  return DecodeBmp(bytes, name);
}

std::unique_ptr<Image> EmbeddedSheetFactory::CreateBlank(std::int32_t width, std::int32_t height) {
  return std::make_unique<MemoryImage>(width, height);
}

std::unique_ptr<Image> EmbeddedSheetFactory::LoadResource(const std::string& name) {
  return std::make_unique<MemoryImage>(LoadEmbeddedSheet(name));
}
