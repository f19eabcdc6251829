// The command line as Windows hands it to a screen saver: the whole process command line,
// the switch it carries, and the window handle numbers of /p and /a with their error text.
#include "app/command_line.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "base/exception.h"

namespace {

std::string NotAnIntegerMessage(const std::string& text) {
  return "'" + text + "' is not a valid integer value";
}

TEST(ArgumentText, DropsTheProgramNameQuotedOrNot) {
  struct Case {
    const char* commandLine;
    const char* argumentText;
  };
  const Case cases[] = {
      {"\"C:\\Program Files\\Lumivex\\lumivex.scr\" /s", "/s"},
      {"\"C:\\Program Files\\Lumivex\\lumivex.scr\" /p 1234", "/p 1234"},
      {"C:\\WINDOWS\\LUMIVE~1.SCR /s", "/s"},
      {"C:\\WINDOWS\\LUMIVE~1.SCR", ""},
      {"\"C:\\Program Files\\Lumivex\\lumivex.scr\"", ""},
      {"", ""},
      {" \t \"C:\\a b\\x.scr\" \t /c:1234", "/c:1234"},
      {"x.scr\t/c", "/c"},
      {"\"x.scr\"/s", "/s"},
      {"\"\" /s", "/s"},
      {"x.scr /p  1234 ", "/p  1234 "},  // only the blanks after the name go
      {"\"C:\\no closing quote.scr /s", ""},
      // A tab ends even a quoted name; what follows it is argument text.
      {"\"C:\\a\tb.scr\" /s", "b.scr\" /s"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.commandLine);
    EXPECT_EQ(ArgumentText(c.commandLine), c.argumentText);
  }
}

TEST(ArgumentText, NullCommandLineIsEmpty) { EXPECT_EQ(ArgumentText(nullptr), ""); }

TEST(ModeOf, OnlyTheSecondCharacterSelects) {
  struct Case {
    const char* argumentText;
    RunMode mode;
    const char* numberText;
  };
  const Case cases[] = {
      {"/s", RunMode::kSaver, ""},
      {"-s", RunMode::kSaver, ""},
      {"/S", RunMode::kSaver, ""},
      {"xs", RunMode::kSaver, ""},
      {"/settings", RunMode::kSaver, "ttings"},
      {"", RunMode::kPlain, ""},
      {"/", RunMode::kPlain, ""},
      {"s", RunMode::kPlain, ""},
      {"/x", RunMode::kPlain, ""},
      {" s", RunMode::kSaver, ""},
      {"/p 1234", RunMode::kPreview, "1234"},
      {"/p:1234", RunMode::kPreview, "1234"},
      {"/P 1234", RunMode::kPreview, "1234"},
      {"/p", RunMode::kPreview, ""},
      {"/p ", RunMode::kPreview, ""},
      {"/c", RunMode::kSettings, ""},
      {"/c:1234", RunMode::kSettings, "1234"},
      {"/C", RunMode::kSettings, ""},
      {"/a 1234", RunMode::kPasswordChange, "1234"},
      {"-A:99", RunMode::kPasswordChange, "99"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.argumentText);
    EXPECT_EQ(ModeOf(c.argumentText), c.mode);
    EXPECT_EQ(NumberText(c.argumentText), c.numberText);
  }
}

TEST(StrToInt, ConvertsDecimalAndHexadecimal) {
  struct Case {
    const char* text;
    std::int32_t value;
  };
  const Case cases[] = {
      {"0", 0},
      {"1234", 1234},
      {"+1234", 1234},
      {"-1234", -1234},
      {"-0", 0},
      {"   42", 42},
      {"2147483647", 2147483647},
      {"-2147483648", INT32_MIN},
      {"0000000000000000000000000012", 12},
      {"$FF", 255},
      {"$ff", 255},
      {"xA", 10},
      {"X1f", 31},
      {"0x10", 16},
      {"0XaB", 171},
      {"  $10", 16},
      {"$7FFFFFFF", 2147483647},
      {"$FFFFFFFF", -1},
      {"0x80000000", INT32_MIN},
      {"$00000000000000FF", 255},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(StrToInt(c.text), c.value);
  }
}

TEST(StrToInt, RejectsAnythingElseWithTheTextInTheMessage) {
  const char* const texts[] = {
      "",
      " ",
      "\t1",                   // tabs are not skipped
      "1 ",                    // nor trailing blanks
      "12x",
      "x",                     // a prefix without digits
      "$",
      "0x",
      "0X",
      "-$1",                   // no sign before a hexadecimal prefix
      "+0x1",
      "-x1",
      "+",
      "-",
      "- 1",
      "0x 1",
      "1.5",
      "$G",
      "0x1g",
      "2147483648",            // out of range, both ways
      "-2147483649",
      "99999999999999999999999999999999",
      "-99999999999999999999999999999999",
      "$100000000",
      "0xFFFFFFFFFFFFFFFFFFFF",
      "\xE9",
  };
  for (const char* text : texts) {
    SCOPED_TRACE(text);
    try {
      StrToInt(text);
      ADD_FAILURE() << "converted";
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), NotAnIntegerMessage(text));
    }
  }
}

// The way the entry reads the host window of /p: the number text, converted.
TEST(StrToInt, PreviewHandleFromTheArgumentText) {
  EXPECT_EQ(StrToInt(NumberText("/p 1234")), 1234);
  EXPECT_EQ(StrToInt(NumberText("/p:$4D2")), 1234);
  for (const char* argumentText : {"/p", "/p x", "/p 12x"}) {
    SCOPED_TRACE(argumentText);
    const std::string number = NumberText(argumentText);
    try {
      StrToInt(number);
      ADD_FAILURE() << "converted";
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), NotAnIntegerMessage(number));
    }
  }
}

}  // namespace
