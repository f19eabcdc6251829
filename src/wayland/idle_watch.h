// Tells `lumivex -wayland -idle` when the seat has been idle for the time it was asked to wait.
// One source is the compositor itself (its news come through the Wayland connection); another
// is a second connection, the session bus, which the run loop then polls beside the
// compositor's socket: no source has a loop or a thread of its own.
#pragma once

#include <poll.h>
#include <wayland-client.h>

#include <cstdint>
#include <memory>

class IdleWatch {
 public:
  virtual ~IdleWatch() = default;

  // The seat went idle since TakeIdled last said so.
  bool Idled() const { return idled; }
  // Whether it did, and from now on not until it goes idle again.
  bool TakeIdled() {
    const bool was = idled;
    idled = false;
    return was;
  }

  // The source's own connection to poll, or a descriptor of -1 when its news come through the
  // compositor's connection; and the milliseconds until it needs Dispatch anyway (-1: none).
  virtual pollfd Waiting() const { return {-1, 0, 0}; }
  virtual int MillisecondsToDispatch() const { return -1; }
  // Handles whatever has come on its own connection; called on every turn of the loop, since
  // a connection may hold read messages that its descriptor no longer shows. Throws Exception
  // when that connection went away.
  virtual void Dispatch() {}

 protected:
  void WentIdle() { idled = true; }

 private:
  bool idled = false;
};

// The watch for `milliseconds` of idle time from the first source this desktop has
// (idle_source_choice.h). Throws Exception with kNoIdleSource when it has none.
std::unique_ptr<IdleWatch> MakeIdleWatch(wl_display* display, std::uint32_t milliseconds);
