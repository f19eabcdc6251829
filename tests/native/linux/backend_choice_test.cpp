// Which backend a command line and the session's variables choose.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "linux/backend_choice.h"

TEST(BackendChoiceTest, AnOptionDecidesElseAWaylandSessionWithoutXGetsTheOverlay) {
  const struct {
    std::vector<std::string> args;
    DisplayEnvironment environment;  // DISPLAY, WAYLAND_DISPLAY, WAYLAND_SOCKET
    Backend backend;
  } cases[] = {
      {{}, {":0", nullptr, nullptr}, Backend::kX11},
      {{}, {nullptr, "wayland-1", nullptr}, Backend::kWayland},
      {{}, {nullptr, nullptr, "5"}, Backend::kWayland},
      {{}, {"", "wayland-1", nullptr}, Backend::kWayland},  // an empty DISPLAY is none
      {{}, {nullptr, "", ""}, Backend::kX11},               // nor are empty Wayland variables
      {{}, {nullptr, nullptr, nullptr}, Backend::kX11},     // X11 then says there is no display
      // XWayland: both set; a bare lumivex opens its X window for trying it out.
      {{}, {":0", "wayland-1", nullptr}, Backend::kX11},
      {{"-wayland"}, {":0", nullptr, nullptr}, Backend::kWayland},
      {{"-idle", "300"}, {":0", "wayland-0", nullptr}, Backend::kWayland},  // only Wayland has -idle
      {{"-root"}, {nullptr, "wayland-1", nullptr}, Backend::kX11},
      {{"-window-id", "42"}, {nullptr, "wayland-1", nullptr}, Backend::kX11},
      {{"-display", ":1"}, {nullptr, "wayland-1", nullptr}, Backend::kX11},
  };
  for (const auto& c : cases) {
    const ParseResult parsed = ParseOptions(c.args, nullptr);
    ASSERT_TRUE(parsed.options) << parsed.error;
    EXPECT_EQ(ChooseBackend(*parsed.options, c.environment), c.backend)
        << (c.args.empty() ? "" : c.args[0]) << " DISPLAY=" << (c.environment.display ? c.environment.display : "-")
        << " WAYLAND_DISPLAY=" << (c.environment.waylandDisplay ? c.environment.waylandDisplay : "-")
        << " WAYLAND_SOCKET=" << (c.environment.waylandSocket ? c.environment.waylandSocket : "-");
  }
}
