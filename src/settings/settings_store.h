// The persistent home of the settings, seen through the four operations the program needs:
// open a key, read and write a 32-bit integer, close. On Windows it is the registry; tests
// use a store in memory. The layout below is the stored format and does not change.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "base/exception.h"

// HKEY_LOCAL_MACHINE is the settings' home; HKEY_CURRENT_USER holds a per-user copy for
// users who may not write the machine-wide one.
enum class StoreRoot { Machine, User };

inline constexpr const char kSettingsKeyPath[] = "SOFTWARE\\Orvanta\\Lumivex";

enum class KeyMode {
  ReadExisting,     // open a key that exists, for reading only
  CreateForWriting  // open for writing, creating the key and any missing parents
};

// An open key; destroying it closes the key.
class SettingsKey {
 public:
  virtual ~SettingsKey() = default;
  // Nothing when the value is absent, its type is not REG_DWORD, or its data is longer
  // than four bytes.
  virtual std::optional<std::int32_t> ReadInteger(const std::string& name) = 0;
  // Stores REG_DWORD data, replacing a value of that name of any type; throws
  // WriteFailure(name) when the store refuses.
  virtual void WriteInteger(const std::string& name, std::int32_t value) = 0;
};

class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  // Null when the key cannot be opened (absent for ReadExisting, or access refused).
  virtual std::unique_ptr<SettingsKey> OpenKey(StoreRoot root, const std::string& path, KeyMode mode) = 0;
};

// The registry's value type of a 32-bit integer, REG_DWORD.
inline constexpr std::uint32_t kDwordValueType = 4;

// The error a store raises for a refused write, shown to the user as it is.
Exception WriteFailure(const std::string& name);
