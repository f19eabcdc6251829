// The command line of the X11 program, as tables of good and bad command lines: where the rain
// goes, what each setting becomes (clamped as the sliders clamp), and the one-line reason a bad
// command line is refused with.
#include <gtest/gtest.h>

#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "linux/options.h"
namespace {


struct GoodLine {
  std::vector<std::string> args;
  const char* daemonWindow;  // XSCREENSAVER_WINDOW, or null
  DrawTarget target;
  std::uint32_t window;
  std::vector<std::pair<SettingId, std::int32_t>> settings;  // the values that differ from the design
};

struct BadLine {
  std::vector<std::string> args;
  const char* daemonWindow;
  const char* error;
};

std::string Joined(const std::vector<std::string>& args) {
  std::string text;
  for (const std::string& arg : args) text += "[" + arg + "] ";
  return text;
}

}  // namespace

TEST(LinuxOptionsTest, GoodCommandLinesChooseTheWindowAndTheSettings) {
  const GoodLine lines[] = {
      {{}, nullptr, DrawTarget::kOwnWindow, 0, {}},
      {{}, "0x400007", DrawTarget::kOwnWindow, 0, {}},  // only -root reads the daemon's window
      {{"-root"}, nullptr, DrawTarget::kRoot, 0, {}},
      {{"-root"}, "", DrawTarget::kRoot, 0, {}},
      {{"-root"}, "0x400007", DrawTarget::kRoot, 0x400007, {}},
      {{"-root"}, "4194311", DrawTarget::kRoot, 4194311, {}},
      {{"-window-id", "12345"}, nullptr, DrawTarget::kWindowId, 12345, {}},
      {{"-window-id", "0X2a"}, nullptr, DrawTarget::kWindowId, 42, {}},
      {{"-window-id", "0xFFFFFFFF"}, nullptr, DrawTarget::kWindowId, 0xFFFFFFFF, {}},
      // A named window is the more specific request: a preview's -window-id beats -root.
      {{"-root", "-window-id", "7"}, "9", DrawTarget::kWindowId, 7, {}},
      {{"-window-id", "7", "-root"}, "9", DrawTarget::kWindowId, 7, {}},
      {{"-speed", "180", "-density", "0", "-balance", "-100", "-noise", "500", "-inversion", "200"},
       nullptr, DrawTarget::kOwnWindow, 0,
       {{SettingId::Speed, 180}, {SettingId::Density, 0}, {SettingId::Balance, -100},
        {SettingId::Noise, 500}, {SettingId::Inversion, 200}}},
      // Out of range numbers are clamped, however large.
      {{"-speed", "300", "-density", "-1", "-balance", "+101", "-noise", "99999999999999999999999"},
       nullptr, DrawTarget::kOwnWindow, 0,
       {{SettingId::Speed, 200}, {SettingId::Density, 0}, {SettingId::Balance, 100}, {SettingId::Noise, 500}}},
      {{"-inversion", "-2147483649"}, nullptr, DrawTarget::kOwnWindow, 0, {{SettingId::Inversion, 0}}},
      {{"-speed", "120", "-speed", "180"}, nullptr, DrawTarget::kOwnWindow, 0, {{SettingId::Speed, 180}}},
      // Colours are #RRGGBB on the command line and 0x00BBGGRR inside.
      {{"-normal-color", "#FF8000", "-light-color", "#abcdef", "-dark-color", "#000001"},
       nullptr, DrawTarget::kOwnWindow, 0,
       {{SettingId::NormalColor, 0x000080FF}, {SettingId::LightColor, 0x00EFCDAB}, {SettingId::DarkColor, 0x00010000}}},
  };
  for (const GoodLine& line : lines) {
    SCOPED_TRACE(Joined(line.args) + "XSCREENSAVER_WINDOW=" + (line.daemonWindow ? line.daemonWindow : "(unset)"));
    const ParseResult result = ParseOptions(line.args, line.daemonWindow);
    ASSERT_TRUE(result.options) << result.error;
    EXPECT_EQ(result.options->target, line.target);
    EXPECT_EQ(result.options->window, line.window);
    for (const SettingInfo& setting : kSettings) {
      std::int32_t expected = setting.designValue;
      for (const auto& [id, value] : line.settings)
        if (id == setting.id) expected = value;
      EXPECT_EQ(result.options->settings.Get(setting.id), expected) << setting.storeName;
    }
  }
}

