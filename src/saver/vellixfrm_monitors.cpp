// Following the monitors while the full-screen saver runs: a monitor plugged in, or one that
// wakes and rejoins the list, must not show the desktop (with a password set, the content the
// user meant to hide). Each rectangle of `Monitors` gets exactly one window; surplus windows are
// destroyed with their rain fields and every GDI object those made.
#include <windows.h>

#include "base/globals.h"
#include "forms/application.h"
#include "platform/monitors.h"
#include "saver/vellixfrm.h"

namespace {

int Width(const RECT& rect) { return rect.right - rect.left; }
int Height(const RECT& rect) { return rect.bottom - rect.top; }

}  // namespace

void TVellixForm::PlaceAt(const RECT& rect) {
  const bool resized = Width(rect) != Width(ScreenRect) || Height(rect) != Height(ScreenRect);
  ScreenRect = rect;
  SetBounds(rect);
  if (!resized || !RainField) return;
  // The old picture does not fit the new grid: start the new field on black.
  ::InvalidateRect(Handle(), nullptr, TRUE);
  BuildRainField();
  ReloadSettings();
}

void TVellixForm::FollowMonitors() {
  if (!IsPrimary || PreviewParent || !SecondaryForms) return;
  std::vector<RECT> rects;
  for (const auto& monitor : Monitors.List) rects.push_back(monitor->Rect);
  if (rects.empty()) rects.push_back(VirtualScreenRect());  // cover the whole desktop rather than nothing

  PlaceAt(rects.front());
  std::vector<TVellixForm*>& secondaries = *SecondaryForms;
  while (secondaries.size() + 1 > rects.size()) {
    TVellixForm* surplus = secondaries.back();
    secondaries.pop_back();
    Owner()->DestroyForm(surplus);
  }
  for (std::size_t i = 1; i < rects.size(); ++i) {
    if (i - 1 < secondaries.size()) {
      secondaries[i - 1]->PlaceAt(rects[i]);
    } else {
      AddSecondary(rects[i]);
    }
  }
}
