// The process generator is the minimal-standard one (the sequence of std::minstd_rand):
// its values lie in [1, 2^31 - 1), inside the range the rain relies on.
#include "engine/random.h"

#include <ctime>
#include <utility>

namespace {

// x -> 48271 x mod (2^31 - 1). The modulus is a Mersenne prime, so the remainder comes
// from a shift and an add instead of a 64-bit division: the rain draws about a thousand
// values per step.
class MinimalStandardGenerator {
 public:
  void Seed(std::uint32_t seed) {
    state = seed % kModulus;
    if (state == 0) state = 1;
  }
  std::uint32_t Next() {
    const std::uint64_t product = static_cast<std::uint64_t>(state) * kMultiplier;
    std::uint64_t folded = (product & kModulus) + (product >> 31);
    if (folded >= kModulus) folded -= kModulus;
    state = static_cast<std::uint32_t>(folded);
    return state;
  }

 private:
  static constexpr std::uint32_t kModulus = 0x7FFFFFFF;
  static constexpr std::uint32_t kMultiplier = 48271;
  std::uint32_t state = 1;
};

MinimalStandardGenerator& Generator() {
  static MinimalStandardGenerator generator;
  return generator;
}

// The scripted source in force, or null for the process generator.
RandomSource*& OverridingSource() {
  static RandomSource* source = nullptr;
  return source;
}

}  // namespace

std::int32_t RandomBelow(std::int32_t n) {
  if (n <= 0) return 0;
  RandomSource* source = OverridingSource();
  const std::uint32_t value = source ? (*source)() : Generator().Next();
  return static_cast<std::int32_t>(value % static_cast<std::uint32_t>(n));
}

void Randomize() {
  Generator().Seed(static_cast<std::uint32_t>(std::time(nullptr)));
}

ScopedRandomSource::ScopedRandomSource(RandomSource source)
    : source(std::move(source)), previous(OverridingSource()) {
  OverridingSource() = &this->source;
}

ScopedRandomSource::~ScopedRandomSource() { OverridingSource() = previous; }
