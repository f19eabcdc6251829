#include "common/sheet_files.h"

#include <cctype>
#include <fstream>

#include "engine/bmp_file.h"
#include "engine/display_scale.h"

std::string SheetFileName(const std::string& resource) {
  std::string file = resource;
  for (char& c : file) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return file + ".bmp";
}

bool AddSheetFiles(MemoryImageFactory& images, const std::string& directory) {
  bool all = true;
  for (const GlyphSheetSize& sheet : AllGlyphSheets()) {
    const std::string path = directory + "/" + SheetFileName(sheet.resource);
    if (!std::ifstream(path)) {
      all = false;
      continue;
    }
    images.AddResource(sheet.resource, ReadBmpFile(path));
  }
  return all;
}