TEST(LinuxOptionsTest, BadCommandLinesAreRefusedWithOneLineSayingWhy) {
  const BadLine lines[] = {
      {{"-bogus"}, nullptr, "unknown option '-bogus'"},
      {{"root"}, nullptr, "unknown option 'root'"},
      {{"--speed", "150"}, nullptr, "unknown option '--speed'"},
      {{"-Speed", "150"}, nullptr, "unknown option '-Speed'"},
      {{"-speed"}, nullptr, "-speed needs a value"},
      {{"-root", "-window-id"}, nullptr, "-window-id needs a value"},
      {{"-display"}, nullptr, "-display needs a value"},
      {{"-speed", "fast"}, nullptr, "-speed: 'fast' is not a whole number"},
      {{"-noise", "1.5"}, nullptr, "-noise: '1.5' is not a whole number"},
      {{"-density", ""}, nullptr, "-density: '' is not a whole number"},
      {{"-balance", " 10"}, nullptr, "-balance: ' 10' is not a whole number"},
      {{"-balance", "-"}, nullptr, "-balance: '-' is not a whole number"},
      {{"-inversion", "0x10"}, nullptr, "-inversion: '0x10' is not a whole number"},
      {{"-normal-color", "009000"}, nullptr, "-normal-color: '009000' is not a colour #RRGGBB"},
      {{"-light-color", "#88FF8"}, nullptr, "-light-color: '#88FF8' is not a colour #RRGGBB"},
      {{"-dark-color", "#0060000"}, nullptr, "-dark-color: '#0060000' is not a colour #RRGGBB"},
      {{"-dark-color", "#00G000"}, nullptr, "-dark-color: '#00G000' is not a colour #RRGGBB"},
      {{"-dark-color", "green"}, nullptr, "-dark-color: 'green' is not a colour #RRGGBB"},
      {{"-window-id", "0"}, nullptr, "-window-id: '0' is not a window id (decimal or 0x hex)"},
      {{"-window-id", "0x"}, nullptr, "-window-id: '0x' is not a window id (decimal or 0x hex)"},
      {{"-window-id", "-3"}, nullptr, "-window-id: '-3' is not a window id (decimal or 0x hex)"},
      {{"-window-id", "0x100000000"}, nullptr, "-window-id: '0x100000000' is not a window id (decimal or 0x hex)"},
      {{"-window-id", "12ab"}, nullptr, "-window-id: '12ab' is not a window id (decimal or 0x hex)"},
      {{"-root"}, "junk", "XSCREENSAVER_WINDOW: 'junk' is not a window id"},
      {{"-wayland", "-root"}, nullptr, "-wayland cannot go with -root"},
      {{"-window-id", "7", "-wayland"}, nullptr, "-wayland cannot go with -window-id"},
      {{"-background", "-root"}, nullptr, "-background cannot go with -root"},
      {{"-wayland", "-background", "-window-id", "7"}, nullptr, "-background cannot go with -window-id"},
      {{"-scale"}, nullptr, "-scale needs a value"},
      {{"-scale", "0"}, nullptr, "-scale: '0' is not a scale (a number such as 1.5)"},
      {{"-scale", "-2"}, nullptr, "-scale: '-2' is not a scale (a number such as 1.5)"},
      {{"-scale", "inf"}, nullptr, "-scale: 'inf' is not a scale (a number such as 1.5)"},
      {{"-scale", "1.2.5"}, nullptr, "-scale: '1.2.5' is not a scale (a number such as 1.5)"},
      {{"-scale", "."}, nullptr, "-scale: '.' is not a scale (a number such as 1.5)"},
      {{"-scale", " 2"}, nullptr, "-scale: ' 2' is not a scale (a number such as 1.5)"},
      {{"-scale", "2x"}, nullptr, "-scale: '2x' is not a scale (a number such as 1.5)"},
      {{"-wayland", "-idle"}, nullptr, "-idle needs a value"},
      {{"-idle", "0"}, nullptr, "-idle: '0' is not a number of seconds from 1 to 86400"},
      {{"-idle", "86401"}, nullptr, "-idle: '86401' is not a number of seconds from 1 to 86400"},
      {{"-idle", "99999999999999999999"}, nullptr,
       "-idle: '99999999999999999999' is not a number of seconds from 1 to 86400"},
      {{"-idle", "-5"}, nullptr, "-idle: '-5' is not a number of seconds from 1 to 86400"},
      {{"-idle", "2.5"}, nullptr, "-idle: '2.5' is not a number of seconds from 1 to 86400"},
      {{"-idle", "5m"}, nullptr, "-idle: '5m' is not a number of seconds from 1 to 86400"},
      {{"-idle", "300", "-root"}, nullptr, "-idle cannot go with -root"},
      {{"-background", "-idle", "300"}, nullptr, "-idle cannot go with -background"},
      // A good option does not excuse a bad one after it.
      {{"-speed", "150", "-bogus"}, nullptr, "unknown option '-bogus'"},
  };
  for (const BadLine& line : lines) {
    SCOPED_TRACE(Joined(line.args));
    const ParseResult result = ParseOptions(line.args, line.daemonWindow);
    EXPECT_FALSE(result.options);
    EXPECT_EQ(result.error, line.error);
  }
}

