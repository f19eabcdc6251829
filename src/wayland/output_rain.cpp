// The picture is kept in the buffers' own pixel layout: the rain is configured with its colours'
// red and blue swapped, so a tinted glyph of 0x00BBGGRR values comes out as 0x00RRGGBB, which is
// XRGB8888 in memory (the grey sheets and black are the same either way), and a buffer takes the
// picture's rows with plain copies.
#include "wayland/output_rain.h"

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
                       std::int32_t scale, std::int32_t sheetStep, const ConfigureArgs& args)
    : globals(globals),
      args(InBufferOrder(args)),
      surface(wl_compositor_create_surface(globals.compositor)),
      role(makeRole(surface.get(), output, *this)),
      scale(scale),
      sheetStep(sheetStep) {
  wl_surface_commit(surface.get());
}

OutputRain::~OutputRain() {
  // The field draws into the picture and the buffers belong to the surface: all go first.
  field.reset();
  frame.reset();
  role.reset();
  surface.reset();
}

void OutputRain::SetScale(std::int32_t newScale, std::int32_t newSheetStep) {
  if (newScale == scale && newSheetStep == sheetStep) return;
  scale = newScale;
  sheetStep = newSheetStep;
  if (configured) Rebuild();
}

void OutputRain::Configured(std::uint32_t newWidth, std::uint32_t newHeight) {
  const bool resized = !configured || newWidth != width || newHeight != height;
  configured = true;
  width = newWidth;
  height = newHeight;
  if (resized) {
    Rebuild();
  } else {
    wl_surface_commit(surface.get());  // the ack takes effect with a commit
  }
}

void OutputRain::Rebuild() {
  field.reset();
  const std::int32_t pixelWidth = static_cast<std::int32_t>(width) * scale;
  const std::int32_t pixelHeight = static_cast<std::int32_t>(height) * scale;
  picture = std::make_unique<KeptPicture>(pixelWidth, pixelHeight, kBufferCount);
  for (auto& buffer : buffers) buffer = std::make_unique<ShmBuffer>(globals.shm, pixelWidth, pixelHeight);

  const RegionObject opaque(wl_compositor_create_region(globals.compositor));
  wl_region_add(opaque.get(), 0, 0, static_cast<std::int32_t>(width), static_cast<std::int32_t>(height));
  wl_surface_set_opaque_region(surface.get(), opaque.get());
  wl_surface_set_buffer_scale(surface.get(), scale);
  // Both buffers are black, as the picture is: the first frame shows one whole.
  wl_surface_attach(surface.get(), buffers[0]->Get(), 0, 0);
  wl_surface_damage_buffer(surface.get(), 0, 0, pixelWidth, pixelHeight);
  buffers[0]->MarkBusy();
  CommitWithFrameCallback();
  fieldDue = true;
}

bool OutputRain::BuildFieldIfDue() {
  if (!fieldDue) return false;
  fieldDue = false;
  field = std::make_unique<Vellix>(*picture, sheets, picture->Width(), picture->Height(), sheetStep);
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
  for (const PixelRect& rect : damage)
    wl_surface_damage_buffer(surface.get(), rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
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
