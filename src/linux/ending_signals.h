// The signals that end the Linux program with 0 (SIGTERM from a daemon, SIGINT from Ctrl-C,
// SIGHUP when its terminal or session goes), blocked and turned into a descriptor that becomes
// readable when one arrives, so a backend's loop sleeps on its connection and on them at once.
// Made before anything else, so that none can arrive unnoticed.
#pragma once

#include <cstdint>

class EndingSignals {
 public:
  EndingSignals();  // throws Exception when the system refuses
  ~EndingSignals();
  EndingSignals(const EndingSignals&) = delete;
  EndingSignals& operator=(const EndingSignals&) = delete;

  int Descriptor() const { return descriptor; }

 private:
  int descriptor;
};

// Milliseconds from now to the tick count `due` for poll(): 0 when it has passed.
int MillisecondsUntil(std::uint32_t due);
