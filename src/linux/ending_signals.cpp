#include "linux/ending_signals.h"

#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "base/exception.h"
#include "engine/tick_count.h"

EndingSignals::EndingSignals() {
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGTERM);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGHUP);
  if (sigprocmask(SIG_BLOCK, &signals, nullptr) != 0)
    throw Exception(std::string("cannot block SIGTERM, SIGINT and SIGHUP: ") + std::strerror(errno));
  descriptor = signalfd(-1, &signals, SFD_CLOEXEC);
  if (descriptor < 0)
    throw Exception(std::string("cannot watch SIGTERM, SIGINT and SIGHUP: ") + std::strerror(errno));
}

EndingSignals::~EndingSignals() { close(descriptor); }

int MillisecondsUntil(std::uint32_t due) {
  const std::int32_t wait = static_cast<std::int32_t>(due - TickCount());
  return wait > 0 ? wait : 0;
}
