// The protocols come first because they need nothing but the connection we already have; the
// session bus is a second connection, opened only on a desktop that offers neither.
#include "wayland/idle_source_choice.h"

const char kNoIdleSource[] =
    "-idle: the Wayland compositor offers no idle notification (ext_idle_notifier_v1 or org_kde_kwin_idle) "
    "and GNOME's idle monitor (org.gnome.Mutter.IdleMonitor) is not on the session bus; on this desktop let an "
    "idle daemon such as swayidle or hypridle start lumivex -wayland";

std::optional<IdleSource> ChooseIdleSource(const IdleProtocols& offered, const std::function<bool()>& mutterOnBus) {
  if (offered.extIdleNotifier) return IdleSource::kExtIdleNotifier;
  if (offered.kdeIdle) return IdleSource::kKdeIdle;
  if (mutterOnBus && mutterOnBus()) return IdleSource::kMutterIdleMonitor;
  return std::nullopt;
}
