// The settings dialog's layout as data: every control with its kind, place and size in client
// pixels at 96 DPI, caption and settings, listed in tab order. The dialog is built from this
// table and the tests compare the running dialog against it.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <optional>

#include "forms/controls.h"
#include "settings/setting_table.h"

enum SetupControlId : int {
  kButtonOk = IDOK,
  kButtonCancel = IDCANCEL,
  kTrackSpeed = 100,
  kTrackDensity,
  kTrackBalance,
  kTrackNoise,
  kTrackInversion,
  kButtonDefault,
  kGroupBox1,
  kNormalButton,
  kLightButton,
  kDarkButton,
  kPanelVellix,
  kLabel1,
  kLabel2,
  kLabel3,
  kLabel4,
  kLabel5,
  kLabel6,
  kLabel7,
  kLabel9,
  kLabel10,
};

// Ok is the dialog's default push button; RestoreDefaults is the "Default" button, which puts
// every control back to its built-in value.
enum class SetupControlKind { OkButton, CancelButton, RestoreDefaultsButton, Slider, GroupBox, ColourPanel,
                              PreviewPanel, RightLabel, LeftLabel, CentredLabel };

struct SetupControlLayout {
  SetupControlId id;
  SetupControlKind kind;
  ControlBounds bounds;  // inside the group box for the controls that sit in it
  bool inGroupBox;
  const char* caption;
  std::optional<SettingId> setting;  // sliders and colour panels: the setting the control holds
  std::int32_t pageSize;    // sliders
  std::int32_t tickEvery;   // sliders
};

inline constexpr int kSetupClientWidth = 524;
inline constexpr int kSetupClientHeight = 280;
inline constexpr ControlBounds kGroupBox1Bounds{9, 164, 278, 50};
inline constexpr UINT kTimer1Interval = 1000;

// Tab order first (buttons, sliders, Default, the group box and its panels, the preview panel),
// then the labels, which take no focus.
inline constexpr std::array<SetupControlLayout, 22> kSetupLayout = {{
    {kButtonOk, SetupControlKind::OkButton, {445, 253, 75, 25}, false, "Ok", std::nullopt, 0, 0},
    {kButtonCancel, SetupControlKind::CancelButton, {365, 253, 75, 25}, false, "Cancel", std::nullopt, 0, 0},
    {kTrackSpeed, SetupControlKind::Slider, {72, 3, 217, 26}, false, "", SettingId::Speed, 5, 10},
    {kTrackDensity, SetupControlKind::Slider, {72, 34, 217, 26}, false, "", SettingId::Density, 10, 20},
    {kTrackBalance, SetupControlKind::Slider, {72, 67, 217, 26}, false, "", SettingId::Balance, 10, 20},
    {kTrackNoise, SetupControlKind::Slider, {72, 99, 217, 26}, false, "", SettingId::Noise, 10, 50},
    {kTrackInversion, SetupControlKind::Slider, {72, 129, 217, 26}, false, "", SettingId::Inversion, 10, 20},
    {kButtonDefault, SetupControlKind::RestoreDefaultsButton, {285, 253, 75, 25}, false, "Default", std::nullopt, 0, 0},
    {kGroupBox1, SetupControlKind::GroupBox, kGroupBox1Bounds, false, " Colors ", std::nullopt, 0, 0},
    {kNormalButton, SetupControlKind::ColourPanel, {56, 13, 30, 29}, true, "", SettingId::NormalColor, 0, 0},
    {kLightButton, SetupControlKind::ColourPanel, {144, 13, 30, 29}, true, "", SettingId::LightColor, 0, 0},
    {kDarkButton, SetupControlKind::ColourPanel, {232, 13, 30, 29}, true, "", SettingId::DarkColor, 0, 0},
    {kPanelVellix, SetupControlKind::PreviewPanel, {296, 15, 220, 165}, false, "", std::nullopt, 0, 0},
    {kLabel1, SetupControlKind::RightLabel, {-8, 13, 72, 13}, false, "Speed", std::nullopt, 0, 0},
    {kLabel2, SetupControlKind::RightLabel, {-8, 44, 72, 13}, false, "Density", std::nullopt, 0, 0},
    {kLabel3, SetupControlKind::RightLabel, {-8, 77, 72, 13}, false, "Balance", std::nullopt, 0, 0},
    {kLabel4, SetupControlKind::RightLabel, {-8, 109, 72, 13}, false, "Noise", std::nullopt, 0, 0},
    {kLabel10, SetupControlKind::RightLabel, {-8, 139, 72, 13}, false, "Inversion", std::nullopt, 0, 0},
    {kLabel6, SetupControlKind::LeftLabel, {16, 20, 33, 13}, true, "Normal", std::nullopt, 0, 0},
    {kLabel7, SetupControlKind::LeftLabel, {112, 20, 33, 13}, true, "Light", std::nullopt, 0, 0},
    {kLabel9, SetupControlKind::LeftLabel, {200, 20, 33, 13}, true, "Dark", std::nullopt, 0, 0},
    {kLabel5, SetupControlKind::CentredLabel, {18, 225, 489, 21}, false, "Lumivex version 2.53", std::nullopt, 0, 0},
}};

// Where a control sits in the dialog's client area at 96 DPI.
constexpr ControlBounds ClientBounds(const SetupControlLayout& control) {
  if (!control.inGroupBox) return control.bounds;
  return {kGroupBox1Bounds.left + control.bounds.left, kGroupBox1Bounds.top + control.bounds.top,
          control.bounds.width, control.bounds.height};
}
