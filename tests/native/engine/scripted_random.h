// Feeds the process-wide random stream from a script for the life of the object, so a
// test states exactly which values a piece of the rain may draw, and in which order.
// A draw beyond the script is a test failure (and yields 0).
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "engine/random.h"

class ScriptedRandom {
 public:
  ScriptedRandom() : guard([this] { return Next(); }) {}

  // Replaces the script: the next draws must be exactly these values.
  void Expect(std::vector<std::uint32_t> script) {
    values = std::move(script);
    next = 0;
  }
  // How many values of the current script have not been drawn.
  std::size_t Left() const { return next < values.size() ? values.size() - next : 0; }

 private:
  std::uint32_t Next() {
    if (next >= values.size()) {
      ADD_FAILURE() << "unscripted random draw (script of " << values.size() << " values)";
      ++next;
      return 0;
    }
    return values[next++];
  }

  std::vector<std::uint32_t> values;
  std::size_t next = 0;
  ScopedRandomSource guard;
};
