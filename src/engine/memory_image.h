// A plain 32-bit image in memory (pixels 0x00BBGGRR, rows top-down) and a factory of them:
// the surface the native tests and the benchmarks run the rain on. Drawing clips to the
// image as a window's surface would, and copies between memory images are row copies.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/surface.h"

// What GetPixel reports for a point outside the image (as GDI's CLR_INVALID).
constexpr Color kInvalidColor = 0xFFFFFFFF;

class MemoryImage final : public Image {
 public:
  // A black image; a negative size counts as 0.
  MemoryImage(std::int32_t width, std::int32_t height);

  std::int32_t Width() const override { return width; }
  std::int32_t Height() const override { return height; }
  void SetFillColor(Color color) override { fillColor = color; }
  void FillRect(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height) override;
  void CopyFrom(const Image& source, std::int32_t sourceX, std::int32_t sourceY,
                std::int32_t width, std::int32_t height, std::int32_t x, std::int32_t y) override;
  Color GetPixel(std::int32_t x, std::int32_t y) const override;
  void SetPixel(std::int32_t x, std::int32_t y, Color color) override;

  // Pixel row y (0 <= y < Height()).
  const Color* Row(std::int32_t y) const { return pixels.data() + static_cast<std::size_t>(y) * width; }
  Color* Row(std::int32_t y) { return pixels.data() + static_cast<std::size_t>(y) * width; }

 private:
  bool Contains(std::int32_t x, std::int32_t y) const { return x >= 0 && y >= 0 && x < width && y < height; }

  std::int32_t width;
  std::int32_t height;
  Color fillColor = 0;
  std::vector<Color> pixels;
};

// Hands out copies of images registered by name, standing in for the program's resources.
class MemoryImageFactory final : public ImageFactory {
 public:
  std::unique_ptr<Image> CreateBlank(std::int32_t width, std::int32_t height) override;
  // A copy of the image registered as `name`; throws Exception("Resource <name> not found").
  std::unique_ptr<Image> LoadResource(const std::string& name) override;

  // Registers (or replaces) the image behind `name`.
  void AddResource(const std::string& name, MemoryImage image);

 private:
  std::map<std::string, MemoryImage> resources;
};
