// Every drawing call marks its rectangle; Present hands the marks to the window's DC in one
// pass. The window class keeps one DC per window (CS_OWNDC), so getting it is cheap.
#include "platform/window_picture.h"

#include "base/win_handles.h"

namespace {

SIZE ClientSize(HWND window) {
  RECT client{};
  ::GetClientRect(window, &client);
  return {client.right - client.left, client.bottom - client.top};
}

}  // namespace

WindowPicture::WindowPicture(HWND window)
    : window_(window),
      picture_(ClientSize(window).cx, ClientSize(window).cy),
      changed_(picture_.Width(), picture_.Height()) {}

void WindowPicture::FillRect(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height) {
  picture_.FillRect(x, y, width, height);
  changed_.Add(x, y, width, height);
}

void WindowPicture::CopyFrom(const Image& source, std::int32_t sourceX, std::int32_t sourceY, std::int32_t width,
                             std::int32_t height, std::int32_t x, std::int32_t y) {
  picture_.CopyFrom(source, sourceX, sourceY, width, height, x, y);
  changed_.Add(x, y, width, height);
}

void WindowPicture::SetPixel(std::int32_t x, std::int32_t y, Color color) {
  picture_.SetPixel(x, y, color);
  changed_.Add(x, y, 1, 1);
}

void WindowPicture::Present() {
  if (changed_.Empty()) return;
  changed_.Take(showing_);
  WindowDc window(window_);
  for (const PixelRect& r : showing_)
    ::BitBlt(window.Get(), r.left, r.top, r.right - r.left, r.bottom - r.top, picture_.Dc(), r.left, r.top,
             SRCCOPY);
}

void WindowPicture::Paint(HDC dc, const RECT& area) const {
  ::BitBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top, picture_.Dc(), area.left,
           area.top, SRCCOPY);
}

void WindowPicture::Clear() {
  picture_.Clear();
  changed_.AddAll();
}
