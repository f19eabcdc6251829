// Fuzz target: the process command line through the start-up rules (argument text, run mode,
// number text) and the integer conversion. Every accepted number must be the one an
// independent, plainly written reading of the conversion rules gives, and every refused text
// must be refused with exactly the conversion error's text.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "app/command_line.h"
#include "base/exception.h"
#include "fuzz_check.h"

namespace {

// ---- the conversion rules, read one clause at a time -------------------------------------

bool IsHex(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool AllOf(const std::string& text, bool (*accept)(char)) {
  for (char c : text) {
    if (!accept(c)) return false;
  }
  return true;
}

std::string WithoutLeadingZeros(const std::string& digits) {
  const std::size_t first = digits.find_first_not_of('0');
  return first == std::string::npos ? "0" : digits.substr(first);
}

int HexValue(char c) {
  if (IsDigit(c)) return c - '0';
  return (c | 0x20) - 'a' + 10;
}

// Nothing when the text is not a valid integer value.
std::optional<std::int32_t> ExpectedNumber(const std::string& text) {
  std::string rest = text;
  while (!rest.empty() && rest[0] == ' ') rest.erase(0, 1);  // blanks only, never tabs

  for (const std::string prefix : {"0x", "0X", "$", "x", "X"}) {
    if (rest.compare(0, prefix.size(), prefix) != 0) continue;
    const std::string digits = rest.substr(prefix.size());
    if (digits.empty() || !AllOf(digits, IsHex)) return std::nullopt;
    const std::string significant = WithoutLeadingZeros(digits);
    if (significant.size() > 8) return std::nullopt;  // more than 32 bits
    std::uint32_t pattern = 0;
    for (char c : significant) pattern = pattern * 16 + static_cast<std::uint32_t>(HexValue(c));
    return static_cast<std::int32_t>(pattern);  // the 32 bits as they stand
  }

  bool negative = false;
  if (!rest.empty() && (rest[0] == '+' || rest[0] == '-')) {
    negative = rest[0] == '-';
    rest.erase(0, 1);
  }
  if (rest.empty() || !AllOf(rest, IsDigit)) return std::nullopt;
  const std::string significant = WithoutLeadingZeros(rest);
  // Compared as digit strings, so no arithmetic of the reading itself can overflow.
  const std::string limit = negative ? "2147483648" : "2147483647";
  if (significant.size() > limit.size() ||
      (significant.size() == limit.size() && significant > limit)) {
    return std::nullopt;
  }
  const long long magnitude = std::stoll(significant);
  return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

void CheckConversion(const std::string& text) {
  const std::optional<std::int32_t> expected = ExpectedNumber(text);
  try {
    const std::int32_t value = StrToInt(text);
    FUZZ_CHECK(expected.has_value(), "accepted a text the rules refuse");
    FUZZ_CHECK(value == *expected, "converted to another number than the rules give");
  } catch (const Exception& error) {
    FUZZ_CHECK(!expected.has_value(), "refused a text the rules accept");
    FUZZ_CHECK(error.Message() == "'" + text + "' is not a valid integer value",
               "refused with another text than the conversion error");
  }
}

// ---- the start-up rules ----------------------------------------------------------------

bool IsBlankOrTab(char c) { return c == ' ' || c == '\t'; }

std::string ExpectedArgumentText(const std::string& line) {
  std::size_t at = 0;
  while (at < line.size() && IsBlankOrTab(line[at])) ++at;
  if (at < line.size() && line[at] == '"') {
    const std::size_t end = line.find_first_of("\"\t", at + 1);
    at = end == std::string::npos ? line.size() : end;
  } else {
    const std::size_t end = line.find_first_of(" \t", at);
    at = end == std::string::npos ? line.size() : end;
  }
  if (at < line.size() && line[at] == '"') ++at;
  while (at < line.size() && IsBlankOrTab(line[at])) ++at;
  return line.substr(at);
}

RunMode ExpectedMode(const std::string& arguments) {
  if (arguments.size() < 2) return RunMode::kPlain;
  switch (arguments[1]) {
    case 'A': case 'a': return RunMode::kPasswordChange;
    case 'C': case 'c': return RunMode::kSettings;
    case 'P': case 'p': return RunMode::kPreview;
    case 'S': case 's': return RunMode::kSaver;
    default: return RunMode::kPlain;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Texts from the system end at their first zero byte: a command line cannot hold one.
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const std::string line = bytes.substr(0, bytes.find('\0'));

  // The number alone, with every other byte value (a window handle text may hold anything).
  CheckConversion(line);

  // The whole command line through the start-up rules.
  const std::string arguments = ArgumentText(line.c_str());
  FUZZ_CHECK(arguments == ExpectedArgumentText(line), "argument text differs from the start-up rules");
  FUZZ_CHECK(ModeOf(arguments) == ExpectedMode(arguments), "run mode differs from the second character");
  const std::string number = NumberText(arguments);
  FUZZ_CHECK(number == (arguments.size() > 3 ? arguments.substr(3) : ""), "number text is not from the fourth character");
  CheckConversion(number);
  return 0;
}
