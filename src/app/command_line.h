// Reading the command line the system starts a screen saver with: the argument text after
// the program name, the run mode its second character selects, and the window handle
// number that follows. Pure text handling, so every rule is checked by native tests.
#pragma once

#include <cstdint>
#include <string>

enum class RunMode {
  kPlain,           // no recognised switch: full-screen without password or running flag
  kSaver,           // S: the system's screen saver
  kPreview,         // P: preview inside the host window whose handle follows
  kSettings,        // C: the settings dialog
  kPasswordChange,  // A: the system's password-change dialog for the window that follows
};

// What the start-up code hands to the entry: the whole process command line without its
// leading blanks and tabs, the program name (quoted or not) and the blanks and tabs after it.
// A null command line reads as an empty one.
std::string ArgumentText(const char* commandLine);

// Only the second character counts (either case); the first, normally "/" or "-", is not read.
RunMode ModeOf(const std::string& argumentText);

// The text from the fourth character on: the third is the separator of "/p 1234" and
// "/c:1234" and is skipped unread. Empty when the argument text is shorter.
std::string NumberText(const std::string& argumentText);

// Signed 32-bit conversion: leading blanks (not tabs), then an optional sign and decimal
// digits within the signed 32-bit range, or "$", "x", "X", "0x" or "0X" and hexadecimal
// digits fitting 32 bits taken as a bit pattern ("$FFFFFFFF" is -1). Anything else throws
// Exception("'<text>' is not a valid integer value").
std::int32_t StrToInt(const std::string& text);
