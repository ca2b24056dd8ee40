#include "sim/registry_hive.h"

#include <algorithm>

namespace sim {

namespace {

unsigned char FoldUpper(char c) {
  auto u = static_cast<unsigned char>(c);
  return (u >= 'a' && u <= 'z') ? static_cast<unsigned char>(u - ('a' - 'A')) : u;
}

bool IsControl(char c) {
  auto u = static_cast<unsigned char>(c);
  return u < 0x20 || u == 0x7f;
}

template <typename Key>
auto FindSubkeyIn(Key& key, std::string_view subkeyName) -> decltype(&key.subkeys[0]) {
  auto it = std::lower_bound(
      key.subkeys.begin(), key.subkeys.end(), subkeyName,
      [](const RegistryKey& k, std::string_view n) { return CompareRegistryNames(k.name, n) < 0; });
  if (it == key.subkeys.end() || !RegistryNamesEqual(it->name, subkeyName)) return nullptr;
  return &*it;
}

template <typename Key>
auto FindValueIn(Key& key, std::string_view valueName) -> decltype(&key.values[0]) {
  for (auto& value : key.values) {
    if (RegistryNamesEqual(value.name, valueName)) return &value;
  }
  return nullptr;
}

template <typename H>
auto FindIn(H& hive, size_t root, const std::vector<std::string_view>& path)
    -> decltype(&hive.roots[0]) {
  if (root >= hive.roots.size()) return nullptr;
  auto* key = &hive.roots[root];
  for (auto component : path) {
    key = key->FindSubkey(component);
    if (key == nullptr) return nullptr;
  }
  return key;
}

}  // namespace

int CompareRegistryNames(std::string_view a, std::string_view b) {
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    unsigned char x = FoldUpper(a[i]);
    unsigned char y = FoldUpper(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

bool RegistryNamesEqual(std::string_view a, std::string_view b) {
  return a.size() == b.size() && CompareRegistryNames(a, b) == 0;
}

RegistryKey* RegistryKey::FindSubkey(std::string_view subkeyName) {
  return FindSubkeyIn(*this, subkeyName);
}

const RegistryKey* RegistryKey::FindSubkey(std::string_view subkeyName) const {
  return FindSubkeyIn(*this, subkeyName);
}

RegistryKey& RegistryKey::AddSubkey(std::string_view subkeyName) {
  // Hive files list keys in order, so the new key nearly always goes at the end: check that
  // first to keep loading a file linear.
  if (subkeys.empty() || CompareRegistryNames(subkeys.back().name, subkeyName) < 0) {
    subkeys.emplace_back().name = std::string(subkeyName);
    return subkeys.back();
  }
  auto it = std::lower_bound(
      subkeys.begin(), subkeys.end(), subkeyName,
      [](const RegistryKey& k, std::string_view n) { return CompareRegistryNames(k.name, n) < 0; });
  if (it != subkeys.end() && RegistryNamesEqual(it->name, subkeyName)) return *it;
  it = subkeys.emplace(it);
  it->name = std::string(subkeyName);
  return *it;
}

bool RegistryKey::RemoveSubkey(std::string_view subkeyName) {
  auto* found = FindSubkey(subkeyName);
  if (found == nullptr) return false;
  subkeys.erase(subkeys.begin() + (found - subkeys.data()));
  return true;
}

RegistryValue* RegistryKey::FindValue(std::string_view valueName) {
  return FindValueIn(*this, valueName);
}

const RegistryValue* RegistryKey::FindValue(std::string_view valueName) const {
  return FindValueIn(*this, valueName);
}

bool RegistryKey::SetValue(std::string_view valueName, uint32_t type, std::string_view data) {
  if (auto* existing = FindValue(valueName)) {
    if (existing->name == valueName && existing->type == type && existing->data == data) {
      return false;
    }
    existing->name = std::string(valueName);
    existing->type = type;
    existing->data = std::string(data);
    return true;
  }
  values.push_back(RegistryValue{std::string(valueName), type, std::string(data)});
  return true;
}

bool RegistryKey::RemoveValue(std::string_view valueName) {
  auto* found = FindValue(valueName);
  if (found == nullptr) return false;
  values.erase(values.begin() + (found - values.data()));
  return true;
}

std::optional<size_t> RootIndexOfHandle(uint32_t handle) {
  for (size_t i = 0; i < kRegistryRoots.size(); ++i) {
    if (kRegistryRoots[i].handle == handle) return i;
  }
  return std::nullopt;
}

std::optional<size_t> RootIndexOfName(std::string_view name) {
  for (size_t i = 0; i < kRegistryRoots.size(); ++i) {
    if (RegistryNamesEqual(kRegistryRoots[i].name, name)) return i;
  }
  return std::nullopt;
}

RegistryKey* Hive::Find(size_t root, const std::vector<std::string_view>& path) {
  return FindIn(*this, root, path);
}

const RegistryKey* Hive::Find(size_t root, const std::vector<std::string_view>& path) const {
  return FindIn(*this, root, path);
}

std::vector<std::string_view> SplitKeyPath(std::string_view path) {
  std::vector<std::string_view> components;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('\\', start);
    if (end == std::string_view::npos) end = path.size();
    if (end > start) components.push_back(path.substr(start, end - start));
    start = end + 1;
  }
  return components;
}

bool IsValidKeyName(std::string_view name) {
  if (name.empty() || name.size() > kMaxKeyNameLength) return false;
  return std::none_of(name.begin(), name.end(), [](char c) { return c == '\\' || IsControl(c); });
}

bool IsValidValueName(std::string_view name) {
  if (name.size() > kMaxValueNameLength) return false;
  return std::none_of(name.begin(), name.end(), IsControl);
}

}  // namespace sim
