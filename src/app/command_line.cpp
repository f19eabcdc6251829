// The start-up rules for the argument text and the integer conversion of window handles.
// Characters are compared as plain ASCII on purpose: the rules must not shift with the
// locale, and bytes above 127 are simply "any other character".
#include "app/command_line.h"

#include <cstdint>

#include "base/exception.h"

namespace {

bool IsBlankOrTab(char c) { return c == ' ' || c == '\t'; }

bool IsDecimalDigit(char c) { return c >= '0' && c <= '9'; }

// The value of a hexadecimal digit of either case, or -1 for any other character.
int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

[[noreturn]] void ThrowNotAnInteger(const std::string& text) {
  throw Exception("'" + text + "' is not a valid integer value");
}

// Length of a hexadecimal prefix at `pos` ("$", "x", "X", "0x", "0X"), or 0 when there is none.
std::size_t HexPrefixLength(const std::string& text, std::size_t pos) {
  if (pos >= text.size()) return 0;
  const char first = text[pos];
  if (first == '$' || first == 'x' || first == 'X') return 1;
  if (first == '0' && pos + 1 < text.size() && (text[pos + 1] == 'x' || text[pos + 1] == 'X')) return 2;
  return 0;
}

}  // namespace

std::string ArgumentText(const char* commandLine) {
  if (commandLine == nullptr) return std::string();
  const char* p = commandLine;
  while (IsBlankOrTab(*p)) ++p;
  if (*p == '"') {
    ++p;
    while (*p != '\0' && *p != '"' && *p != '\t') ++p;
  } else {
    while (*p != '\0' && !IsBlankOrTab(*p)) ++p;
  }
  if (*p == '"') ++p;
  while (IsBlankOrTab(*p)) ++p;
  return std::string(p);
}

RunMode ModeOf(const std::string& argumentText) {
  if (argumentText.size() < 2) return RunMode::kPlain;
  switch (UpperAscii(argumentText[1])) {
    case 'A': return RunMode::kPasswordChange;
    case 'C': return RunMode::kSettings;
    case 'P': return RunMode::kPreview;
    case 'S': return RunMode::kSaver;
    default: return RunMode::kPlain;
  }
}

std::string NumberText(const std::string& argumentText) {
  return argumentText.size() > 3 ? argumentText.substr(3) : std::string();
}

std::int32_t StrToInt(const std::string& text) {
  std::size_t pos = 0;
  while (pos < text.size() && text[pos] == ' ') ++pos;

  // Digits are accumulated in 64 bits and the loop stops as soon as the value leaves the
  // 32-bit range, so a long string of digits can never overflow the accumulator.
  if (const std::size_t prefix = HexPrefixLength(text, pos)) {
    pos += prefix;
    if (pos == text.size()) ThrowNotAnInteger(text);
    std::uint64_t value = 0;
    for (; pos < text.size(); ++pos) {
      const int digit = HexDigitValue(text[pos]);
      if (digit < 0) ThrowNotAnInteger(text);
      value = value * 16 + static_cast<std::uint64_t>(digit);
      if (value > 0xFFFFFFFFull) ThrowNotAnInteger(text);
    }
    // The 32 bits are a pattern: the upper half of the range reads as negative.
    const std::int64_t pattern = static_cast<std::int64_t>(value);
    return static_cast<std::int32_t>(value > 0x7FFFFFFFull ? pattern - 0x100000000ll : pattern);
  }

  bool negative = false;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
    negative = text[pos] == '-';
    ++pos;
  }
  if (pos == text.size()) ThrowNotAnInteger(text);
  const std::int64_t limit = negative ? 0x80000000ll : 0x7FFFFFFFll;
  std::int64_t magnitude = 0;
  for (; pos < text.size(); ++pos) {
    if (!IsDecimalDigit(text[pos])) ThrowNotAnInteger(text);
    magnitude = magnitude * 10 + (text[pos] - '0');
    if (magnitude > limit) ThrowNotAnInteger(text);
  }
  return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}
