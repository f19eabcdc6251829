// The namespace names the program to the compositor's rules (e.g. sway's layer_effects), the
// same for both layers.
#include "wayland/layer_role.h"

LayerRole::LayerRole(zwlr_layer_shell_v1* shell, RainLayer layer, wl_surface* surface, wl_output* output,
                     Events& events)
    : events(events),
      layerSurface(zwlr_layer_shell_v1_get_layer_surface(
          shell, surface, output,
          layer == RainLayer::Overlay ? ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY : ZWLR_LAYER_SHELL_V1_LAYER_BACKGROUND,
          "lumivex")) {
  static const zwlr_layer_surface_v1_listener listener = {&LayerRole::Configure, &LayerRole::Close};
  zwlr_layer_surface_v1_add_listener(layerSurface.get(), &listener, this);
  zwlr_layer_surface_v1_set_size(layerSurface.get(), 0, 0);
  zwlr_layer_surface_v1_set_anchor(layerSurface.get(),
                                   ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM |
                                       ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT | ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT);
  zwlr_layer_surface_v1_set_exclusive_zone(layerSurface.get(), -1);
  zwlr_layer_surface_v1_set_keyboard_interactivity(layerSurface.get(),
                                                   layer == RainLayer::Overlay
                                                       ? ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_EXCLUSIVE
                                                       : ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_NONE);
}

SurfaceRoleMaker LayerRole::Maker(zwlr_layer_shell_v1* shell, RainLayer layer) {
  return [shell, layer](wl_surface* surface, wl_output* output, Events& events) {
    return std::make_unique<LayerRole>(shell, layer, surface, output, events);
  };
}

void LayerRole::Configure(void* data, zwlr_layer_surface_v1* layerSurface, std::uint32_t serial,
                          std::uint32_t width, std::uint32_t height) {
  zwlr_layer_surface_v1_ack_configure(layerSurface, serial);
  static_cast<LayerRole*>(data)->events.Configured(width, height);
}

void LayerRole::Close(void* data, zwlr_layer_surface_v1*) { static_cast<LayerRole*>(data)->events.Closed(); }
