// One rain field on the target window, as the Windows saver window holds one: the field, whose
// pacer times its steps, and the surface and sheets it draws with. The field's cells are held
// back (DeferredSurface) and sent to the window at most at the present rate, each changed cell
// once. The host's event loop asks it when the next step or present is due, so it can sleep on
// the X connection until then.
#pragma once

#include <cstdint>
#include <memory>

#include "engine/deferred_surface.h"
#include "engine/present_pacer.h"
#include "engine/vellix.h"
#include "settings/configure_args.h"
#include "x11/server_sheets.h"
#include "x11/window_surface.h"

class RainView final {
 public:
  // Paints the window black and builds a configured field of the window's size, drawn with the
  // glyph sheets of the scale step `scaleStep` (engine/display_scale.h).
  RainView(const WindowFormat& format, std::int32_t width, std::int32_t height, std::int32_t scaleStep,
           const ConfigureArgs& args);
  RainView(const RainView&) = delete;
  RainView& operator=(const RainView&) = delete;

  // A new size: paints it black and rebuilds the field for it with the same settings.
  // The size it has already changes nothing.
  void Resize(std::int32_t width, std::int32_t height);
  // An exposed part of the window is painted black; the field is not told (as on Windows).
  void Erase(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height);
  // How many times a second the window may be sent what the steps drew.
  void SetPresentRate(std::int32_t presentsPerSecond) { presents.SetRate(presentsPerSecond); }

  // Polls the pacer, which steps the field when its interval has passed, and sends what changed
  // when a present is due. Returns the tick count at which to poll next: never later than the
  // pacer's due time, nor than the next present while something waits to be sent.
  std::uint32_t Poll();

 private:
  void Build();

  const ConfigureArgs args;
  const std::int32_t scaleStep;
  WindowSurface surface;
  DeferredSurface held{surface};
  PresentPacer presents;
  ServerSheetFactory sheets;
  std::unique_ptr<Vellix> field;
};
