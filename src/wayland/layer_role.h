// The layer-shell roles of the rain: on the overlay layer, over everything and taking the
// keyboard (the screen saver), or on the background layer, under every window and taking no
// keys (the live wallpaper). Either way anchored to all four edges with the compositor choosing
// the size, and reaching under panels (exclusive zone -1) without reserving room of its own.
#pragma once

#include "wayland/layer_shell_client.h"
#include "wayland/surface_role.h"
#include "wayland/wayland_objects.h"

enum class RainLayer { Overlay, Background };

class LayerRole final : public SurfaceRole {
 public:
  LayerRole(zwlr_layer_shell_v1* shell, RainLayer layer, wl_surface* surface, wl_output* output, Events& events);

  // The maker of this role for every surface, on `shell`.
  static SurfaceRoleMaker Maker(zwlr_layer_shell_v1* shell, RainLayer layer);

 private:
  static void Configure(void* data, zwlr_layer_surface_v1* layerSurface, std::uint32_t serial, std::uint32_t width,
                        std::uint32_t height);
  static void Close(void* data, zwlr_layer_surface_v1*);

  Events& events;
  WaylandObject<zwlr_layer_surface_v1> layerSurface;
};
