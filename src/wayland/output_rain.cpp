// The picture is kept in the buffers' own pixel layout: the rain is configured with its colours'
// red and blue swapped, so a tinted glyph of 0x00BBGGRR values comes out as 0x00RRGGBB, which is
// XRGB8888 in memory (the grey sheets and black are the same either way), and a buffer takes the
// picture's rows with plain copies.
#include "wayland/output_rain.h"

#include <algorithm>
#include <cstdint>

#include "engine/tick_count.h"

namespace {

Color SwapRedAndBlue(Color color) { return (color & 0xFF) << 16 | (color & 0xFF00) | (color >> 16 & 0xFF); }

ConfigureArgs InBufferOrder(ConfigureArgs args) {
  args.normalColor = SwapRedAndBlue(args.normalColor);
  args.lightColor = SwapRedAndBlue(args.lightColor);
  args.darkColor = SwapRedAndBlue(args.darkColor);
  return args;
}

}  // namespace

OutputRain::OutputRain(const RainGlobals& globals, const SurfaceRoleMaker& makeRole, wl_output* output,
                       const OutputView& view, std::optional<std::int32_t> askedStep, const ConfigureArgs& args)
    : globals(globals),
      args(InBufferOrder(args)),
      askedStep(askedStep),
      surface(wl_compositor_create_surface(globals.compositor)),
      role(makeRole(surface.get(), output, *this)),
      scale{view.scale, std::nullopt},
      outputSize(view.logicalSize) {
  if (globals.fractionalScale && globals.viewporter) {
    fractionalScale.reset(wp_fractional_scale_manager_v1_get_fractional_scale(globals.fractionalScale, surface.get()));
    static const wp_fractional_scale_v1_listener listener = {&OutputRain::PreferredScale};
    wp_fractional_scale_v1_add_listener(fractionalScale.get(), &listener, this);
    viewport.reset(wp_viewporter_get_viewport(globals.viewporter, surface.get()));
  }
  wl_surface_commit(surface.get());
}

OutputRain::~OutputRain() {
  // The field draws into the picture and the buffers belong to the surface: all go first, and
  // the surface's add-ons and role before the surface.
  field.reset();
  frame.reset();
  viewport.reset();
  fractionalScale.reset();
  role.reset();
  surface.reset();
}

void OutputRain::SetOutput(const OutputView& view) {
  scale.wholeFactor = view.scale;
  outputSize = view.logicalSize;
}

void OutputRain::Configured(std::uint32_t width, std::uint32_t height) {
  configured = true;
  configuredSize = {width, height};
  ackToCommit = true;  // the ack takes effect with a commit
}

void OutputRain::PreferredScale(void* data, wp_fractional_scale_v1*, std::uint32_t scale120ths) {
  static_cast<OutputRain*>(data)->scale.preferred120ths = scale120ths;
}

void OutputRain::ApplyChanges() {
  if (!configured) return;
  const SurfaceSize size = SizeToDraw(configuredSize, outputSize);
  if (size.Known()) {
    const BufferLayout layout = LayoutBuffer(size.width, size.height, scale, askedStep);
    if (size != drawnSize || layout != drawnLayout) {
      Rebuild(size, layout);
      return;
    }
  }
  // Nothing to draw anew (or no size known yet: the output's description brings one).
  if (ackToCommit) wl_surface_commit(surface.get());
  ackToCommit = false;
}

void OutputRain::Rebuild(const SurfaceSize& size, const BufferLayout& layout) {
  field.reset();
  picture = std::make_unique<KeptPicture>(layout.width, layout.height, kBufferCount);
  for (auto& buffer : buffers) buffer = std::make_unique<ShmBuffer>(globals.shm, layout.width, layout.height);
  const auto width = static_cast<std::int32_t>(std::min<std::uint32_t>(size.width, INT32_MAX));
  const auto height = static_cast<std::int32_t>(std::min<std::uint32_t>(size.height, INT32_MAX));

  const RegionObject opaque(wl_compositor_create_region(globals.compositor));
  wl_region_add(opaque.get(), 0, 0, width, height);
  wl_surface_set_opaque_region(surface.get(), opaque.get());
  wl_surface_set_buffer_scale(surface.get(), layout.bufferScale);
  if (viewport) {
    if (layout.viewport)
      wp_viewport_set_destination(viewport.get(), width, height);
    else
      wp_viewport_set_destination(viewport.get(), -1, -1);  // the buffer's own size
  }
  // Both buffers are black, as the picture is: the first frame shows one whole.
  wl_surface_attach(surface.get(), buffers[0]->Get(), 0, 0);
  wl_surface_damage_buffer(surface.get(), 0, 0, layout.width, layout.height);
  buffers[0]->MarkBusy();
  CommitWithFrameCallback();
  ackToCommit = false;
  drawnSize = size;
  drawnLayout = layout;
  fieldDue = true;
}

bool OutputRain::BuildFieldIfDue() {
  // Not before the black frame is on screen: a compositor may tell the surface's true scale only
  // once it shows on an output (KWin does), and a field built before would be built in vain.
  if (!fieldDue || frame) return false;
  fieldDue = false;
  field = std::make_unique<Vellix>(*picture, sheets, picture->Width(), picture->Height(), drawnLayout->sheetStep);
  ConfigureRainField(*field, args);
  return true;
}

std::optional<std::uint32_t> OutputRain::Poll() {
  if (!field) return std::nullopt;
  if (frame && TickCount() - frameAskedAt > kHiddenAfterMs) return std::nullopt;  // the frame event wakes us
  field->timer.Poll();
  if (!frame && picture->Changed()) Present();
  const std::uint32_t now = TickCount();
  return now + static_cast<std::uint32_t>(field->timer.MillisecondsToDue());
}

void OutputRain::FrameDone(void* data, wl_callback*, std::uint32_t) {
  auto* self = static_cast<OutputRain*>(data);
  self->frame.reset();
  if (self->picture && self->picture->Changed()) self->Present();
}

void OutputRain::Present() {
  ShmBuffer* free = nullptr;
  int index = 0;
  for (; index < kBufferCount; ++index) {
    if (!buffers[index]->Busy()) {
      free = buffers[index].get();
      break;
    }
  }
  if (!free) return;  // the changes wait in the picture for the next present
  picture->UpdateBuffer(index, free->Row(0), picture->Width());
  picture->TakeCommitDamage(damage);
  wl_surface_attach(surface.get(), free->Get(), 0, 0);
  if (drawnLayout->viewport) {
    // Shown through a viewport at a fractional scale, a changed cell's damage is not always
    // repainted whole: KWin 5.27 at 150 % left strips of old glyphs in the last rows of the
    // surface, with the damage exact or widened by whole surface pixels, in buffer or surface
    // coordinates. The whole buffer is always right.
    wl_surface_damage_buffer(surface.get(), 0, 0, drawnLayout->width, drawnLayout->height);
  } else {
    for (const PixelRect& rect : damage)
      wl_surface_damage_buffer(surface.get(), rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
  }
  free->MarkBusy();
  CommitWithFrameCallback();
}

void OutputRain::CommitWithFrameCallback() {
  static const wl_callback_listener listener = {&OutputRain::FrameDone};
  frame.reset(wl_surface_frame(surface.get()));
  wl_callback_add_listener(frame.get(), &listener, this);
  frameAskedAt = TickCount();
  wl_surface_commit(surface.get());
}
