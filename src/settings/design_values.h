// The values the settings controls hold when the dialog is created, captured before anything
// is loaded into them, so that the Default button can put the built-in settings back
// whatever the store held.
#pragma once

#include <cstdint>

class SettingControls;

// Field names follow the dialog's own members; a colour is its 0x00BBGGRR bits.
struct DesignValues {
  std::int32_t DefSpeed = 0;
  std::int32_t DefDensity = 0;
  std::int32_t DefBalance = 0;
  std::int32_t DefNoise = 0;
  std::int32_t DefInversion = 0;
  std::int32_t DefDarkColor = 0;
  std::int32_t DefLightColor = 0;
  std::int32_t DefNormalColor = 0;
};

DesignValues CaptureDesignValues(const SettingControls& controls);

// Sets the controls back in the Default button's order: the sliders first, then the colours.
void RestoreDesignValues(const DesignValues& values, SettingControls& controls);
