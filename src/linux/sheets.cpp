#include "linux/sheets.h"

#include <cstdint>
#include <vector>

#include "base/exception.h"
#include "engine/bmp_file.h"
#include "linux/embedded_sheets.h"

namespace {

// The resource that holds `name` at `step`: the name itself at step 100, a suffix otherwise.
std::string SheetOfStep(const std::string& name, ScaleStep step) {
  return step == kScaleSteps[0] ? name : name + "_" + std::to_string(step);
}

}  // namespace

MemoryImage LoadEmbeddedSheet(const std::string& name, ScaleStep step) {
  std::vector<std::uint8_t> bytes = EmbeddedSheet(SheetOfStep(name, step));
  // Until a step has sheets of its own the program draws it with those of step 100.
  if (bytes.empty()) bytes = EmbeddedSheet(name);
  if (bytes.empty()) throw Exception("Resource " + name + " not found");
  return DecodeBmp(bytes, name);
}

std::unique_ptr<Image> EmbeddedSheetFactory::CreateBlank(std::int32_t width, std::int32_t height) {
  return std::make_unique<MemoryImage>(width, height);
}

std::unique_ptr<Image> EmbeddedSheetFactory::LoadResource(const std::string& name) {
  return std::make_unique<MemoryImage>(LoadEmbeddedSheet(name, step));
}
