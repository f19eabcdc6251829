// The glyph sheet files (res/index*.bmp, every scale step's), compiled into the program at build
// time, so that the Linux program needs no file beside it and always draws the artwork it was
// built with.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The bytes of the sheet file behind a resource name ("INDEX", "INDEX_S", "INDEX_200" ...); empty when the
// program has no sheet of that name.
std::vector<std::uint8_t> EmbeddedSheet(const std::string& name);
