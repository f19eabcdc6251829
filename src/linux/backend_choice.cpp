// An empty variable counts as unset, as libX11 and libwayland-client treat one.
#include "linux/backend_choice.h"

#include <cstdlib>

namespace {

bool IsSet(const char* value) { return value && *value; }

}  // namespace

Backend ChooseBackend(const LinuxOptions& options, const DisplayEnvironment& environment) {
  if (options.wayland || options.idleSeconds) return Backend::kWayland;
  if (options.target != DrawTarget::kOwnWindow || options.displayGiven) return Backend::kX11;
  const bool wayland = IsSet(environment.waylandDisplay) || IsSet(environment.waylandSocket);
  return wayland && !IsSet(environment.display) ? Backend::kWayland : Backend::kX11;
}

DisplayEnvironment ProcessDisplayEnvironment() {
  return {std::getenv("DISPLAY"), std::getenv("WAYLAND_DISPLAY"), std::getenv("WAYLAND_SOCKET")};
}
