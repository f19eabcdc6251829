#include "support/registry_cleanup.h"

#include <gtest/gtest.h>

#include <utility>

#include "base/win_handles.h"

bool RegistryKeyExists(HKEY root, const std::string& path) {
  HKEY key = nullptr;
  if (::RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  UniqueRegistryKey owned(key);
  return true;
}

RegistryCleanup::RegistryCleanup(HKEY root, std::string path) : root_(root), path_(std::move(path)) { Begin(); }

RegistryCleanup::RegistryCleanup(HKEY root, std::string path, std::string value)
    : root_(root), path_(std::move(path)), value_(std::move(value)) {
  Begin();
}

void RegistryCleanup::Begin() {
  // Outermost first: "SOFTWARE", "SOFTWARE\\Orvanta", "SOFTWARE\\Orvanta\\Lumivex".
  for (std::size_t end = path_.find('\\');; end = path_.find('\\', end + 1)) {
    const std::string key = path_.substr(0, end);
    if (!RegistryKeyExists(root_, key)) {
      firstAbsent_ = key;
      break;
    }
    if (end == std::string::npos) break;
  }
  Clean();
}

RegistryCleanup::~RegistryCleanup() {
  Clean();
  if (!firstAbsent_.empty()) ::RegDeleteTreeA(root_, firstAbsent_.c_str());
}

void RegistryCleanup::Clean() const {
  if (value_) {
    ::RegDeleteKeyValueA(root_, path_.c_str(), value_->c_str());
    return;
  }
  ::RegDeleteTreeA(root_, path_.c_str());
  EXPECT_FALSE(RegistryKeyExists(root_, path_)) << "the registry key " << path_ << " could not be removed";
}
