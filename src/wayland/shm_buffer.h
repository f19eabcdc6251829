// One wl_shm buffer: pixels in shared memory that the compositor reads. A buffer is busy from
// the commit that shows it until the compositor releases it, and is never written meanwhile.
#pragma once

#include <wayland-client.h>

#include <cstdint>

#include "wayland/wayland_objects.h"

class ShmBuffer {
 public:
  // A black XRGB8888 buffer of width x height pixels; throws Exception when the memory cannot
  // be had.
  ShmBuffer(wl_shm* shm, std::int32_t width, std::int32_t height);
  ~ShmBuffer();
  ShmBuffer(const ShmBuffer&) = delete;
  ShmBuffer& operator=(const ShmBuffer&) = delete;

  wl_buffer* Get() const { return buffer.get(); }
  std::uint32_t* Row(std::int32_t y) const { return pixels + static_cast<std::size_t>(y) * width; }
  bool Busy() const { return busy; }
  // The buffer is about to be attached and committed.
  void MarkBusy() { busy = true; }

 private:
  static void Released(void* data, wl_buffer* buffer);

  std::int32_t width;
  std::size_t size;
  std::uint32_t* pixels = nullptr;
  BufferObject buffer;
  bool busy = false;
};
