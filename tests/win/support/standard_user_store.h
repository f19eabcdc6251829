// A store as a standard user meets it: the machine-wide key can be read but not created or
// written. Wine lets every user write HKEY_LOCAL_MACHINE, so tests put this in front of the
// registry to take the per-user path.
#pragma once

#include <memory>
#include <string>

#include "settings/settings_store.h"

class StandardUserStore : public SettingsStore {
 public:
  explicit StandardUserStore(SettingsStore& inner) : inner(inner) {}
  std::unique_ptr<SettingsKey> OpenKey(StoreRoot root, const std::string& path, KeyMode mode) override {
    if (root == StoreRoot::Machine && mode == KeyMode::CreateForWriting) return nullptr;
    return inner.OpenKey(root, path, mode);
  }

 private:
  SettingsStore& inner;
};
