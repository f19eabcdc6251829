// The rain as a window of its own, for a compositor without a layer shell (GNOME): an
// xdg_toplevel titled "Lumivex" (app id "lumivex") made full screen on its output, sized by the
// compositor's configure. Such a window covers the panels and gets the keyboard, but a window
// opened later stacks above it and takes the keyboard, which the seat's rule counts as the end.
// The compositor's close request (a window's close shortcut) is reported apart from the
// surface's other news: it ends the showing, as input would, rather than asking for a new
// surface.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "wayland/surface_role.h"
#include "wayland/wayland_objects.h"
#include "wayland/xdg_activation_client.h"
#include "wayland/xdg_shell_client.h"

class ToplevelRole final : public SurfaceRole {
 public:
  // `token`: an activation token the program was started with, used for this surface when the
  // compositor offers xdg-activation (may be empty, `activation` may be null).
  ToplevelRole(xdg_wm_base* shell, xdg_activation_v1* activation, const std::string& token,
               const std::function<void()>& closeAsked, wl_surface* surface, wl_output* output, Events& events);

  // The maker of this role for every surface. `token` is taken (and emptied) by the first
  // surface made: a token is good for one activation.
  static SurfaceRoleMaker Maker(xdg_wm_base* shell, xdg_activation_v1* activation, std::string& token,
                                std::function<void()> closeAsked);

 private:
  static void SurfaceConfigure(void* data, xdg_surface* shellSurface, std::uint32_t serial);
  static void ToplevelConfigure(void* data, xdg_toplevel*, std::int32_t width, std::int32_t height, wl_array*);
  static void Close(void* data, xdg_toplevel*);

  Events& events;
  const std::function<void()> closeAsked;
  xdg_activation_v1* const activation;
  std::string token;  // until spent
  wl_surface* const surface;
  WaylandObject<xdg_surface> shellSurface;
  WaylandObject<xdg_toplevel> toplevel;
  std::uint32_t width = 0;  // from the toplevel's configure, applied at the surface's
  std::uint32_t height = 0;
};
