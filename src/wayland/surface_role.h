// What a rain surface is to the compositor: a layer-shell surface over or under the windows,
// or a window of its own. The role is given to the surface when the surface is made, and
// reports back the compositor's two decisions the rain follows: the size it is to have, and
// that it is to go. Everything else about drawing is the same whatever the role.
#pragma once

#include <wayland-client.h>

#include <cstdint>
#include <functional>
#include <memory>

class SurfaceRole {
 public:
  // What a role tells the rain on its surface.
  class Events {
   public:
    // The compositor chose a size in surface coordinates (0 on a side: ours to choose); the
    // role has acknowledged it, and the next commit applies it.
    virtual void Configured(std::uint32_t width, std::uint32_t height) = 0;
    // The compositor took the surface away, or asks for it to close.
    virtual void Closed() = 0;

   protected:
    ~Events() = default;
  };

  virtual ~SurfaceRole() = default;
};

// Gives `surface`, shown on `output`, its role, reporting to `events`; commits nothing.
using SurfaceRoleMaker =
    std::function<std::unique_ptr<SurfaceRole>(wl_surface* surface, wl_output* output, SurfaceRole::Events& events)>;
