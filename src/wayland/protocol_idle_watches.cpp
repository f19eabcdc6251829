// A return to input ("resumed") changes nothing here: the rain's own input rule decides when it
// goes, so a trembling mouse does not take it away; the next "idle" comes only after input.
#include "wayland/protocol_idle_watches.h"

ExtIdleWatch::ExtIdleWatch(ext_idle_notifier_v1* notifier, wl_seat* seat, std::uint32_t milliseconds)
    : notifier(notifier), seat(seat),
      notification(ext_idle_notifier_v1_get_idle_notification(notifier, milliseconds, seat)) {
  static const ext_idle_notification_v1_listener listener = {&ExtIdleWatch::Idle, &ExtIdleWatch::Resumed};
  ext_idle_notification_v1_add_listener(notification, &listener, this);
}

ExtIdleWatch::~ExtIdleWatch() {
  ext_idle_notification_v1_destroy(notification);
  ext_idle_notifier_v1_destroy(notifier);
}

void ExtIdleWatch::Idle(void* data, ext_idle_notification_v1*) { static_cast<ExtIdleWatch*>(data)->WentIdle(); }

KdeIdleWatch::KdeIdleWatch(org_kde_kwin_idle* manager, wl_seat* seat, std::uint32_t milliseconds)
    : manager(manager), seat(seat), timeout(org_kde_kwin_idle_get_idle_timeout(manager, seat, milliseconds)) {
  static const org_kde_kwin_idle_timeout_listener listener = {&KdeIdleWatch::Idle, &KdeIdleWatch::Resumed};
  org_kde_kwin_idle_timeout_add_listener(timeout, &listener, this);
}

KdeIdleWatch::~KdeIdleWatch() {
  org_kde_kwin_idle_timeout_release(timeout);
  org_kde_kwin_idle_destroy(manager);
}

void KdeIdleWatch::Idle(void* data, org_kde_kwin_idle_timeout*) { static_cast<KdeIdleWatch*>(data)->WentIdle(); }
