// A bitmap resource as the module carries it: a device-independent bitmap without a file
// header (information header, colour table, pixel rows). The loader trusts the sizes in the
// header, so a damaged resource is checked against its own length before it is loaded.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Throws Exception("Resource <name> is damaged") unless the resource holds a whole bitmap:
// an information header of at least 40 bytes, a positive width, a non-zero height, one plane,
// a known bit depth, and every colour-table entry and pixel row its header announces.
void CheckDibResource(const std::uint8_t* data, std::size_t size, const std::string& name);
