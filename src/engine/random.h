// The one pseudo-random stream of the process, shared by every rain field. The rain's
// behaviour is defined by the order in which it draws from this stream, so tests can
// replace the stream with scripted values for a scope and see exactly what was drawn.
#pragma once

#include <cstdint>
#include <functional>

// One draw of a stream: a value in [0, 2^31).
using RandomSource = std::function<std::uint32_t()>;

// r mod n for the next value r of the stream; n <= 0 returns 0 and draws nothing.
std::int32_t RandomBelow(std::int32_t n);

// Reseeds the process generator from the calendar time in whole seconds, so fields
// built within the same second start from the same sequence.
void Randomize();

// While it lives, every draw comes from `source` instead of the process generator.
// Guards nest; each restores the source it replaced.
class ScopedRandomSource {
 public:
  explicit ScopedRandomSource(RandomSource source);
  ~ScopedRandomSource();
  ScopedRandomSource(const ScopedRandomSource&) = delete;
  ScopedRandomSource& operator=(const ScopedRandomSource&) = delete;

 private:
  RandomSource source;
  RandomSource* previous;
};
