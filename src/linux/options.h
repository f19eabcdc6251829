// The command line of the Linux program, shared by its X11 and Wayland backends: which backend
// and where it draws (-wayland, -background; -root, -window-id, or a window of its own), the scale of the
// glyphs, and the eight settings as options named after the settings table. Pure text handling,
// no X or Wayland header, so every rule is checked by native tests before a display is opened.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "settings/setting_table.h"
#include "linux/option_settings.h"

// Where the rain goes on X11.
enum class DrawTarget {
  kOwnWindow,  // no option: a window of our own, for trying it out
  kRoot,       // -root: the daemon's window (XSCREENSAVER_WINDOW) or else the root window
  kWindowId,   // -window-id ID: a window someone else made (a settings dialog's preview)
};

struct LinuxOptions {
  // -wayland: an overlay on every output of a Wayland compositor instead of an X11 window.
  bool wayland = false;
  // -idle SECONDS: runs until ended, showing the rain whenever the seat has been idle that long
  // and hiding it on input. Wayland only, so it asks for Wayland as -wayland does.
  std::optional<std::uint32_t> idleSeconds;
  // -background: the rain on the background layer of every output instead, under the windows,
  // as a live wallpaper that input does not end. A Wayland request as clear as -wayland.
  bool background = false;
  // -display NAME was given: a request for X11 as clear as -root or -window-id.
  bool displayGiven = false;
  DrawTarget target = DrawTarget::kOwnWindow;
  // The window to draw into for kWindowId, and for kRoot when the daemon named one; 0 means
  // the root window.
  std::uint32_t window = 0;
  std::string display;  // -display NAME; empty: $DISPLAY
  bool help = false;
  // -scale S, as a scale step (engine/display_scale.h); unset: the display's own scale decides.
  std::optional<std::int32_t> scale;
  OptionSettings settings;
};

struct ParseResult {
  std::optional<LinuxOptions> options;  // set when the command line is good
  std::string error;                  // otherwise one line saying why
};

// `args` are the words after the program name. `daemonWindow` is the value of
// XSCREENSAVER_WINDOW, or null when it is not set; only -root reads it.
ParseResult ParseOptions(const std::vector<std::string>& args, const char* daemonWindow);

// "-speed", "-normal-color": the option that sets a setting, made from its store name.
std::string OptionName(const SettingInfo& setting);

// Decimal or 0x hexadecimal, 1 to 0xFFFFFFFF; anything else is not a window id.
std::optional<std::uint32_t> ParseWindowId(const std::string& text);

// A decimal number greater than 0 ("2", "1.3", ".5") taken to the nearest scale step.
std::optional<std::int32_t> ParseScale(const std::string& text);

// Whole seconds for -idle, 1 to kMaxIdleSeconds (a day).
constexpr std::uint32_t kMaxIdleSeconds = 86400;
std::optional<std::uint32_t> ParseIdleSeconds(const std::string& text);

// "#RRGGBB" as 0x00BBGGRR.
std::optional<std::int32_t> ParseColour(const std::string& text);

// The usage text, one option a line, with ranges and defaults from the settings table.
std::string UsageText(const std::string& program);
