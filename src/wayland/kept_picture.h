// The picture of one output as the rain last drew it, and what changed in it since each of the
// surface's buffers last took it and since the last commit. The rain draws into the picture;
// a buffer that is shown next first takes the parts that changed since it was last written, so
// no buffer shows an older picture, and the commit damages only what differs from the frame
// before. Plain memory and no Wayland header, so the bookkeeping is tested natively.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/dirty_area.h"
#include "engine/memory_image.h"
#include "engine/surface.h"

class KeptPicture final : public Surface {
 public:
  // A black picture of width x height pixels, shown through `buffers` buffers, each of which
  // starts black too.
  KeptPicture(std::int32_t width, std::int32_t height, int buffers);

  std::int32_t Width() const override { return picture.Width(); }
  std::int32_t Height() const override { return picture.Height(); }
  void SetFillColor(Color color) override { picture.SetFillColor(color); }
  void FillRect(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height) override;
  void CopyFrom(const Image& source, std::int32_t sourceX, std::int32_t sourceY, std::int32_t width,
                std::int32_t height, std::int32_t x, std::int32_t y) override;
  Color GetPixel(std::int32_t x, std::int32_t y) const override { return picture.GetPixel(x, y); }
  void SetPixel(std::int32_t x, std::int32_t y, Color color) override;

  // Something changed since the last commit.
  bool Changed() const { return !sinceCommit.Empty(); }
  // Brings buffer `index` up to date: copies into it (rows `stride` pixels apart) every part
  // that changed since it was last brought up to date.
  void UpdateBuffer(int index, std::uint32_t* pixels, std::int32_t stride);
  // The parts that changed since the last commit, for its damage; empties them.
  void TakeCommitDamage(std::vector<PixelRect>& out);

 private:
  void Mark(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height);

  MemoryImage picture;
  std::vector<DirtyArea> sinceBuffer;  // one per buffer
  DirtyArea sinceCommit;
  std::vector<PixelRect> rects;        // kept for its capacity
};
