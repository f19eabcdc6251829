// Uploading goes through an XImage in the window's own pixel layout, filled with XPutPixel,
// so any true-colour depth and byte order of the server is served; the sheets are small and
// are uploaded only after a Configure has tinted them.
#include "x11/server_sheets.h"

#include <X11/Xutil.h>

#include <algorithm>
#include <cstdlib>

#include "base/exception.h"
#include "linux/sheets.h"

namespace {

struct ImageDestroyer {
  void operator()(XImage* image) const { XDestroyImage(image); }
};

}  // namespace

ServerSheet::ServerSheet(const WindowFormat& format, MemoryImage pixels)
    : format(format), pixels(std::move(pixels)) {}

void ServerSheet::FillRect(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height) {
  pixels.FillRect(x, y, width, height);
  stale = true;
}

void ServerSheet::CopyFrom(const Image& source, std::int32_t sourceX, std::int32_t sourceY,
                           std::int32_t width, std::int32_t height, std::int32_t x, std::int32_t y) {
  const auto* sheet = dynamic_cast<const ServerSheet*>(&source);
  pixels.CopyFrom(sheet ? static_cast<const Image&>(sheet->pixels) : source, sourceX, sourceY, width, height, x, y);
  stale = true;
}

void ServerSheet::SetPixel(std::int32_t x, std::int32_t y, Color color) {
  pixels.SetPixel(x, y, color);
  stale = true;
}

Pixmap ServerSheet::OnServer() const {
  if (!stale) return pixmap.Get();
  const int width = std::max(1, pixels.Width());
  const int height = std::max(1, pixels.Height());
  Display* display = format.display;
  if (!pixmap)
    pixmap = PixmapHandle(display, XCreatePixmap(display, format.window, width, height, format.depth));

  std::unique_ptr<XImage, ImageDestroyer> image(
      XCreateImage(display, format.visual, format.depth, ZPixmap, 0, nullptr, width, height, 32, 0));
  if (!image) throw Exception("cannot make an image of the window's format for the glyphs");
  image->data = static_cast<char*>(std::calloc(static_cast<std::size_t>(image->bytes_per_line), height));
  if (!image->data) throw Exception("out of memory for the glyph images");
  for (int y = 0; y < pixels.Height(); ++y)
    for (int x = 0; x < pixels.Width(); ++x) XPutPixel(image.get(), x, y, format.pixels.ToPixel(pixels.Row(y)[x]));

  GcHandle gc(display, XCreateGC(display, pixmap.Get(), 0, nullptr));
  XPutImage(display, pixmap.Get(), gc.Get(), image.get(), 0, 0, 0, 0, width, height);
  stale = false;
  return pixmap.Get();
}

std::unique_ptr<Image> ServerSheetFactory::CreateBlank(std::int32_t width, std::int32_t height) {
  return std::make_unique<ServerSheet>(format, MemoryImage(width, height));
}

std::unique_ptr<Image> ServerSheetFactory::LoadResource(const std::string& name) {
  return std::make_unique<ServerSheet>(format, LoadEmbeddedSheet(name));
}
