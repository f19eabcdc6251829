// The field's own pacer times the steps, polled as the Windows saver polls it and driven by the
// monotonic millisecond clock; it also says how long is left, so the host sleeps until then.
#include "x11/rain_view.h"

#include "engine/tick_count.h"

RainView::RainView(const WindowFormat& format, std::int32_t width, std::int32_t height, std::int32_t scaleStep,
                   const ConfigureArgs& args)
    : args(args), scaleStep(scaleStep), surface(format, width, height), sheets(format) {
  Build();
}

void RainView::Resize(std::int32_t width, std::int32_t height) {
  if (width == surface.Width() && height == surface.Height()) return;
  surface.Resize(width, height);
  Build();
}

void RainView::Erase(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height) {
  surface.Erase(x, y, width, height);
}

void RainView::Build() {
  // A clean picture first: Configure leaves glyphs already on the surface alone.
  surface.Erase(0, 0, surface.Width(), surface.Height());
  field.reset();
  field = std::make_unique<Vellix>(surface, sheets, surface.Width(), surface.Height(), scaleStep);
  ConfigureRainField(*field, args);
}

std::uint32_t RainView::Poll() {
  field->timer.Poll();
  // The clock is read before the pacer reads it again, so this is never later than its due time.
  const std::uint32_t now = TickCount();
  return now + static_cast<std::uint32_t>(field->timer.MillisecondsToDue());
}
