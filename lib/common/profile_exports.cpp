// The store's exports: the storage setting and the operations, each in file or registry mode.
// No exception leaves an export; a failure of any kind is the export's failure result.
#include <cstring>
#include <mutex>
#include <string>

#include "lib/common/export_boundary.h"
#include "lib/common/profile_file_mode.h"
#include "lib/common/profile_record_rules.h"
#include "lib/common/profile_storage_mode.h"
#include "vtrlib.h"

namespace vtr::profile {

namespace {

struct Setting {
  std::mutex mutex;
  bool fileMode = true;
  bool rootSet = false;
  uint32_t root = 0;
  // Callers get a pointer to this copy; it stays valid until the library is unloaded.
  char keyPath[sizeof(ProfileStorageSetting::keyPath)] = {};
};

Setting& TheSetting() {
  static Setting setting;
  return setting;
}

constexpr uint32_t kRoots[] = {VTR_HKEY_CLASSES_ROOT, VTR_HKEY_CURRENT_USER, VTR_HKEY_LOCAL_MACHINE,
                               VTR_HKEY_USERS};

}  // namespace

StorageChoice CurrentStorage() {
  auto& setting = TheSetting();
  std::lock_guard lock(setting.mutex);
  StorageChoice choice;
  choice.fileMode = setting.fileMode;
  if (!setting.fileMode && setting.rootSet) {
    choice.registry = RegistryPlace{setting.root, std::string(setting.keyPath)};
  }
  return choice;
}

}  // namespace vtr::profile

using vtr::profile::CurrentStorage;

const char* VTR_ProfileSetting(const ProfileStorageSetting* requested) try {
  auto& setting = vtr::profile::TheSetting();
  std::lock_guard lock(setting.mutex);
  if (requested == nullptr) return setting.keyPath;
  // Only 0 and 1 are modes; another value keeps the mode in force.
  if (requested->mode <= 1) setting.fileMode = requested->mode == 1;
  if (requested->rootKey < std::size(vtr::profile::kRoots)) {
    setting.root = vtr::profile::kRoots[requested->rootKey];
    setting.rootSet = true;
  }
  const size_t length = strnlen(requested->keyPath, sizeof(requested->keyPath) - 1);
  std::memcpy(setting.keyPath, requested->keyPath, length);
  setting.keyPath[length] = '\0';
  return setting.keyPath;
} catch (...) {
  return vtr::ExceptionAtBoundary<const char*>(__func__, nullptr);
}

int32_t VTR_ReadProfileList(int32_t max, ProfileRecord* list) try {
  const auto storage = CurrentStorage();
  if (storage.fileMode) return vtr::profile::FileReadList(max, list);
  return storage.registry ? RegistryReadList(*storage.registry, max, list) : 0;
} catch (...) {
  return vtr::ExceptionAtBoundary(__func__, int32_t{0});
}

VtrBool VTR_ReadSingleProfile(const char* name, ProfileRecord* record) try {
  if (name == nullptr || record == nullptr) return 0;
  const auto storage = CurrentStorage();
  if (storage.fileMode) return vtr::profile::FileReadSingle(name, *record);
  return storage.registry && RegistryReadSingle(*storage.registry, name, *record);
} catch (...) {
  return vtr::ExceptionAtBoundary(__func__, false);
}

VtrBool VTR_WriteSingleProfile(const char* name, const ProfileRecord* record) try {
  if (name == nullptr || record == nullptr) return 0;
  const auto storage = CurrentStorage();
  if (storage.fileMode) return vtr::profile::FileWriteSingle(name, *record);
  return storage.registry && RegistryWriteSingle(*storage.registry, name, *record);
} catch (...) {
  return vtr::ExceptionAtBoundary(__func__, false);
}

int32_t VTR_WriteProfileList(int32_t count, const ProfileRecord* list) try {
  const auto storage = CurrentStorage();
  if (storage.fileMode) return vtr::profile::FileWriteList(count, list);
  return storage.registry ? RegistryWriteList(*storage.registry, count, list) : 0;
} catch (...) {
  return vtr::ExceptionAtBoundary(__func__, int32_t{0});
}

int32_t VTR_AddProfile(int32_t max, const char* name, const ProfileRecord* record) try {
  if (record == nullptr) return 3;
  const auto storage = CurrentStorage();
  if (storage.fileMode) return vtr::profile::FileAdd(max, name, *record);
  return storage.registry ? RegistryAdd(*storage.registry, name, *record) : 3;
} catch (...) {
  return vtr::ExceptionAtBoundary(__func__, int32_t{3});
}

VtrBool VTR_DeleteProfile(const char* name) try {
  if (name == nullptr) return 0;
  const auto storage = CurrentStorage();
  if (storage.fileMode) return vtr::profile::FileDelete(name);
  return storage.registry && RegistryDelete(*storage.registry, name);
} catch (...) {
  return vtr::ExceptionAtBoundary(__func__, false);
}

VtrBool VTR_SetDefaultProfile(int32_t count, const char* name, ProfileRecord* list) try {
  if (count < 1 || list == nullptr || name == nullptr || name[0] == '\0') return 0;
  // The caller's list first: the match takes the flag from the last flagged record met before it
  // (or itself); a flagged record after the match keeps its flag.
  int32_t lastFlagged = -1;
  bool matched = false;
  for (int32_t i = 0; i < count; ++i) {
    if (list[i].isDefault != 0) lastFlagged = i;
    if (vtr::profile::NameEquals(list[i], name)) {
      if (lastFlagged >= 0) list[lastFlagged].isDefault = 0;
      list[i].isDefault = 1;
      lastFlagged = i;
      matched = true;
    }
  }
  if (!matched) return 0;
  // In registry mode the caller stores the list itself.
  if (!CurrentStorage().fileMode) return 0;
  return vtr::profile::FileSetDefault(name);
} catch (...) {
  return vtr::ExceptionAtBoundary(__func__, false);
}
