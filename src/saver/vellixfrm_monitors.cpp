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

void TVellixForm::PlaceAt(const RECT& rect, int dpi) {
  const bool resized = Width(rect) != Width(ScreenRect) || Height(rect) != Height(ScreenRect);
  ScreenRect = rect;
  SetBounds(rect);
  if (dpi > 0) dpi_ = dpi;
  if (!RainField) return;
  if (resized || ScaleStepForDpi(CurrentDpi()) != scaleStep_) {
    RebuildRain();
  } else {
    FollowPresentRate();  // the monitor here may refresh at another rate
  }
}

void TVellixForm::FollowDpi(int dpi) {
  dpi_ = dpi > 0 ? dpi : 0;
  if (RainField && ScaleStepForDpi(CurrentDpi()) != scaleStep_) RebuildRain();
}

void TVellixForm::RebuildRain() {
  // The old picture does not fit the new grid: start the new field on black.
  ::InvalidateRect(Handle(), nullptr, TRUE);
  BuildRainField();
  ReloadSettings();
}

void TVellixForm::FollowMonitors() {
  if (!IsPrimary || PreviewParent || !SecondaryForms) return;
  std::vector<RECT> rects;
  std::vector<int> dpis;
  for (const auto& monitor : Monitors.List) {
    rects.push_back(monitor->Rect);
    dpis.push_back(monitor->Dpi);
  }
  if (rects.empty()) {
    rects.push_back(VirtualScreenRect());  // cover the whole desktop rather than nothing
    dpis.push_back(0);
  }

  // The list's DPI for each window, or, where the list does not know it, the window asks again.
  const auto place = [](TVellixForm& window, const RECT& rect, int dpi) {
    if (dpi <= 0) window.dpi_ = 0;
    window.PlaceAt(rect, dpi);
  };
  place(*this, rects.front(), dpis.front());
  std::vector<TVellixForm*>& secondaries = *SecondaryForms;
  while (secondaries.size() + 1 > rects.size()) {
    TVellixForm* surplus = secondaries.back();
    secondaries.pop_back();
    Owner()->DestroyForm(surplus);
  }
  for (std::size_t i = 1; i < rects.size(); ++i) {
    if (i - 1 < secondaries.size()) {
      place(*secondaries[i - 1], rects[i], dpis[i]);
    } else {
      AddSecondary(rects[i], dpis[i]);
    }
  }
}
