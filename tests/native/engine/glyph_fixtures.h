// Small synthetic glyph sheets and a reader for what the rain drew. Glyph g of a fixture
// sheet is a solid block of grey 5 x (g + 1), and the three colours of the rig are pure
// red, green and blue, so every drawn cell tells which sheet and which glyph landed there.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/memory_image.h"

constexpr std::int32_t kFixtureGlyphs = 50;
constexpr Color kFixtureLight = 0x000000FF;   // red
constexpr Color kFixtureNormal = 0x0000FF00;  // green
constexpr Color kFixtureDark = 0x00FF0000;    // blue

// A grey sheet of 1 column x 50 glyphs of the given cell size.
MemoryImage MakeFixtureSheet(std::int32_t cellWidth, std::int32_t cellHeight);

// The canvas as one string per cell row: per cell "L7" (light sheet, glyph 7), "N", "D",
// "." for a black cell, "W" for a white one and "?" for anything else, space separated.
std::vector<std::string> Picture(const MemoryImage& canvas, std::int32_t cellWidth, std::int32_t cellHeight);
