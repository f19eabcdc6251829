// The glyph sheets of the Linux program, compiled into it (embedded_sheets.h): the grey sheet
// of a resource name ("INDEX", "INDEX_S_200"), decoded into memory, and an image factory that
// hands them to the rain field in place of the Windows program's resources.
#pragma once

#include <memory>
#include <string>

#include "engine/memory_image.h"

// The grey sheet `name`. Throws Exception("Resource <name> not found") for a name the program
// has no sheet of.
MemoryImage LoadEmbeddedSheet(const std::string& name);

// Memory images: blank ones, and the embedded sheets.
class EmbeddedSheetFactory final : public ImageFactory {
 public:
  std::unique_ptr<Image> CreateBlank(std::int32_t width, std::int32_t height) override;
  std::unique_ptr<Image> LoadResource(const std::string& name) override;
};
