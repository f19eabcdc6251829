// Move-only owners of the Wayland objects the program makes: each proxy is destroyed exactly
// once, with the request or call its interface names for that, and before the connection it
// belongs to.
#pragma once

#include <wayland-client.h>

#include <memory>

#include "wayland/fractional_scale_client.h"
#include "wayland/layer_shell_client.h"
#include "wayland/viewporter_client.h"
#include "wayland/xdg_output_client.h"
#include "wayland/xdg_shell_client.h"

struct WaylandDestroyer {
  void operator()(wl_display* display) const { wl_display_disconnect(display); }
  void operator()(wl_registry* registry) const { wl_registry_destroy(registry); }
  void operator()(wl_surface* surface) const { wl_surface_destroy(surface); }
  void operator()(wl_region* region) const { wl_region_destroy(region); }
  void operator()(wl_callback* callback) const { wl_callback_destroy(callback); }
  void operator()(wl_buffer* buffer) const { wl_buffer_destroy(buffer); }
  void operator()(wl_shm_pool* pool) const { wl_shm_pool_destroy(pool); }
  void operator()(wl_output* output) const {
    if (wl_output_get_version(output) >= WL_OUTPUT_RELEASE_SINCE_VERSION)
      wl_output_release(output);  // the compositor forgets it too
    else
      wl_output_destroy(output);
  }
  void operator()(wl_seat* seat) const {
    if (wl_seat_get_version(seat) >= WL_SEAT_RELEASE_SINCE_VERSION)
      wl_seat_release(seat);
    else
      wl_seat_destroy(seat);
  }
  void operator()(zwlr_layer_surface_v1* surface) const { zwlr_layer_surface_v1_destroy(surface); }
  void operator()(xdg_surface* surface) const { xdg_surface_destroy(surface); }
  void operator()(xdg_toplevel* toplevel) const { xdg_toplevel_destroy(toplevel); }
  void operator()(wp_fractional_scale_v1* scale) const { wp_fractional_scale_v1_destroy(scale); }
  void operator()(wp_viewport* viewport) const { wp_viewport_destroy(viewport); }
  void operator()(zxdg_output_v1* output) const { zxdg_output_v1_destroy(output); }
};

template <typename T>
using WaylandObject = std::unique_ptr<T, WaylandDestroyer>;

using DisplayConnection = WaylandObject<wl_display>;
using SurfaceObject = WaylandObject<wl_surface>;
using RegionObject = WaylandObject<wl_region>;
using CallbackObject = WaylandObject<wl_callback>;
using BufferObject = WaylandObject<wl_buffer>;
using PoolObject = WaylandObject<wl_shm_pool>;
using SeatObject = WaylandObject<wl_seat>;
