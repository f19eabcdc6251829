#include "platform/gdi_surface.h"

#include <utility>

#include "base/exception.h"
#include "engine/dib_resource.h"

namespace {

// What the user sees when GDI refuses to make an object.
constexpr char kOutOfResources[] = "Out of system resources";

}  // namespace

void GdiSurface::Attach(HDC dc, std::int32_t width, std::int32_t height) {
  dc_ = dc;
  width_ = width;
  height_ = height;
  SetFillColor(0);
}

void GdiSurface::SetFillColor(Color color) {
  UniqueBrush brush(::CreateSolidBrush(color & 0x00FFFFFF));
  if (!brush) throw Exception(kOutOfResources);
  fillBrush_ = std::move(brush);
}

void GdiSurface::FillRect(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height) {
  RECT area{x, y, x + width, y + height};
  ::FillRect(dc_, &area, fillBrush_.Get());
}

void GdiSurface::CopyFrom(const Image& source, std::int32_t sourceX, std::int32_t sourceY,
                          std::int32_t width, std::int32_t height, std::int32_t x, std::int32_t y) {
  // Every image this side makes is a GdiSurface; nothing else reaches a GDI canvas.
  const auto& gdiSource = static_cast<const GdiSurface&>(source);
  ::BitBlt(dc_, x, y, width, height, gdiSource.dc_, sourceX, sourceY, SRCCOPY);
}

Color GdiSurface::GetPixel(std::int32_t x, std::int32_t y) const { return ::GetPixel(dc_, x, y); }

void GdiSurface::SetPixel(std::int32_t x, std::int32_t y, Color color) {
  ::SetPixelV(dc_, x, y, color & 0x00FFFFFF);
}

GdiImage::GdiImage(UniqueBitmap bitmap) : bitmap_(std::move(bitmap)) {
  BITMAP info{};
  ::GetObjectA(bitmap_.Get(), sizeof info, &info);
  {
    WindowDc screen(nullptr);
    memoryDc_.Reset(::CreateCompatibleDC(screen.Get()));
  }
  if (!memoryDc_) throw Exception(kOutOfResources);
  previousBitmap_ = ::SelectObject(memoryDc_.Get(), bitmap_.Get());
  try {
    Attach(memoryDc_.Get(), info.bmWidth, info.bmHeight);
  } catch (...) {
    ::SelectObject(memoryDc_.Get(), previousBitmap_);  // no destructor runs to do it
    throw;
  }
}

GdiImage::~GdiImage() {
  // The bitmap must leave its DC before either is deleted.
  if (previousBitmap_) ::SelectObject(memoryDc_.Get(), previousBitmap_);
}

WindowCanvas::WindowCanvas(HWND window) : window_(window) {
  RECT client{};
  ::GetClientRect(window, &client);
  HDC dc = ::GetDC(window);
  if (!dc) throw Exception(kOutOfResources);
  try {
    Attach(dc, client.right - client.left, client.bottom - client.top);
  } catch (...) {
    ::ReleaseDC(window, dc);  // no destructor runs to do it
    throw;
  }
}

WindowCanvas::~WindowCanvas() { ::ReleaseDC(window_, Dc()); }

std::unique_ptr<Image> GdiImageFactory::CreateBlank(std::int32_t width, std::int32_t height) {
  WindowDc screen(nullptr);
  UniqueBitmap bitmap(::CreateCompatibleBitmap(screen.Get(), width, height));
  if (!bitmap) throw Exception(kOutOfResources);
  return std::make_unique<GdiImage>(std::move(bitmap));
}

std::unique_ptr<Image> GdiImageFactory::LoadResource(const std::string& name) {
  // The loader believes the sizes in the bitmap's header: a damaged sheet would be read past
  // its end and rain garbage, so it is measured against its own length first.
  const HRSRC found = ::FindResourceA(module_, name.c_str(), MAKEINTRESOURCEA(2));  // RT_BITMAP
  if (!found) throw Exception("Resource " + name + " not found");
  CheckDibResource(static_cast<const std::uint8_t*>(::LockResource(::LoadResource(module_, found))),
                   ::SizeofResource(module_, found), name);
  UniqueBitmap bitmap(static_cast<HBITMAP>(
      ::LoadImageA(module_, name.c_str(), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR)));
  if (!bitmap) throw Exception("Resource " + name + " not found");
  return std::make_unique<GdiImage>(std::move(bitmap));
}
