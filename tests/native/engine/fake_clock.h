// A tick count the test sets by hand, installed for the life of the object.
#pragma once

#include <cstdint>

#include "engine/tick_count.h"

class FakeClock {
 public:
  explicit FakeClock(std::uint32_t start) : replaced(SetTickSource(&Read)) { Now() = start; }
  ~FakeClock() { SetTickSource(replaced); }
  FakeClock(const FakeClock&) = delete;
  FakeClock& operator=(const FakeClock&) = delete;

  void Set(std::uint32_t tick) { Now() = tick; }
  std::uint32_t Get() const { return Now(); }

 private:
  static std::uint32_t& Now() {
    static std::uint32_t now = 0;
    return now;
  }
  static std::uint32_t Read() { return Now(); }

  TickSource replaced;
};
