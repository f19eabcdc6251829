// Reads the glyph sheets as stored on disk: Windows .bmp files (file header, information
// header, palette, 8-bit rows). The program itself loads them as resources; this reader
// lets native tests and benchmarks run the rain on the real artwork.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/memory_image.h"

// Decodes an uncompressed 8-bit palette .bmp, bottom-up or top-down, into full colour.
// Anything else, or a file whose sizes do not hold together, throws Exception naming `origin`.
MemoryImage DecodeBmp(const std::vector<std::uint8_t>& bytes, const std::string& origin);

// DecodeBmp of the file's contents; an unreadable file throws Exception too.
MemoryImage ReadBmpFile(const std::string& path);
