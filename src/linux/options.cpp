// Options follow the X convention of one leading dash. Numbers are whole decimal numbers and
// are clamped into the slider's range however large, as the dialog's sliders clamp; anything
// that is not a number is refused, so a typing mistake never turns into a silent default.
#include "linux/options.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <limits>
#include <sstream>

#include "engine/display_scale.h"

namespace {

bool IsDigits(const std::string& text, std::size_t from, int base) {
  if (from >= text.size()) return false;
  for (std::size_t i = from; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (base == 16 ? !std::isxdigit(c) : !std::isdigit(c)) return false;
  }
  return true;
}

// A signed decimal number, saturated to the 32-bit range (the slider then clamps it further).
std::optional<std::int32_t> ParseNumber(const std::string& text) {
  const bool negative = !text.empty() && text[0] == '-';
  const std::size_t from = !text.empty() && (text[0] == '-' || text[0] == '+') ? 1 : 0;
  if (!IsDigits(text, from, 10)) return std::nullopt;
  constexpr std::int64_t kLimit = std::int64_t{1} << 32;
  std::int64_t value = 0;
  for (std::size_t i = from; i < text.size() && value < kLimit; ++i) value = value * 10 + (text[i] - '0');
  if (negative) value = -value;
  if (value < std::numeric_limits<std::int32_t>::min()) return std::numeric_limits<std::int32_t>::min();
  if (value > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(value);
}

const SettingInfo* SettingOfOption(const std::string& option) {
  for (const SettingInfo& setting : kSettings) {
    if (OptionName(setting) == option) return &setting;
  }
  return nullptr;
}

std::string FormatColour(std::int32_t colour) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string text = "#";
  for (int shift : {0, 8, 16}) {  // 0x00BBGGRR: red is the low byte
    const int channel = (colour >> shift) & 0xFF;
    text += kHex[channel >> 4];
    text += kHex[channel & 0xF];
  }
  return text;
}

}  // namespace

std::string OptionName(const SettingInfo& setting) {
  std::string name = "-";
  for (const char* c = setting.storeName; *c; ++c)
    name += *c == ' ' ? '-' : static_cast<char>(std::tolower(static_cast<unsigned char>(*c)));
  return name;
}

std::optional<std::uint32_t> ParseWindowId(const std::string& text) {
  const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  if (!IsDigits(text, hex ? 2 : 0, hex ? 16 : 10)) return std::nullopt;
  std::uint64_t value = 0;
  for (std::size_t i = hex ? 2 : 0; i < text.size(); ++i) {
    const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(text[i])));
    value = value * (hex ? 16 : 10) + (c >= 'a' ? c - 'a' + 10 : c - '0');
    if (value > std::numeric_limits<std::uint32_t>::max()) return std::nullopt;
  }
  if (value == 0) return std::nullopt;
  return static_cast<std::uint32_t>(value);
}

