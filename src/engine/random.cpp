// The process generator is the minimal-standard one: its values lie in [1, 2^31 - 1),
// inside the range the rain relies on.
#include "engine/random.h"

#include <ctime>
#include <random>
#include <utility>

namespace {

std::minstd_rand& Generator() {
  static std::minstd_rand generator;
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
  const std::uint32_t value = source ? (*source)() : static_cast<std::uint32_t>(Generator()());
  return static_cast<std::int32_t>(value % static_cast<std::uint32_t>(n));
}

void Randomize() {
  Generator().seed(static_cast<std::minstd_rand::result_type>(std::time(nullptr)));
}

ScopedRandomSource::ScopedRandomSource(RandomSource source)
    : source(std::move(source)), previous(OverridingSource()) {
  OverridingSource() = &this->source;
}

ScopedRandomSource::~ScopedRandomSource() { OverridingSource() = previous; }
