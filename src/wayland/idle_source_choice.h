// Where `lumivex -wayland -idle` learns that the seat has been idle: the compositor's own idle
// notification where it has one (the standard one first, then KDE's older one that Debian 12's
// sway still offers), else GNOME's idle monitor on the session bus. Without any, the program
// cannot tell idle time and says which idle daemons do the job on such a desktop. No Wayland or
// D-Bus header: tested natively.
#pragma once

#include <functional>
#include <optional>

enum class IdleSource {
  kExtIdleNotifier,   // ext_idle_notifier_v1 (KWin, newer sway, Hyprland)
  kKdeIdle,           // org_kde_kwin_idle (Debian 12's sway)
  kMutterIdleMonitor, // org.gnome.Mutter.IdleMonitor on the session bus (GNOME)
};

// What the compositor's registry offered.
struct IdleProtocols {
  bool extIdleNotifier = false;
  bool kdeIdle = false;
};

// The source to use; nothing when there is none. `mutterOnBus` asks the session bus, and is
// asked only when the compositor offers neither protocol.
std::optional<IdleSource> ChooseIdleSource(const IdleProtocols& offered, const std::function<bool()>& mutterOnBus);

// The one line for a desktop without any idle source.
extern const char kNoIdleSource[];
