// A toplevel's size comes in its own configure and takes effect with the xdg_surface configure
// that follows; a 0 side leaves the size to us, which the rain takes from its output. An
// activation token is spent at the first configure, when the compositor knows the window.
#include "wayland/toplevel_role.h"

#include <algorithm>
#include <utility>

ToplevelRole::ToplevelRole(xdg_wm_base* shell, xdg_activation_v1* activation, const std::string& token,
                           const std::function<void()>& closeAsked, wl_surface* surface, wl_output* output,
                           Events& events)
    : events(events),
      closeAsked(closeAsked),
      activation(activation),
      token(token),
      surface(surface),
      shellSurface(xdg_wm_base_get_xdg_surface(shell, surface)),
      toplevel(xdg_surface_get_toplevel(shellSurface.get())) {
  static const xdg_surface_listener surfaceListener = {&ToplevelRole::SurfaceConfigure};
  xdg_surface_add_listener(shellSurface.get(), &surfaceListener, this);
  // Bound at version 1: the events of later versions never come.
  static const xdg_toplevel_listener toplevelListener = {&ToplevelRole::ToplevelConfigure, &ToplevelRole::Close,
                                                         nullptr, nullptr};
  xdg_toplevel_add_listener(toplevel.get(), &toplevelListener, this);
  xdg_toplevel_set_title(toplevel.get(), "Lumivex");
  xdg_toplevel_set_app_id(toplevel.get(), "lumivex");
  xdg_toplevel_set_fullscreen(toplevel.get(), output);
}

SurfaceRoleMaker ToplevelRole::Maker(xdg_wm_base* shell, xdg_activation_v1* activation, std::string& token,
                                     std::function<void()> closeAsked) {
  return [shell, activation, &token, closeAsked](wl_surface* surface, wl_output* output, Events& events) {
    const std::string once = std::exchange(token, std::string());
    return std::make_unique<ToplevelRole>(shell, activation, once, closeAsked, surface, output, events);
  };
}

void ToplevelRole::SurfaceConfigure(void* data, xdg_surface* shellSurface, std::uint32_t serial) {
  auto* self = static_cast<ToplevelRole*>(data);
  xdg_surface_ack_configure(shellSurface, serial);
  // The window exists once the compositor configures it: the token can name it now.
  if (self->activation && !self->token.empty()) {
    xdg_activation_v1_activate(self->activation, self->token.c_str(), self->surface);
    self->token.clear();
  }
  self->events.Configured(self->width, self->height);
}

void ToplevelRole::ToplevelConfigure(void* data, xdg_toplevel*, std::int32_t width, std::int32_t height, wl_array*) {
  auto* self = static_cast<ToplevelRole*>(data);
  self->width = static_cast<std::uint32_t>(std::max(0, width));
  self->height = static_cast<std::uint32_t>(std::max(0, height));
}

void ToplevelRole::Close(void* data, xdg_toplevel*) { static_cast<ToplevelRole*>(data)->closeAsked(); }
