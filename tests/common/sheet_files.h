// The program's glyph sheets read from the committed BMP files, for tests and benchmarks that
// run the rain over memory images instead of the Windows resources.
#pragma once

#include <string>

#include "engine/memory_image.h"

// The file of a sheet resource: its name in lower case with ".bmp" ("INDEX_S_200" is
// index_s_200.bmp).
std::string SheetFileName(const std::string& resource);

// Registers every sheet of every display scale step ("INDEX", "INDEX_S", "INDEX_125", ...) from
// its file in `directory`, those whose files exist; returns whether all did. A sheet file that
// exists but cannot be decoded throws Exception.
bool AddSheetFiles(MemoryImageFactory& images, const std::string& directory);
