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

// The cells held back were drawn before the exposure: they go first, and the cells the erasure
// blackens are drawn afresh the next time the rain draws them.
void RainView::Erase(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height) {
  held.Forget();
  surface.Erase(x, y, width, height);
}

void RainView::Build() {
  // The held cells name the old field's sheets: they are sent, and forgotten, before those go.
  held.Forget();
  // A clean picture first: Configure leaves glyphs already on the surface alone.
  surface.Erase(0, 0, surface.Width(), surface.Height());
  field.reset();
  field = std::make_unique<Vellix>(held, sheets, surface.Width(), surface.Height(), scaleStep);
  ConfigureRainField(*field, args);
}

std::uint32_t RainView::Poll() {
  field->timer.Poll();
  // The clock is read before the pacer reads it again, so this is never later than its due time.
  const std::uint32_t now = TickCount();
  if (presents.Poll(now, held.HasChanges())) held.Present();
  return now + static_cast<std::uint32_t>(MillisecondsToNextWork(
                   field->timer.MillisecondsToDue(), presents.MillisecondsToDue(now), held.HasChanges()));
}
