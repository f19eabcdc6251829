// The check a bitmap resource passes before the loader trusts its header: the program's own
// sheets pass whole, and every cut or damaged header field is refused by name.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "engine/dib_resource.h"
#include "base/exception.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// A resource as windres stores it: the .bmp file without its 14-byte file header.
Bytes SheetResource(const char* file) {
  std::ifstream in(std::string(LUMIVEX_RES_DIR) + "/" + file, std::ios::binary);
  Bytes bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  return Bytes(bytes.begin() + 14, bytes.end());
}

void Put32(Bytes& bytes, std::size_t at, std::uint32_t value) {
  for (std::size_t i = 0; i < 4; ++i) bytes.at(at + i) = static_cast<std::uint8_t>(value >> (8 * i));
}

bool Passes(const Bytes& bytes) {
  try {
    CheckDibResource(bytes.data(), bytes.size(), "INDEX");
    return true;
  } catch (const Exception& error) {
    EXPECT_EQ(error.Message(), "Resource INDEX is damaged");
    return false;
  }
}

TEST(DibResource, TheProgramsSheetsPassWhole) {
  for (const char* file : {"index.bmp", "index_s.bmp"}) {
    const Bytes sheet = SheetResource(file);
    ASSERT_GT(sheet.size(), 40u) << file;
    EXPECT_TRUE(Passes(sheet)) << file;
    // The two trailing bytes windres keeps are slack; one pixel byte less is not.
    const std::size_t rowBytes = sheet.size() - 40 - 256 * 4 - 2;
    EXPECT_FALSE(Passes(Bytes(sheet.begin(), sheet.begin() + 40 + 256 * 4 + rowBytes - 1))) << file;
  }
}

TEST(DibResource, CutOrDamagedHeadersAreRefused) {
  const Bytes sheet = SheetResource("index.bmp");
  struct Case {
    const char* name;
    std::function<void(Bytes&)> damage;
  };
  const Case cases[] = {
      {"empty", [](Bytes& b) { b.clear(); }},
      {"cut inside the header", [](Bytes& b) { b.resize(39); }},
      {"cut inside the colour table", [](Bytes& b) { b.resize(586); }},
      {"header size below 40", [](Bytes& b) { Put32(b, 0, 12); }},
      {"header size past the end", [](Bytes& b) { Put32(b, 0, 0x7FFFFFFF); }},
      {"width 0", [](Bytes& b) { Put32(b, 4, 0); }},
      {"negative width", [](Bytes& b) { Put32(b, 4, 0xFFFFFFF6); }},
      {"height 0", [](Bytes& b) { Put32(b, 8, 0); }},
      {"two planes", [](Bytes& b) { b[12] = 2; }},
      {"7 bits a pixel", [](Bytes& b) { b[14] = 7; }},
      {"300 colours for 8 bits", [](Bytes& b) { Put32(b, 32, 300); }},
      {"taller than its rows", [](Bytes& b) { Put32(b, 8, 751); }},
      {"wider than its rows", [](Bytes& b) { Put32(b, 4, 13); }},
      {"sizes whose product overflows", [](Bytes& b) { Put32(b, 4, 0x7FFFFFFF); Put32(b, 8, 0x80000000); }},
  };
  for (const Case& c : cases) {
    Bytes damaged = sheet;
    c.damage(damaged);
    EXPECT_FALSE(Passes(damaged)) << c.name;
  }
  // Top-down rows and a full-colour image are bitmaps as good as the sheets.
  Bytes topDown = sheet;
  Put32(topDown, 8, static_cast<std::uint32_t>(-750));
  EXPECT_TRUE(Passes(topDown));
  Bytes fullColour(40 + 3 * 4 * 2, 0);  // 3 x 2 pixels of 24 bits: rows of 12 bytes
  Put32(fullColour, 0, 40);
  Put32(fullColour, 4, 3);
  Put32(fullColour, 8, 2);
  fullColour[12] = 1;
  fullColour[14] = 24;
  EXPECT_TRUE(Passes(fullColour));
  fullColour.pop_back();
  EXPECT_FALSE(Passes(fullColour));
}

}  // namespace
