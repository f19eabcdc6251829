// The eight user settings, declared once: which value of the store holds each, its kind,
// range and design-time value, and the orders in which the program loads, stores and
// restores them. The store, the dialog and the tests all read these tables.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "settings/design_values.h"

enum class SettingId { Speed, Density, Balance, Noise, Inversion, NormalColor, LightColor, DarkColor };

inline constexpr std::size_t kSettingCount = 8;

// A slider holds a clamped position; a colour panel holds any 32-bit 0x00BBGGRR value.
enum class SettingKind { Slider, Colour };

struct SettingInfo {
  SettingId id;
  const char* storeName;
  SettingKind kind;
  std::int32_t minimum;  // sliders only
  std::int32_t maximum;  // sliders only
  std::int32_t designValue;
  std::int32_t DesignValues::*captured;  // where the dialog keeps its creation-time value
};

// Indexed by SettingId.
inline constexpr std::array<SettingInfo, kSettingCount> kSettings = {{
    {SettingId::Speed, "Speed", SettingKind::Slider, 100, 200, 150, &DesignValues::DefSpeed},
    {SettingId::Density, "Density", SettingKind::Slider, 0, 200, 20, &DesignValues::DefDensity},
    {SettingId::Balance, "Balance", SettingKind::Slider, -100, 100, -30, &DesignValues::DefBalance},
    {SettingId::Noise, "Noise", SettingKind::Slider, 0, 500, 250, &DesignValues::DefNoise},
    {SettingId::Inversion, "Inversion", SettingKind::Slider, 0, 200, 0, &DesignValues::DefInversion},
    {SettingId::NormalColor, "Normal Color", SettingKind::Colour, 0, 0, 0x00009000, &DesignValues::DefNormalColor},
    {SettingId::LightColor, "Light Color", SettingKind::Colour, 0, 0, 0x0088FF88, &DesignValues::DefLightColor},
    {SettingId::DarkColor, "Dark Color", SettingKind::Colour, 0, 0, 0x00006000, &DesignValues::DefDarkColor},
}};

constexpr const SettingInfo& InfoOf(SettingId id) { return kSettings[static_cast<std::size_t>(id)]; }

using SettingOrder = std::array<SettingId, kSettingCount>;

// Loading stops at the first value it cannot read, so this order decides which stored values
// survive a damaged key. Stored keys written by earlier versions depend on it staying so.
inline constexpr SettingOrder kLoadOrder = {
    SettingId::Speed,     SettingId::Density,    SettingId::Balance,     SettingId::Noise,
    SettingId::DarkColor, SettingId::LightColor, SettingId::NormalColor, SettingId::Inversion};

// A failed write stops the later ones, so this order decides what a partial store leaves.
inline constexpr SettingOrder kStoreOrder = {
    SettingId::Speed,       SettingId::Density,   SettingId::Balance,   SettingId::Noise,
    SettingId::Inversion,   SettingId::NormalColor, SettingId::DarkColor, SettingId::LightColor};

// The Default button's order.
inline constexpr SettingOrder kRestoreOrder = {
    SettingId::Speed,     SettingId::Density,    SettingId::Balance,    SettingId::Noise,
    SettingId::Inversion, SettingId::DarkColor,  SettingId::LightColor, SettingId::NormalColor};

// What a control does with a value it is given: a slider keeps it within its range,
// a colour panel takes every bit unchanged.
std::int32_t ClampToRange(const SettingInfo& setting, std::int32_t value);
