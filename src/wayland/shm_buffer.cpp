// The memory is an anonymous memfd sized once; the pool is only needed to make the buffer and
// goes at once (the compositor keeps its own mapping as long as the buffer lives).
#include "wayland/shm_buffer.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "base/exception.h"

namespace {

// Closes the descriptor on every path out of the constructor.
struct Descriptor {
  int fd;
  ~Descriptor() {
    if (fd >= 0) close(fd);
  }
};

}  // namespace

ShmBuffer::ShmBuffer(wl_shm* shm, std::int32_t width, std::int32_t height)
    : width(width), size(static_cast<std::size_t>(width) * height * 4) {
  const Descriptor memory{memfd_create("lumivex-buffer", MFD_CLOEXEC)};
  if (memory.fd < 0) throw Exception(std::string("cannot make a picture buffer: ") + std::strerror(errno));
  if (ftruncate(memory.fd, static_cast<off_t>(size)) != 0)
    throw Exception(std::string("cannot size a picture buffer: ") + std::strerror(errno));
  void* mapped = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, memory.fd, 0);
  if (mapped == MAP_FAILED) throw Exception(std::string("cannot map a picture buffer: ") + std::strerror(errno));
  pixels = static_cast<std::uint32_t*>(mapped);  // a new memfd reads as zeros: black
  const PoolObject pool(wl_shm_create_pool(shm, memory.fd, static_cast<std::int32_t>(size)));
  buffer.reset(wl_shm_pool_create_buffer(pool.get(), 0, width, height, width * 4, WL_SHM_FORMAT_XRGB8888));
  static const wl_buffer_listener listener = {&ShmBuffer::Released};
  wl_buffer_add_listener(buffer.get(), &listener, this);
}

ShmBuffer::~ShmBuffer() {
  buffer.reset();
  if (pixels) munmap(pixels, size);
}

void ShmBuffer::Released(void* data, wl_buffer*) { static_cast<ShmBuffer*>(data)->busy = false; }
