// Capture and restore of the creation-time values. Both walk the settings table, so a
// setting added there is captured and restored without touching this file.
#include "settings/design_values.h"

#include "settings/setting_controls.h"

DesignValues CaptureDesignValues(const SettingControls& controls) {
  DesignValues values;
  for (const SettingInfo& setting : kSettings) values.*setting.captured = controls.Get(setting.id);
  return values;
}

void RestoreDesignValues(const DesignValues& values, SettingControls& controls) {
  for (SettingId id : kRestoreOrder) controls.Set(id, values.*InfoOf(id).captured);
}
