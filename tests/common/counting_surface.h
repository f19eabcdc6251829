// A surface that passes drawing on to another and counts the cell copies and fills it passes.
#pragma once

#include "engine/surface.h"

class CountingSurface final : public Surface {
 public:
  explicit CountingSurface(Surface& target) : target(target) {}
  std::int32_t Width() const override { return target.Width(); }
  std::int32_t Height() const override { return target.Height(); }
  void SetFillColor(Color color) override { target.SetFillColor(color); }
  void FillRect(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height) override {
    ++fills;
    target.FillRect(x, y, width, height);
  }
  void CopyFrom(const Image& source, std::int32_t sourceX, std::int32_t sourceY, std::int32_t width,
                std::int32_t height, std::int32_t x, std::int32_t y) override {
    ++copies;
    target.CopyFrom(source, sourceX, sourceY, width, height, x, y);
  }
  Color GetPixel(std::int32_t x, std::int32_t y) const override { return target.GetPixel(x, y); }
  void SetPixel(std::int32_t x, std::int32_t y, Color color) override { target.SetPixel(x, y, color); }

  long copies = 0;
  long fills = 0;

 private:
  Surface& target;
};
