// Where the eight settings live while the program runs: in the dialog, its five sliders and
// three colour panels. The model (loading, storing, the Default values, the rain parameters)
// reads and writes them only through this interface, so it runs without a window.
#pragma once

#include <cstdint>

#include "settings/setting_table.h"

class SettingControls {
 public:
  virtual ~SettingControls() = default;
  // A slider's position, or a colour panel's 0x00BBGGRR colour.
  virtual std::int32_t Get(SettingId id) const = 0;
  // A slider clamps the value into its range and reports a change only when its position
  // moves; a colour panel takes the value unchanged, top byte included, and reports nothing.
  virtual void Set(SettingId id, std::int32_t value) = 0;
};
