// The compositor's own idle notifications: the standard ext_idle_notifier_v1 and KDE's older
// org_kde_kwin_idle, which Debian 12's sway offers instead. Both count the seat's input from
// when the watch is made and tell each time the seat has gone the whole time without any.
#pragma once

#include <wayland-client.h>

#include <cstdint>

#include "wayland/ext_idle_notify_client.h"
#include "wayland/idle_watch.h"
#include "wayland/kde_idle_client.h"
#include "wayland/wayland_objects.h"

class ExtIdleWatch : public IdleWatch {
 public:
  // Takes over the bound `notifier` and `seat`.
  ExtIdleWatch(ext_idle_notifier_v1* notifier, wl_seat* seat, std::uint32_t milliseconds);
  ~ExtIdleWatch() override;

 private:
  static void Idle(void* data, ext_idle_notification_v1*);
  static void Resumed(void*, ext_idle_notification_v1*) {}

  ext_idle_notifier_v1* notifier;
  SeatObject seat;
  ext_idle_notification_v1* notification;
};

class KdeIdleWatch : public IdleWatch {
 public:
  // Takes over the bound `manager` and `seat`.
  KdeIdleWatch(org_kde_kwin_idle* manager, wl_seat* seat, std::uint32_t milliseconds);
  ~KdeIdleWatch() override;

 private:
  static void Idle(void* data, org_kde_kwin_idle_timeout*);
  static void Resumed(void*, org_kde_kwin_idle_timeout*) {}

  org_kde_kwin_idle* manager;
  SeatObject seat;
  org_kde_kwin_idle_timeout* timeout;
};
