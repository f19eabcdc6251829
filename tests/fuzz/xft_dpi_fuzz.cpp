// Fuzz target: the Xft.dpi reader over any resource database text (the server's
// RESOURCE_MANAGER property, which any client of the display may set). The reading must be 0 or
// a usable DPI, never a NaN or a huge number; only the last Xft.dpi line may decide it; and a
// plain decimal value must read as an independent digit-by-digit reading of it.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "fuzz_check.h"
#include "x11/dpi_resource.h"

namespace {

std::string Trimmed(const std::string& text) {
  std::size_t first = 0;
  std::size_t last = text.size();
  while (first < last && (text[first] == ' ' || text[first] == '\t')) ++first;
  while (last > first && (text[last - 1] == ' ' || text[last - 1] == '\t')) --last;
  return text.substr(first, last - first);
}

// The value text of the database's last Xft.dpi line, if it has one.
std::optional<std::string> LastDpiValue(const std::string& text) {
  std::optional<std::string> value;
  for (std::size_t at = 0; at < text.size();) {
    std::size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(at, end - at);
    const std::size_t colon = line.find(':');
    if (colon != std::string::npos && Trimmed(line.substr(0, colon)) == "Xft.dpi")
      value = Trimmed(line.substr(colon + 1));
    at = end + 1;
  }
  return value;
}

// Digits with at most one dot (at least one digit, at most 12 in all, so a double holds the
// reading well): its value; nothing for any other text.
std::optional<double> PlainDecimal(const std::string& text) {
  double whole = 0;
  double fraction = 0;
  double unit = 1;
  int digits = 0;
  bool dot = false;
  for (char c : text) {
    if (c == '.' && !dot) {
      dot = true;
    } else if (c >= '0' && c <= '9') {
      ++digits;
      if (dot)
        fraction += (c - '0') * (unit /= 10);
      else
        whole = whole * 10 + (c - '0');
    } else {
      return std::nullopt;
    }
  }
  if (digits == 0 || digits > 12) return std::nullopt;
  return whole + fraction;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The property is a C string: it ends at its first zero byte.
  std::string text(reinterpret_cast<const char*>(data), size);
  text = text.substr(0, text.find('\0'));

  const double dpi = XftDpiOf(text.c_str());
  FUZZ_CHECK(dpi == 0 || (dpi > 0 && dpi < 10000), "a DPI that is neither 0 nor usable");

  const std::optional<std::string> value = LastDpiValue(text);
  if (!value) {
    FUZZ_CHECK(dpi == 0, "a DPI from a text without an Xft.dpi line");
  } else {
    // Only the last line counts: it alone reads the same.
    const std::string alone = "Xft.dpi:" + *value;
    FUZZ_CHECK(XftDpiOf(alone.c_str()) == dpi, "something before the last Xft.dpi line changed the reading");
    const std::optional<double> plain = PlainDecimal(*value);
    if (plain) {
      const double expected = *plain > 0 && *plain < 10000 ? *plain : 0;
      FUZZ_CHECK(std::fabs(dpi - expected) <= 1e-9 * expected, "a plain decimal read as another number");
    }
  }

  // A later line always wins.
  const std::string overridden = text + "\nXft.dpi:\t144\n";
  FUZZ_CHECK(XftDpiOf(overridden.c_str()) == 144, "a later Xft.dpi line did not win");
  return 0;
}
