#include "common/sheet_files.h"

#include <fstream>
#include <utility>

#include "engine/bmp_file.h"

bool AddSheetFiles(MemoryImageFactory& images, const std::string& directory) {
  const std::pair<const char*, const char*> sheets[] = {{"INDEX", "index.bmp"}, {"INDEX_S", "index_s.bmp"}};
  bool all = true;
  for (const auto& [name, file] : sheets) {
    const std::string path = directory + "/" + file;
    if (!std::ifstream(path)) {
      all = false;
      continue;
    }
    images.AddResource(name, ReadBmpFile(path));
  }
  return all;
}
