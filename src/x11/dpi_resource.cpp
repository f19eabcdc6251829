// Xlib reads RESOURCE_MANAGER when it connects (XResourceManagerString), so this costs no
// round trip. A resource line is "name:value" with optional blanks around the colon.
#include "x11/dpi_resource.h"

#include <cstdlib>
#include <sstream>
#include <string>

namespace {

std::string Trimmed(const std::string& text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace

double XftDpiOf(const char* resources) {
  if (!resources) return 0;
  std::istringstream lines(resources);
  std::string line;
  double dpi = 0;
  while (std::getline(lines, line)) {
    const auto colon = line.find(':');
    if (colon == std::string::npos || Trimmed(line.substr(0, colon)) != "Xft.dpi") continue;
    const std::string value = Trimmed(line.substr(colon + 1));
    char* end = nullptr;
    const double parsed = std::strtod(value.c_str(), &end);
    // The database's last line for a name wins, as in Xrm; a bad value counts as none.
    dpi = !value.empty() && *end == '\0' && parsed > 0 && parsed < 10000 ? parsed : 0;
  }
  return dpi;
}

double ServerDpi(Display* display) {
  const double dpi = XftDpiOf(XResourceManagerString(display));
  return dpi > 0 ? dpi : 96;
}
