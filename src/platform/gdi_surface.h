// GDI behind the engine's drawing interfaces: glyph sheets are bitmaps compatible with the
// display, each selected into its own memory DC; a window's canvas is the window's own DC.
// Every GDI object made here is freed by its owner's destructor.
#pragma once

#include <windows.h>

#include "base/win_handles.h"
#include "engine/surface.h"

class DibImage;

// Fill, copy and pixel access over one DC, shared by images and window canvases.
class GdiSurface : public Image {
 public:
  std::int32_t Width() const override { return width_; }
  std::int32_t Height() const override { return height_; }
  void SetFillColor(Color color) override;
  void FillRect(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height) override;
  void CopyFrom(const Image& source, std::int32_t sourceX, std::int32_t sourceY, std::int32_t width,
                std::int32_t height, std::int32_t x, std::int32_t y) override;
  Color GetPixel(std::int32_t x, std::int32_t y) const override;
  void SetPixel(std::int32_t x, std::int32_t y, Color color) override;

  HDC Dc() const { return dc_; }
  // The same surface when its pixels are in this process's memory (a DibImage), else null:
  // cheaper than a dynamic_cast on every glyph copy.
  virtual const DibImage* InMemory() const { return nullptr; }

 protected:
  GdiSurface() = default;
  void Attach(HDC dc, std::int32_t width, std::int32_t height);

 private:
  HDC dc_ = nullptr;
  std::int32_t width_ = 0;
  std::int32_t height_ = 0;
  UniqueBrush fillBrush_;
};

// A bitmap with a memory DC of its own.
class GdiImage : public GdiSurface {
 public:
  explicit GdiImage(UniqueBitmap bitmap);
  ~GdiImage() override;

 private:
  UniqueMemoryDc memoryDc_;
  UniqueBitmap bitmap_;
  HGDIOBJ previousBitmap_ = nullptr;
};

// The client area of a window; the window class gives it its own DC (CS_OWNDC), kept for the
// canvas's life. The canvas must not outlive the window.
class WindowCanvas : public GdiSurface {
 public:
  explicit WindowCanvas(HWND window);
  ~WindowCanvas() override;
  WindowCanvas(const WindowCanvas&) = delete;
  WindowCanvas& operator=(const WindowCanvas&) = delete;

 private:
  HWND window_;
};

// Blank images compatible with the screen, and bitmap resources of the given module.
class GdiImageFactory : public ImageFactory {
 public:
  explicit GdiImageFactory(HINSTANCE module = ::GetModuleHandleA(nullptr)) : module_(module) {}
  std::unique_ptr<Image> CreateBlank(std::int32_t width, std::int32_t height) override;
  std::unique_ptr<Image> LoadResource(const std::string& name) override;

 private:
  HINSTANCE module_;
};