std::optional<std::int32_t> ParseScale(const std::string& text) {
  // Plain decimal only: strtod alone would also take "inf", "nan", hex and leading blanks.
  const auto digits = std::count_if(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
  const auto dots = std::count(text.begin(), text.end(), '.');
  if (digits == 0 || dots > 1 || static_cast<std::size_t>(digits + dots) != text.size()) return std::nullopt;
  const double value = std::strtod(text.c_str(), nullptr);
  if (!(value > 0)) return std::nullopt;
  return ScaleStepForScale(value);
}

std::optional<std::uint32_t> ParseIdleSeconds(const std::string& text) {
  if (!IsDigits(text, 0, 10)) return std::nullopt;
  std::uint64_t seconds = 0;  // stops growing past the limit, however many digits follow
  for (const char digit : text) seconds = std::min<std::uint64_t>(seconds * 10 + (digit - '0'), kMaxIdleSeconds + 1);
  if (seconds < 1 || seconds > kMaxIdleSeconds) return std::nullopt;
  return static_cast<std::uint32_t>(seconds);
}

std::optional<std::int32_t> ParseColour(const std::string& text) {
  if (text.size() != 7 || text[0] != '#' || !IsDigits(text, 1, 16)) return std::nullopt;
  const auto channel = [&text](std::size_t at) { return std::stoi(text.substr(at, 2), nullptr, 16); };
  return channel(1) | channel(3) << 8 | channel(5) << 16;
}

ParseResult ParseOptions(const std::vector<std::string>& args, const char* daemonWindow) {
  LinuxOptions options;
  bool root = false;
  std::optional<std::uint32_t> windowId;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& option = args[i];
    if (option == "-root") {
      root = true;
      continue;
    }
    if (option == "-wayland" || option == "-background") {
      options.wayland = true;
      options.background = options.background || option == "-background";
      continue;
    }
    if (option == "-help" || option == "--help" || option == "-h") {
      options.help = true;
      continue;
    }
    const SettingInfo* setting = SettingOfOption(option);
    if (!setting && option != "-window-id" && option != "-display" && option != "-scale" && option != "-idle")
      return {std::nullopt, "unknown option '" + option + "'"};
    if (i + 1 == args.size()) return {std::nullopt, option + " needs a value"};
    const std::string& value = args[++i];
    if (option == "-display") {
      options.display = value;
      options.displayGiven = true;
    } else if (option == "-scale") {
      options.scale = ParseScale(value);
      if (!options.scale) return {std::nullopt, "-scale: '" + value + "' is not a scale (a number such as 1.5)"};
    } else if (option == "-idle") {
      options.idleSeconds = ParseIdleSeconds(value);
      if (!options.idleSeconds)
        return {std::nullopt, "-idle: '" + value + "' is not a number of seconds from 1 to " +
                                  std::to_string(kMaxIdleSeconds)};
    } else if (option == "-window-id") {
      windowId = ParseWindowId(value);
      if (!windowId) return {std::nullopt, "-window-id: '" + value + "' is not a window id (decimal or 0x hex)"};
    } else if (setting->kind == SettingKind::Colour) {
      const auto colour = ParseColour(value);
      if (!colour) return {std::nullopt, option + ": '" + value + "' is not a colour #RRGGBB"};
      options.settings.Set(setting->id, *colour);
    } else {
      const auto number = ParseNumber(value);
      if (!number) return {std::nullopt, option + ": '" + value + "' is not a whole number"};
      options.settings.Set(setting->id, *number);
    }
  }
  // Both name where to draw on an X display; a Wayland overlay has no window to name.
  // The wallpaper never goes; the saver comes and goes: they cannot be one program.
  if (options.background && options.idleSeconds) return {std::nullopt, "-idle cannot go with -background"};
  if ((options.wayland || options.idleSeconds) && (root || windowId))
    return {std::nullopt, std::string(options.background ? "-background" : options.wayland ? "-wayland" : "-idle") +
                              " cannot go with " +
                              (root ? "-root" : "-window-id")};
  // A window named on the command line is the more specific request, so it wins over -root.
  if (windowId) {
    options.target = DrawTarget::kWindowId;
    options.window = *windowId;
  } else if (root) {
    options.target = DrawTarget::kRoot;
    if (daemonWindow && *daemonWindow) {
      const auto named = ParseWindowId(daemonWindow);
      if (!named)
        return {std::nullopt, std::string("XSCREENSAVER_WINDOW: '") + daemonWindow + "' is not a window id"};
      options.window = *named;
    }
  }
  return {std::move(options), {}};
}

std::string UsageText(const std::string& program) {
  std::ostringstream usage;
  usage << "usage: " << program
        << " [-wayland [-background | -idle SECONDS] | -root | -window-id ID] [-display NAME] [-scale S] [options]\n"
        << "  -wayland        an overlay on every output of a Wayland compositor (layer shell), or\n"
        << "                  full-screen windows where it has none (GNOME)\n"
        << "  -background     Wayland: on the background layer of every output instead, under\n"
        << "                  the windows (a live wallpaper); input does not end it, a signal does\n"
        << "  -idle SECONDS   Wayland: run until ended, with the rain after SECONDS without input\n"
        << "                  and hidden again on input, as a screen saver of its own\n"
        << "  -root           draw into $XSCREENSAVER_WINDOW, or else the X root window: with no\n"
        << "                  screen-saver daemon, the desktop's background\n"
        << "  -window-id ID   draw into the X window ID (decimal or 0x hex)\n"
        << "  (none)          Wayland when $WAYLAND_DISPLAY or $WAYLAND_SOCKET is set and\n"
        << "                  $DISPLAY is not, else an X window of its own\n"
        << "  -display NAME   the X display (default $DISPLAY)\n"
        << "  -scale S        glyph scale: 1, 1.25, 1.5, 1.75, 2, 2.5 or 3, or a number taken to\n"
        << "                  the nearest (default: Xft.dpi / 96 on X11, the output's scale on Wayland)\n"
        << "  -help           this text\n";
  for (const SettingInfo& setting : kSettings) {
    std::string name = OptionName(setting);
    name.resize(std::max<std::size_t>(name.size(), 15), ' ');
    if (setting.kind == SettingKind::Slider)
      usage << "  " << name << " " << setting.minimum << " to " << setting.maximum << " (default "
            << setting.designValue << ")\n";
    else
      usage << "  " << name << " #RRGGBB (default " << FormatColour(setting.designValue) << ")\n";
  }
  return usage.str();
}
