// res/x11/lumivex.xml, the module description a daemon's settings dialog reads, against the
// settings table: one slider per number with the slider's range and design value, one colour
// field per colour, each passing the option that the program itself accepts; and a choice of
// every glyph scale step besides the desktop's own.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "engine/display_scale.h"
#include "linux/options.h"

namespace {

using Attributes = std::map<std::string, std::string>;

struct Element {
  std::string tag;
  Attributes attributes;
};

// The <number>, <string> and <command> elements of the description, by their id (or tag).
std::string ReadDescription() {
  std::ifstream file(std::string(LUMIVEX_RES_DIR) + "/x11/lumivex.xml");
  return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

std::map<std::string, Element> ReadElements() {
  const std::string text = ReadDescription();
  EXPECT_FALSE(text.empty()) << "res/x11/lumivex.xml is missing";
  std::map<std::string, Element> elements;
  const std::regex element(R"(<(number|string|command|boolean|select|file)\b([^>]*)/?>)");
  const std::regex attribute(R"(([-\w]+)\s*=\s*"([^"]*)\")");
  for (auto match = std::sregex_iterator(text.begin(), text.end(), element); match != std::sregex_iterator();
       ++match) {
    Element found{(*match)[1], {}};
    const std::string inside = (*match)[2];
    for (auto pair = std::sregex_iterator(inside.begin(), inside.end(), attribute); pair != std::sregex_iterator();
         ++pair)
      found.attributes[(*pair)[1]] = (*pair)[2];
    const std::string key = found.attributes.count("id") ? found.attributes["id"] : found.tag;
    EXPECT_FALSE(elements.count(key)) << "two elements named " << key;
    elements[key] = found;
  }
  return elements;
}

}  // namespace

TEST(ModuleDescriptionTest, HasOneControlPerSettingAsTheTableDeclaresIt) {
  auto elements = ReadElements();
  ASSERT_TRUE(elements.count("command"));
  EXPECT_EQ(elements["command"].attributes["arg"], "-root");
  EXPECT_EQ(elements.size(), kSettingCount + 2) << "a control the settings table does not have";
  EXPECT_EQ(elements["scale"].tag, "select");

  for (const SettingInfo& setting : kSettings) {
    const std::string option = OptionName(setting);
    SCOPED_TRACE(option);
    const auto found = elements.find(option.substr(1));
    ASSERT_NE(found, elements.end()) << "no control with id " << option.substr(1);
    Attributes& a = found->second.attributes;
    EXPECT_EQ(a["arg"], option + " %");
    if (setting.kind == SettingKind::Slider) {
      EXPECT_EQ(found->second.tag, "number");
      EXPECT_EQ(a["type"], "slider");
      EXPECT_EQ(a["low"], std::to_string(setting.minimum));
      EXPECT_EQ(a["high"], std::to_string(setting.maximum));
      EXPECT_EQ(a["default"], std::to_string(setting.designValue));
    } else {
      EXPECT_EQ(found->second.tag, "string");
      EXPECT_EQ(ParseColour(a["default"]), setting.designValue) << a["default"];
    }
    // What the dialog passes is what the program takes.
    const ParseResult parsed = ParseOptions({option, a["default"]}, nullptr);
    ASSERT_TRUE(parsed.options) << parsed.error;
    EXPECT_EQ(parsed.options->settings.Get(setting.id), setting.designValue);
  }
}

TEST(ModuleDescriptionTest, OffersEveryScaleStepAndTheDesktopsScale) {
  const std::string text = ReadDescription();
  const std::regex option(R"(<option\b([^>]*)/>)");
  const std::regex argumentSet(R"re(arg-set="([^"]*)")re");
  std::vector<std::int32_t> steps;
  int withoutArgument = 0;
  for (auto match = std::sregex_iterator(text.begin(), text.end(), option); match != std::sregex_iterator();
       ++match) {
    const std::string inside = (*match)[1];
    std::smatch found;
    const std::string argument = std::regex_search(inside, found, argumentSet) ? found[1].str() : "";
    if (argument.empty()) {
      ++withoutArgument;
      continue;
    }
    SCOPED_TRACE(argument);
    ASSERT_EQ(argument.rfind("-scale ", 0), 0u);
    const ParseResult parsed = ParseOptions({"-scale", argument.substr(7)}, nullptr);
    ASSERT_TRUE(parsed.options) << parsed.error;
    steps.push_back(*parsed.options->scale);
  }
  EXPECT_EQ(withoutArgument, 1) << "one choice leaves the scale to the desktop";
  EXPECT_EQ(steps, std::vector<std::int32_t>(std::begin(kScaleSteps), std::end(kScaleSteps)));
}
