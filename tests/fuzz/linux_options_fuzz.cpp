// Fuzz target: the Linux program's command line. The input is one word a line; the first line is
// the daemon's XSCREENSAVER_WINDOW (an empty first line: not set). Every value reader must agree
// with an independent, plainly written reading of its rule, and what the whole parser accepts
// must be a consistent set of options (settings in their ranges, a scale that is one of our
// steps, a window that is a window); what it refuses must be refused with one line of reason.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/display_scale.h"
#include "fuzz_check.h"
#include "linux/options.h"

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsHex(char c) { return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
int HexValue(char c) { return IsDigit(c) ? c - '0' : (c | 0x20) - 'a' + 10; }

bool AllFrom(const std::string& text, std::size_t from, bool (*accept)(char)) {
  if (from >= text.size()) return false;
  for (std::size_t i = from; i < text.size(); ++i) {
    if (!accept(text[i])) return false;
  }
  return true;
}

std::string Significant(const std::string& digits) {
  const std::size_t first = digits.find_first_not_of('0');
  return first == std::string::npos ? "0" : digits.substr(first);
}

// Compared as digit strings, so the reading itself cannot overflow.
bool AtMost(const std::string& significant, const std::string& limit) {
  return significant.size() < limit.size() || (significant.size() == limit.size() && significant <= limit);
}

// Decimal or 0x hex, 1 to 0xFFFFFFFF.
std::optional<std::uint32_t> ExpectedWindowId(const std::string& text) {
  const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  if (!AllFrom(text, hex ? 2 : 0, hex ? IsHex : IsDigit)) return std::nullopt;
  const std::string digits = Significant(text.substr(hex ? 2 : 0));
  if (hex ? digits.size() > 8 : !AtMost(digits, "4294967295")) return std::nullopt;
  std::uint64_t value = 0;
  for (char c : digits) value = value * (hex ? 16 : 10) + static_cast<std::uint64_t>(HexValue(c));
  if (value == 0) return std::nullopt;
  return static_cast<std::uint32_t>(value);
}

// "#RRGGBB" as 0x00BBGGRR.
std::optional<std::int32_t> ExpectedColour(const std::string& text) {
  if (text.size() != 7 || text[0] != '#' || !AllFrom(text, 1, IsHex)) return std::nullopt;
  const auto channel = [&text](std::size_t at) { return HexValue(text[at]) * 16 + HexValue(text[at + 1]); };
  return channel(1) | channel(3) << 8 | channel(5) << 16;
}

// A signed whole decimal number, saturated to 32 bits.
std::optional<std::int32_t> ExpectedNumber(const std::string& text) {
  const bool signed_ = !text.empty() && (text[0] == '-' || text[0] == '+');
  const bool negative = signed_ && text[0] == '-';
  if (!AllFrom(text, signed_ ? 1 : 0, IsDigit)) return std::nullopt;
  const std::string digits = Significant(text.substr(signed_ ? 1 : 0));
  if (!AtMost(digits, negative ? "2147483648" : "2147483647")) return negative ? INT32_MIN : INT32_MAX;
  const long long magnitude = std::stoll(digits);
  return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

// Digits with at most one dot, worth more than 0: some step.
bool ExpectedScaleAccepted(const std::string& text) {
  int dots = 0;
  bool nonZero = false;
  bool digit = false;
  for (char c : text) {
    if (c == '.') {
      ++dots;
    } else if (IsDigit(c)) {
      digit = true;
      nonZero = nonZero || c != '0';
    } else {
      return false;
    }
  }
  return digit && dots <= 1 && nonZero;
}

// Whole seconds, 1 to a day, leading zeros allowed.
std::optional<std::uint32_t> ExpectedIdleSeconds(const std::string& text) {
  if (!AllFrom(text, 0, IsDigit)) return std::nullopt;
  const std::string digits = Significant(text);
  if (digits == "0" || !AtMost(digits, "86400")) return std::nullopt;
  return static_cast<std::uint32_t>(std::stoul(digits));
}

bool IsStep(std::int32_t step) {
  for (const std::int32_t known : kScaleSteps) {
    if (step == known) return true;
  }
  return false;
}

void CheckValueReaders(const std::string& word) {
  FUZZ_CHECK(ParseWindowId(word) == ExpectedWindowId(word), "window id differs from its rule");
  FUZZ_CHECK(ParseColour(word) == ExpectedColour(word), "colour differs from its rule");
  const std::optional<std::int32_t> scale = ParseScale(word);
  FUZZ_CHECK(scale.has_value() == ExpectedScaleAccepted(word), "scale accepted against its rule");
  FUZZ_CHECK(!scale || IsStep(*scale), "scale is not one of the steps");
  FUZZ_CHECK(ParseIdleSeconds(word) == ExpectedIdleSeconds(word), "idle seconds differ from their rule");

  // Each setting option with the word: colours as colours, numbers clamped into the range.
  for (const SettingInfo& setting : kSettings) {
    const ParseResult result = ParseOptions({OptionName(setting), word}, nullptr);
    const std::optional<std::int32_t> expected =
        setting.kind == SettingKind::Colour ? ExpectedColour(word) : ExpectedNumber(word);
    FUZZ_CHECK(result.options.has_value() == expected.has_value(), "setting value accepted against its rule");
    if (!expected) continue;
    const std::int32_t value = result.options->settings.Get(setting.id);
    if (setting.kind == SettingKind::Colour) {
      FUZZ_CHECK(value == *expected, "colour setting differs from the text");
    } else {
      const std::int32_t clamped =
          *expected < setting.minimum ? setting.minimum : *expected > setting.maximum ? setting.maximum : *expected;
      FUZZ_CHECK(value == clamped, "number setting is not the text clamped into its range");
    }
  }
}

void CheckWholeLine(const std::vector<std::string>& args, const std::optional<std::string>& daemonWindow) {
  const ParseResult result = ParseOptions(args, daemonWindow ? daemonWindow->c_str() : nullptr);
  if (!result.options) {
    FUZZ_CHECK(!result.error.empty(), "refused without a reason");
    return;
  }
  FUZZ_CHECK(result.error.empty(), "accepted with an error");
  const LinuxOptions& options = *result.options;
  FUZZ_CHECK(!options.scale || IsStep(*options.scale), "scale is not one of the steps");
  for (const SettingInfo& setting : kSettings) {
    const std::int32_t value = options.settings.Get(setting.id);
    if (setting.kind == SettingKind::Colour)
      FUZZ_CHECK(value >= 0 && value <= 0xFFFFFF, "colour outside 24 bits");
    else
      FUZZ_CHECK(value >= setting.minimum && value <= setting.maximum, "setting outside its range");
  }
  FUZZ_CHECK(options.target != DrawTarget::kWindowId || options.window != 0, "window id target without a window");
  FUZZ_CHECK(!options.wayland || options.target == DrawTarget::kOwnWindow, "a Wayland overlay with an X target");
  FUZZ_CHECK(!options.idleSeconds || (options.target == DrawTarget::kOwnWindow && !options.background &&
                                      *options.idleSeconds >= 1 && *options.idleSeconds <= kMaxIdleSeconds),
             "-idle with an X target, with the wallpaper or out of its range");
  if (options.target == DrawTarget::kRoot && options.window != 0)
    FUZZ_CHECK(daemonWindow && ExpectedWindowId(*daemonWindow) == options.window,
               "root target names a window the daemon did not");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> lines;
  for (std::size_t at = 0; at <= text.size();) {
    const std::size_t end = std::min(text.find('\n', at), text.size());
    lines.push_back(text.substr(at, end - at));
    at = end + 1;
  }
  // Words from a command line or the environment end at their first zero byte.
  for (std::string& line : lines) line = line.substr(0, line.find('\0'));

  std::optional<std::string> daemonWindow;
  if (!lines.front().empty()) daemonWindow = lines.front();
  const std::vector<std::string> args(lines.begin() + 1, lines.end());
  for (const std::string& word : args) CheckValueReaders(word);
  CheckWholeLine(args, daemonWindow);
  return 0;
}
