#include "x11/output_refresh.h"

#include <X11/extensions/Xrandr.h>

#include <memory>

namespace {

struct ResourcesFree {
  void operator()(XRRScreenResources* resources) const { XRRFreeScreenResources(resources); }
};
struct CrtcFree {
  void operator()(XRRCrtcInfo* crtc) const { XRRFreeCrtcInfo(crtc); }
};

}  // namespace

std::int32_t RefreshOfTimings(unsigned long dotClock, unsigned int hTotal, unsigned int vTotal) {
  const unsigned long long pixelsPerFrame = static_cast<unsigned long long>(hTotal) * vTotal;
  if (pixelsPerFrame == 0) return 0;
  return static_cast<std::int32_t>((dotClock + pixelsPerFrame / 2) / pixelsPerFrame);
}

std::int32_t OutputRefreshHz(Display* display, Window window) {
  int eventBase = 0;
  int errorBase = 0;
  if (!XRRQueryExtension(display, &eventBase, &errorBase)) return 0;
  XWindowAttributes attributes{};
  if (!XGetWindowAttributes(display, window, &attributes)) return 0;
  int centreX = 0;
  int centreY = 0;
  Window child = None;
  if (!XTranslateCoordinates(display, window, attributes.root, attributes.width / 2, attributes.height / 2, &centreX,
                             &centreY, &child)) {
    return 0;
  }
  const std::unique_ptr<XRRScreenResources, ResourcesFree> resources(
      XRRGetScreenResourcesCurrent(display, attributes.root));
  if (!resources) return 0;
  for (int c = 0; c < resources->ncrtc; ++c) {
    const std::unique_ptr<XRRCrtcInfo, CrtcFree> crtc(XRRGetCrtcInfo(display, resources.get(), resources->crtcs[c]));
    if (!crtc || crtc->mode == None) continue;
    if (centreX < crtc->x || centreY < crtc->y || centreX >= crtc->x + static_cast<int>(crtc->width) ||
        centreY >= crtc->y + static_cast<int>(crtc->height)) {
      continue;
    }
    for (int m = 0; m < resources->nmode; ++m) {
      const XRRModeInfo& mode = resources->modes[m];
      if (mode.id == crtc->mode) return RefreshOfTimings(mode.dotClock, mode.hTotal, mode.vTotal);
    }
  }
  return 0;
}
