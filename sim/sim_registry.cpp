#include "sim/sim_registry.h"

#include <cstring>
#include <vector>

#include "platform/win_errors.h"
#include "sim/machine_file.h"
#include "sim/regedit_format.h"
#include "sim/registry_file_store.h"
#include "sim/registry_hive.h"

namespace sim {

namespace {

using platform::kErrorAccessDenied;
using platform::kErrorFileNotFound;
using platform::kErrorInvalidHandle;
using platform::kErrorInvalidParameter;
using platform::kErrorKeyDeleted;
using platform::kErrorMoreData;
using platform::kErrorNoMoreItems;
using platform::kErrorSuccess;

constexpr uint32_t kKeyCreateSubKey = 0x0004;
constexpr uint32_t kKeyEnumerateSubKeys = 0x0008;
constexpr uint32_t kDelete = 0x00010000;

// A key named by a root handle and a path, checked once before any file is touched.
struct KeyName {
  size_t root = 0;
  std::vector<std::string_view> path;

  std::string Joined() const {
    std::string joined;
    for (auto component : path) {
      if (!joined.empty()) joined += '\\';
      joined += component;
    }
    return joined;
  }
};

long Resolve(uint32_t root, std::string_view path, KeyName& name) {
  auto index = RootIndexOfHandle(root);
  if (!index) return kErrorInvalidHandle;
  name.root = *index;
  name.path = SplitKeyPath(path);
  for (auto component : name.path) {
    if (!IsValidKeyName(component)) return kErrorInvalidParameter;
  }
  return kErrorSuccess;
}

}  // namespace

SimRegistry::SimRegistry(std::filesystem::path hiveFile)
    : hiveFile_(std::move(hiveFile)), store_(std::make_shared<RegistryFileStore>(hiveFile_)) {}

long SimRegistry::OpenKey(uint32_t root, std::string_view path, uint32_t access,
                          platform::RegKey& key) {
  KeyName name;
  if (long error = Resolve(root, path, name)) return error;
  long result = store_->Read([&](const Hive& hive) {
    return hive.Find(name.root, name.path) ? kErrorSuccess : kErrorFileNotFound;
  });
  if (result == kErrorSuccess) key = platform::RegKey{root, name.Joined(), access};
  return result;
}

long SimRegistry::CreateKey(uint32_t root, std::string_view path, uint32_t access,
                            platform::RegKey& key) {
  KeyName name;
  if (long error = Resolve(root, path, name)) return error;
  // Writers create their key before every write; when it is there already a shared lock will do.
  long result = store_->Read([&](const Hive& hive) {
    return hive.Find(name.root, name.path) ? kErrorSuccess : kErrorFileNotFound;
  });
  if (result == kErrorFileNotFound) {
    result = store_->Modify([&](Hive& hive, bool& changed) {
      RegistryKey* current = &hive.roots[name.root];
      for (auto component : name.path) {
        RegistryKey* next = current->FindSubkey(component);
        if (next == nullptr) {
          next = &current->AddSubkey(component);
          changed = true;
        }
        current = next;
      }
      return kErrorSuccess;
    });
  }
  if (result == kErrorSuccess) key = platform::RegKey{root, name.Joined(), access};
  return result;
}

long SimRegistry::QueryValue(const platform::RegKey& key, std::string_view name, uint32_t* type,
                             uint8_t* data, uint32_t* size) {
  KeyName keyName;
  if (long error = Resolve(key.root, key.path, keyName)) return error;
  if ((key.access & platform::kKeyQueryValue) == 0) return kErrorAccessDenied;
  if (data != nullptr && size == nullptr) return kErrorInvalidParameter;
  return store_->Read([&](const Hive& hive) {
    const RegistryKey* found = hive.Find(keyName.root, keyName.path);
    if (found == nullptr) return kErrorKeyDeleted;
    const RegistryValue* value = found->FindValue(name);
    if (value == nullptr) return kErrorFileNotFound;
    if (type != nullptr) *type = value->type;
    auto needed = static_cast<uint32_t>(value->data.size());
    if (data != nullptr) {
      if (*size < needed) {
        *size = needed;
        return kErrorMoreData;
      }
      if (needed > 0) std::memcpy(data, value->data.data(), needed);
    }
    if (size != nullptr) *size = needed;
    return kErrorSuccess;
  });
}

long SimRegistry::SetValue(const platform::RegKey& key, std::string_view name, uint32_t type,
                           const uint8_t* data, uint32_t size) {
  KeyName keyName;
  if (long error = Resolve(key.root, key.path, keyName)) return error;
  if ((key.access & platform::kKeySetValue) == 0) return kErrorAccessDenied;
  if (data == nullptr && size != 0) return kErrorInvalidParameter;
  if (!IsValidValueName(name)) return kErrorInvalidParameter;
  std::string_view bytes(reinterpret_cast<const char*>(data), data ? size : 0);
  return store_->Modify([&](Hive& hive, bool& changed) {
    RegistryKey* found = hive.Find(keyName.root, keyName.path);
    if (found == nullptr) return kErrorKeyDeleted;
    changed = found->SetValue(name, type, bytes);
    return kErrorSuccess;
  });
}

long SimRegistry::EnumKey(const platform::RegKey& key, uint32_t index, std::string& name) {
  KeyName keyName;
  if (long error = Resolve(key.root, key.path, keyName)) return error;
  if ((key.access & kKeyEnumerateSubKeys) == 0) return kErrorAccessDenied;
  return store_->Read([&](const Hive& hive) {
    const RegistryKey* found = hive.Find(keyName.root, keyName.path);
    if (found == nullptr) return kErrorKeyDeleted;
    if (index >= found->subkeys.size()) return kErrorNoMoreItems;
    name = found->subkeys[index].name;
    return kErrorSuccess;
  });
}

long SimRegistry::DeleteKey(const platform::RegKey& key, std::string_view subkey) {
  KeyName keyName;
  if (long error = Resolve(key.root, key.path, keyName)) return error;
  // Any right to change the key will do; a handle opened only to read is refused.
  if ((key.access & (platform::kKeySetValue | kKeyCreateSubKey | kDelete)) == 0) {
    return kErrorAccessDenied;
  }
  auto relative = SplitKeyPath(subkey);
  for (auto component : relative) {
    if (!IsValidKeyName(component)) return kErrorInvalidParameter;
  }
  std::vector<std::string_view> target = keyName.path;
  target.insert(target.end(), relative.begin(), relative.end());
  // An empty subkey names the key itself; the roots cannot be deleted.
  if (target.empty()) return kErrorAccessDenied;
  std::vector<std::string_view> owner(target.begin(), target.end() - 1);
  return store_->Modify([&](Hive& hive, bool& changed) {
    if (hive.Find(keyName.root, keyName.path) == nullptr) {
      return relative.empty() ? kErrorKeyDeleted : kErrorFileNotFound;
    }
    const RegistryKey* victim = hive.Find(keyName.root, target);
    if (victim == nullptr) return kErrorFileNotFound;
    if (!victim->subkeys.empty()) return kErrorAccessDenied;
    hive.Find(keyName.root, owner)->RemoveSubkey(target.back());
    changed = true;
    return kErrorSuccess;
  });
}

long SimRegistry::DeleteValue(const platform::RegKey& key, std::string_view name) {
  KeyName keyName;
  if (long error = Resolve(key.root, key.path, keyName)) return error;
  if ((key.access & platform::kKeySetValue) == 0) return kErrorAccessDenied;
  return store_->Modify([&](Hive& hive, bool& changed) {
    RegistryKey* found = hive.Find(keyName.root, keyName.path);
    if (found == nullptr) return kErrorKeyDeleted;
    if (!found->RemoveValue(name)) return kErrorFileNotFound;
    changed = true;
    return kErrorSuccess;
  });
}

std::optional<std::string> CheckHiveFile(const std::filesystem::path& hiveFile) {
  std::string text;
  if (auto fault = ReadMachineFile(hiveFile, text)) {
    // An absent hive is an empty registry, created on the first change.
    if (fault->kind == MachineFileFault::Kind::kMissing) return std::nullopt;
    return fault->Describe(hiveFile);
  }
  Hive hive;
  if (auto error = ParseRegedit(text.data(), text.size(), hive)) {
    return hiveFile.string() + " " + error->Describe();
  }
  return std::nullopt;
}

}  // namespace sim
