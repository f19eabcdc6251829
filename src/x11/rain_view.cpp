// The pacer is a SoftTimer of our own with this view as its owner, because the host must know
// when a step is due to sleep until then, and a poll fires through OnSoftTimer here. It is the
// same polled pacer the Windows saver uses, driven by the monotonic millisecond clock.
#include "x11/rain_view.h"

#include "engine/tick_count.h"

RainView::RainView(const WindowFormat& format, std::int32_t width, std::int32_t height, const ConfigureArgs& args)
    : args(args), surface(format, width, height), sheets(format), pacer(this, args.stepInterval) {
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
  field = std::make_unique<Vellix>(surface, sheets, surface.Width(), surface.Height());
  ConfigureRainField(*field, args);
  // Read before SetInterval reads the clock, so this is never later than the pacer's due time.
  nextPoll = TickCount() + static_cast<std::uint32_t>(args.stepInterval);
  pacer.SetInterval(args.stepInterval);
}

std::uint32_t RainView::Poll() {
  const std::uint32_t now = TickCount();
  stepped = false;
  pacer.Poll();
  // The pacer counts its next period from the clock reading of the poll that fired, which is
  // `now` or a moment after. Should we wake a millisecond early, the next poll just waits again.
  nextPoll = stepped ? now + static_cast<std::uint32_t>(args.stepInterval)
                     : static_cast<std::int32_t>(nextPoll - now) > 0 ? nextPoll : now + 1;
  return nextPoll;
}

void RainView::OnSoftTimer() {
  stepped = true;
  field->OnSoftTimer();
}
