// The registry's rules on typed values, kept in maps: a read takes only a REG_DWORD of at most
// four bytes, a write replaces whatever was there with a REG_DWORD.
#include "memory_store.h"

static const char* RootName(StoreRoot root) { return root == StoreRoot::Machine ? "machine" : "user"; }

StoredValue Dword(std::int32_t value) {
  const auto bits = static_cast<std::uint32_t>(value);
  return {kDwordValueType,
          {static_cast<std::uint8_t>(bits), static_cast<std::uint8_t>(bits >> 8),
           static_cast<std::uint8_t>(bits >> 16), static_cast<std::uint8_t>(bits >> 24)}};
}

StoredValue String(const std::string& text) {
  std::vector<std::uint8_t> data(text.begin(), text.end());
  data.push_back(0);
  return {kStringValueType, data};
}

bool operator==(const StoredValue& a, const StoredValue& b) { return a.type == b.type && a.data == b.data; }

class MemoryKey : public SettingsKey {
 public:
  MemoryKey(MemoryStore& store, StoreRoot root, MemoryStore::Values& values)
      : store(store), root(root), values(values) {}
  ~MemoryKey() override { store.Note(std::string("close ") + RootName(root)); }

  std::optional<std::int32_t> ReadInteger(const std::string& name) override {
    if (!store.Attempt("read " + name)) return std::nullopt;
    const auto found = values.find(name);
    if (found == values.end()) return std::nullopt;
    const StoredValue& value = found->second;
    if (value.type != kDwordValueType || value.data.size() > 4) return std::nullopt;
    std::uint32_t bits = 0;
    for (std::size_t i = 0; i < value.data.size(); ++i) bits |= std::uint32_t(value.data[i]) << (8 * i);
    return static_cast<std::int32_t>(bits);
  }

  void WriteInteger(const std::string& name, std::int32_t value) override {
    if (!store.Attempt("write " + name)) throw WriteFailure(name);
    values[name] = Dword(value);
  }

 private:
  MemoryStore& store;
  StoreRoot root;
  MemoryStore::Values& values;
};

void MemoryStore::PutKey(StoreRoot root, const Values& values) { keys[{root, kSettingsKeyPath}] = values; }

bool MemoryStore::HasKey(StoreRoot root) const { return keys.count({root, kSettingsKeyPath}) != 0; }

std::optional<StoredValue> MemoryStore::Value(StoreRoot root, const std::string& name) const {
  const auto key = keys.find({root, kSettingsKeyPath});
  if (key == keys.end()) return std::nullopt;
  const auto value = key->second.find(name);
  if (value == key->second.end()) return std::nullopt;
  return value->second;
}

void MemoryStore::Refuse(const std::string& operation) { refused.insert(operation); }

bool MemoryStore::Attempt(const std::string& operation) {
  if (refused.count(operation) == 0) {
    Note(operation);
    return true;
  }
  Note(operation + " refused");
  return false;
}

std::unique_ptr<SettingsKey> MemoryStore::OpenKey(StoreRoot root, const std::string& path, KeyMode mode) {
  const bool create = mode == KeyMode::CreateForWriting;
  const std::string operation = std::string("open ") + RootName(root) + (create ? " create" : " read");
  const auto found = keys.find({root, path});
  if (!create && found == keys.end() && refused.count(operation) == 0) {
    Note(operation + " absent");
    return nullptr;
  }
  if (!Attempt(operation)) return nullptr;
  return std::make_unique<MemoryKey>(*this, root, keys[{root, path}]);
}