TEST(LinuxOptionsTest, UsageNamesEveryOptionWithTheSlidersRangesAndDesignValues) {
  const std::string usage = UsageText("lumivex");
  for (const char* line : {"-speed          100 to 200 (default 150)", "-balance        -100 to 100 (default -30)",
                           "-normal-color   #RRGGBB (default #009000)", "-light-color    #RRGGBB (default #88FF88)",
                           "-root", "-window-id ID", "-display NAME", "-wayland", "-background", "-scale S",
                           "-idle SECONDS"})
    EXPECT_NE(usage.find(line), std::string::npos) << line << " in\n" << usage;
}

TEST(LinuxOptionsTest, ScaleIdleAndWaylandOptions) {
  struct Case {
    std::vector<std::string> args;
    bool wayland;
    bool background;
    bool displayGiven;
    std::optional<std::int32_t> scale;
    std::optional<std::uint32_t> idleSeconds = std::nullopt;
  };
  const Case cases[] = {
      {{}, false, false, false, std::nullopt},
      {{"-wayland"}, true, false, false, std::nullopt},
      {{"-wayland", "-speed", "180"}, true, false, false, std::nullopt},
      {{"-wayland", "-background"}, true, true, false, std::nullopt},
      {{"-background", "-wayland"}, true, true, false, std::nullopt},
      {{"-background"}, true, true, false, std::nullopt},  // asks for Wayland as clearly as -wayland
      {{"-display", ":3"}, false, false, true, std::nullopt},
      {{"-scale", "2"}, false, false, false, 200},
      {{"-scale", "1.3"}, false, false, false, 125},
      {{"-scale", ".5"}, false, false, false, 100},
      {{"-scale", "2.25"}, false, false, false, 250},  // a tie goes up
      {{"-scale", "9"}, false, false, false, 300},
      {{"-wayland", "-scale", "1.75"}, true, false, false, 175},
      {{"-wayland", "-idle", "300"}, true, false, false, std::nullopt, 300},
      {{"-idle", "1"}, false, false, false, std::nullopt, 1},
      {{"-idle", "86400", "-idle", "007"}, false, false, false, std::nullopt, 7},
      {{"-idle", "000000000000000086400"}, false, false, false, std::nullopt, 86400},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Joined(c.args));
    const ParseResult result = ParseOptions(c.args, nullptr);
    ASSERT_TRUE(result.options) << result.error;
    EXPECT_EQ(result.options->wayland, c.wayland);
    EXPECT_EQ(result.options->background, c.background);
    EXPECT_EQ(result.options->displayGiven, c.displayGiven);
    EXPECT_EQ(result.options->scale, c.scale);
    EXPECT_EQ(result.options->idleSeconds, c.idleSeconds);
  }
}
