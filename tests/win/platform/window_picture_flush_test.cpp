// GDI may hold a thread's drawing calls back in a batch, and a copy still in the batch reads a
// bitmap's pixels later, when the program may already be writing them again: the documentation
// of DIB sections asks for GdiFlush before the program touches the bits once GDI has used them.
// Wine draws at once, so the pixels cannot show the fault; the calls can: when presenting or
// painting returns, no copy that it handed GDI may be left unflushed.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "base/win_handles.h"
#include "platform/dib_image.h"
#include "platform/window_picture.h"
#include "support/import_hook.h"

namespace {

// What reached GDI, in order: 'c' for a copy (BitBlt), 'f' for a flush.
std::string gdiCalls;
ImportHook* bitBltHook = nullptr;
ImportHook* gdiFlushHook = nullptr;

BOOL WINAPI CountedBitBlt(HDC to, int x, int y, int width, int height, HDC from, int fromX, int fromY, DWORD rop) {
  gdiCalls += 'c';
  return bitBltHook->Original<decltype(&::BitBlt)>()(to, x, y, width, height, from, fromX, fromY, rop);
}

BOOL WINAPI CountedGdiFlush() {
  gdiCalls += 'f';
  return gdiFlushHook->Original<decltype(&::GdiFlush)>()();
}

// A plain visible window of the system's own static class: the picture needs nothing more.
class Window {
 public:
  Window()
      : handle_(::CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 120, 90, nullptr, nullptr,
                                  ::GetModuleHandleA(nullptr), nullptr)) {}
  ~Window() { ::DestroyWindow(handle_); }
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;
  HWND Handle() const { return handle_; }

 private:
  HWND handle_;
};

TEST(WindowPictureFlush, NoCopyIsLeftInGdisBatchWhenPresentingOrPaintingReturns) {
  Window window;
  DibImage sheet(10, 30);
  sheet.SetFillColor(0x0040C040);
  sheet.FillRect(0, 0, 10, 30);
  const struct {
    const char* name;
    std::function<void(WindowPicture&)> draw;  // before the grid of cells is known, or on it
    std::function<void(WindowPicture&, HDC)> show;
  } cases[] = {
      {"presenting the picture's own pixels", [](WindowPicture& p) { p.SetPixel(3, 4, 0x00FFFFFF); },
       [](WindowPicture& p, HDC) { p.Present(); }},
      {"presenting cells of the grid", [&](WindowPicture& p) { p.CopyFrom(sheet, 0, 15, 10, 15, 20, 30); },
       [](WindowPicture& p, HDC) { p.Present(); }},
      {"painting a part again", [&](WindowPicture& p) { p.CopyFrom(sheet, 0, 0, 10, 15, 40, 45); },
       [](WindowPicture& p, HDC dc) { p.Paint(dc, RECT{0, 0, 120, 90}); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    WindowPicture picture(window.Handle());
    WindowDc dc(window.Handle());
    c.draw(picture);
    ImportHook copies("gdi32.dll", "BitBlt", reinterpret_cast<void*>(&CountedBitBlt));
    ImportHook flushes("gdi32.dll", "GdiFlush", reinterpret_cast<void*>(&CountedGdiFlush));
    ASSERT_TRUE(copies.Hooked() && flushes.Hooked());
    bitBltHook = &copies;
    gdiFlushHook = &flushes;
    gdiCalls.clear();
    c.show(picture, dc.Get());
    ASSERT_NE(gdiCalls.find('c'), std::string::npos) << "nothing was copied to the window";
    const std::size_t lastFlush = gdiCalls.rfind('f');
    EXPECT_TRUE(lastFlush != std::string::npos && lastFlush > gdiCalls.rfind('c')) << "calls in order: " << gdiCalls;
  }
}

}  // namespace
