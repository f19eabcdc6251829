// Keeps what a Windows test writes to the registry out of the tests after it: one key (with
// everything under it) or one value is removed when the guard is made and again when it goes,
// and keys on its path that did not exist at the start go as well at the end.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

class RegistryCleanup {
 public:
  // The key `path` under `root`, with its values and subkeys.
  RegistryCleanup(HKEY root, std::string path);
  // Only the value `value` of the key `path` under `root`.
  RegistryCleanup(HKEY root, std::string path, std::string value);
  ~RegistryCleanup();
  RegistryCleanup(const RegistryCleanup&) = delete;
  RegistryCleanup& operator=(const RegistryCleanup&) = delete;

  // Removes the key or value now; a key that is still there afterwards fails the test.
  void Clean() const;

 private:
  // Notes the first key on the path that is absent now, then cleans.
  void Begin();

  HKEY root_;
  std::string path_;
  std::optional<std::string> value_;
  // The outermost key on the path that did not exist at the start; empty when all did.
  std::string firstAbsent_;
};

// Whether `path` exists under `root`.
bool RegistryKeyExists(HKEY root, const std::string& path);
