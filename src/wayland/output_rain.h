// The rain on one output: an opaque surface whose role (SurfaceRole: an overlay, the background,
// a window) the owner chooses. It draws once the compositor has configured it: a black frame at
// once, the rain field after (building the sheets takes a moment), then each step's changed
// cells through one of its shared-memory buffers that the compositor has released.
#pragma once

#include <wayland-client.h>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "engine/vellix.h"
#include "linux/sheets.h"
#include "settings/configure_args.h"
#include "wayland/kept_picture.h"
#include "wayland/shm_buffer.h"
#include "wayland/surface_role.h"
#include "wayland/wayland_objects.h"

// What every output's rain needs of the connection.
struct RainGlobals {
  wl_compositor* compositor;
  wl_shm* shm;
};

class OutputRain final : private SurfaceRole::Events {
 public:
  // Makes the surface, gives it its role and commits it without a buffer. `scale` is the
  // output's integer scale; `sheetStep` the step of the glyph sheets (the output's, or the one
  // the command line asked).
  OutputRain(const RainGlobals& globals, const SurfaceRoleMaker& makeRole, wl_output* output, std::int32_t scale,
             std::int32_t sheetStep, const ConfigureArgs& args);
  ~OutputRain();
  OutputRain(const OutputRain&) = delete;
  OutputRain& operator=(const OutputRain&) = delete;

  // The output's scale changed: the next frames are drawn at the new one.
  void SetScale(std::int32_t newScale, std::int32_t newSheetStep);
  // The compositor took the surface away; it is to be destroyed.
  bool IsClosed() const { return closed; }
  wl_surface* Surface() const { return surface.get(); }

  // Builds the rain field once a black frame has been sent; true when it did.
  bool BuildFieldIfDue();
  // Steps the field when its pacer is due and shows what changed. Returns the tick count at
  // which to poll again, or nothing when only an event can bring more to do.
  std::optional<std::uint32_t> Poll();

 private:
  static constexpr int kBufferCount = 2;
  // A frame callback this late means the output is not shown (turned off, covered): the field
  // stops stepping until the compositor asks for a frame again.
  static constexpr std::uint32_t kHiddenAfterMs = 500;

  void Configured(std::uint32_t newWidth, std::uint32_t newHeight) override;
  void Closed() override { closed = true; }
  static void FrameDone(void* data, wl_callback*, std::uint32_t);

  // A new size or scale: new buffers and picture, a black frame, and a field built afterwards.
  void Rebuild();
  // Shows what changed, through a released buffer; does nothing when none is free.
  void Present();
  void CommitWithFrameCallback();

  const RainGlobals globals;
  const ConfigureArgs args;  // red and blue swapped: the picture's pixels are XRGB8888
  SurfaceObject surface;
  std::unique_ptr<SurfaceRole> role;
  std::int32_t scale;
  std::int32_t sheetStep;  // of the glyph sheets, engine/display_scale.h
  std::uint32_t width = 0;   // surface coordinates, from the last configure
  std::uint32_t height = 0;
  bool configured = false;
  bool closed = false;
  bool fieldDue = false;

  std::unique_ptr<KeptPicture> picture;
  std::array<std::unique_ptr<ShmBuffer>, kBufferCount> buffers;
  EmbeddedSheetFactory sheets;
  std::unique_ptr<Vellix> field;
  CallbackObject frame;              // at most one outstanding
  std::uint32_t frameAskedAt = 0;
  std::vector<PixelRect> damage;     // kept for its capacity
};
