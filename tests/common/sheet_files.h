// The program's two glyph sheets read from the committed BMP files, for tests and benchmarks
// that run the rain over memory images instead of the Windows resources.
#pragma once

#include <string>

#include "engine/memory_image.h"

// Registers "INDEX" from index.bmp and "INDEX_S" from index_s.bmp in `directory`, those whose
// files exist; returns whether both did. A sheet file that exists but cannot be decoded
// throws Exception.
bool AddSheetFiles(MemoryImageFactory& images, const std::string& directory);
