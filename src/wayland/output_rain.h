// The rain on one output: an opaque surface whose role (SurfaceRole: an overlay, the background,
// a window) the owner chooses. It draws once the compositor has configured it: a black frame at
// once, the rain field once that frame is shown (building the sheets takes a moment), then each
// step's changed cells through one of its shared-memory buffers that the compositor has released. A new size
// or scale is collected, not applied, until the owner says the output's description is whole
// (ApplyChanges), so a change that comes in several events rebuilds the rain once.
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
#include "wayland/buffer_layout.h"
#include "wayland/fractional_scale_client.h"
#include "wayland/kept_picture.h"
#include "wayland/shm_buffer.h"
#include "wayland/surface_role.h"
#include "wayland/viewporter_client.h"
#include "wayland/wayland_objects.h"

// What every output's rain needs of the connection. Fractional scale is used only when the
// compositor offers both of its managers.
struct RainGlobals {
  wl_compositor* compositor;
  wl_shm* shm;
  wp_fractional_scale_manager_v1* fractionalScale;  // may be null
  wp_viewporter* viewporter;                        // may be null
};

// What the rain needs to know of its output.
struct OutputView {
  std::int32_t scale = 1;   // wl_output's whole scale
  SurfaceSize logicalSize;  // for a side the compositor leaves to us
};

class OutputRain final : private SurfaceRole::Events {
 public:
  // Makes the surface, gives it its role and commits it without a buffer. `askedStep` is the
  // glyph-sheet step the command line asked for (unset: the scale's own).
  OutputRain(const RainGlobals& globals, const SurfaceRoleMaker& makeRole, wl_output* output,
             const OutputView& view, std::optional<std::int32_t> askedStep, const ConfigureArgs& args);
  ~OutputRain();
  OutputRain(const OutputRain&) = delete;
  OutputRain& operator=(const OutputRain&) = delete;

  // The output told a new scale or size; it takes effect at the next ApplyChanges.
  void SetOutput(const OutputView& view);
  // Rebuilds the rain once when its size or scale changed since it was last drawn, and commits
  // an acknowledged configure that changed nothing.
  void ApplyChanges();
  // The compositor took the surface away; it is to be destroyed.
  bool IsClosed() const { return closed; }
  // The compositor configured the surface at least once.
  bool WasConfigured() const { return configured; }
  wl_surface* Surface() const { return surface.get(); }

  // Builds the rain field once the black frame has been shown; true when it did.
  bool BuildFieldIfDue();
  // Steps the field when its pacer is due and shows what changed. Returns the tick count at
  // which to poll again, or nothing when only an event can bring more to do.
  std::optional<std::uint32_t> Poll();

 private:
  static constexpr int kBufferCount = 2;
  // A frame callback this late means the output is not shown (turned off, covered): the field
  // stops stepping until the compositor asks for a frame again.
  static constexpr std::uint32_t kHiddenAfterMs = 500;

  void Configured(std::uint32_t width, std::uint32_t height) override;
  void Closed() override { closed = true; }
  static void FrameDone(void* data, wl_callback*, std::uint32_t);
  static void PreferredScale(void* data, wp_fractional_scale_v1*, std::uint32_t scale120ths);

  // A new size or layout: new buffers and picture, a black frame, and a field built afterwards.
  void Rebuild(const SurfaceSize& size, const BufferLayout& layout);
  // Shows what changed, through a released buffer; does nothing when none is free.
  void Present();
  void CommitWithFrameCallback();

  const RainGlobals globals;
  const ConfigureArgs args;  // red and blue swapped: the picture's pixels are XRGB8888
  const std::optional<std::int32_t> askedStep;
  SurfaceObject surface;
  std::unique_ptr<SurfaceRole> role;
  WaylandObject<wp_fractional_scale_v1> fractionalScale;  // with the viewport, or neither
  WaylandObject<wp_viewport> viewport;

  // What the compositor and the output asked for, and what the buffers were last made for.
  SurfaceSize configuredSize;
  SurfaceScale scale;
  SurfaceSize outputSize;
  bool configured = false;
  bool ackToCommit = false;
  std::optional<SurfaceSize> drawnSize;
  std::optional<BufferLayout> drawnLayout;
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
