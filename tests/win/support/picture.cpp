#include "support/picture.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "base/win_handles.h"

Picture ClientPicture(HWND window) {
  Picture picture;
  RECT client{};
  ::GetClientRect(window, &client);
  picture.width = client.right;
  picture.height = client.bottom;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = picture.width;
  info.bmiHeader.biHeight = -picture.height;  // top row first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  WindowDc windowDc(window);
  UniqueBitmap bitmap(::CreateDIBSection(windowDc.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  UniqueMemoryDc memory(::CreateCompatibleDC(windowDc.Get()));
  if (!bitmap || !memory) {
    ADD_FAILURE() << "no bitmap to copy the window into";
    return picture;
  }
  {
    ScopedSelect select(memory.Get(), bitmap.Get());
    ::BitBlt(memory.Get(), 0, 0, picture.width, picture.height, windowDc.Get(), 0, 0, SRCCOPY);
  }
  ::GdiFlush();
  const auto* source = static_cast<const std::uint32_t*>(bits);
  picture.pixels.resize(static_cast<std::size_t>(picture.width) * picture.height);
  for (std::size_t i = 0; i < picture.pixels.size(); ++i) {
    const std::uint32_t bgra = source[i];  // blue in the low byte; Color has red there
    picture.pixels[i] = (bgra & 0xFF) << 16 | (bgra & 0xFF00) | (bgra >> 16 & 0xFF);
  }
  return picture;
}
