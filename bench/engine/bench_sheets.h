// Glyph sheets for the benchmarks: the committed artwork when its files are present,
// otherwise synthetic grey sheets of the same size, so the figures never depend on
// whether the artwork has landed (only the label says which was used).
#pragma once

#include <string>

#include "engine/memory_image.h"

// Registers "INDEX" and "INDEX_S" in `images`; returns "artwork" or "synthetic sheets".
std::string AddBenchSheets(MemoryImageFactory& images);
