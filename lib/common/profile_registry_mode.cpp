// Registry mode of the store, through the library's own registry exports.
#include "lib/common/profile_registry_mode.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <set>
#include <utility>
#include <vector>

#include "lib/common/profile_record_rules.h"
#include "lib/common/registry_access.h"
#include "vtrlib.h"

namespace vtr::profile {

namespace {

constexpr const char* kValueName = "ProfileData";
// Subkey names are read back with a 256-byte buffer.
constexpr uint32_t kMaxKeyName = 255;

std::string ProfileKey(const RegistryPlace& place, const std::string& name) {
  return place.keyPath.empty() ? name : place.keyPath + "\\" + name;
}

std::vector<std::string> SubkeyNames(const RegistryPlace& place) {
  std::vector<std::string> names;
  for (uint32_t index = 0;; ++index) {
    auto name = EnumerateSubkey(place.keyPath, index, kMaxKeyName, place.root);
    if (!name) return names;
    names.push_back(std::move(*name));
  }
}

std::optional<ProfileRecord> ReadRecord(const RegistryPlace& place, const std::string& name) {
  ProfileRecord record;
  std::memset(&record, 0, sizeof(record));
  if (!VTR_GetRegistryBinary(ProfileKey(place, name).c_str(), kValueName,
                             reinterpret_cast<uint8_t*>(&record), sizeof(record), place.root)) {
    return std::nullopt;
  }
  return record;
}

bool WriteRecord(const RegistryPlace& place, const std::string& name, const ProfileRecord& record) {
  return VTR_SetRegistryBinary(ProfileKey(place, name).c_str(), kValueName,
                               reinterpret_cast<const uint8_t*>(&record), sizeof(record),
                               VTR_HKEY_LOCAL_MACHINE) != 0;
}

std::vector<ProfileRecord> ReadAll(const RegistryPlace& place, size_t limit) {
  std::vector<ProfileRecord> records;
  for (const auto& name : SubkeyNames(place)) {
    if (records.size() >= limit) break;
    // A key whose value cannot be read holds no profile.
    if (auto record = ReadRecord(place, name)) records.push_back(*record);
  }
  return records;
}

std::string Upper(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

int32_t AddWithSequence(const RegistryPlace& place, const std::string& name,
                        const ProfileRecord& record, uint32_t sequence) {
  ProfileRecord stored = record;
  stored.sequence = sequence;
  return WriteRecord(place, name, stored) ? 0 : 3;
}

bool NameTaken(const RegistryPlace& place, const ProfileRecord& record) {
  for (const auto& name : SubkeyNames(place)) {
    if (NameEquals(record, name.c_str())) return true;
  }
  return false;
}

}  // namespace

int32_t RegistryReadList(const RegistryPlace& place, int32_t max, ProfileRecord* list) {
  if (max < 1 || list == nullptr) return 0;
  auto records = ReadAll(place, static_cast<size_t>(max));
  // The list's order is the records' sequence: every later record with a smaller sequence is
  // swapped into the current position.
  for (size_t i = 0; i < records.size(); ++i) {
    for (size_t j = i + 1; j < records.size(); ++j) {
      if (records[j].sequence < records[i].sequence) std::swap(records[i], records[j]);
    }
  }
  std::copy(records.begin(), records.end(), list);
  return static_cast<int32_t>(records.size());
}

bool RegistryReadSingle(const RegistryPlace& place, const char* name, ProfileRecord& record) {
  for (const auto& key : SubkeyNames(place)) {
    if (key == name) {
      auto found = ReadRecord(place, key);
      if (!found) return false;
      record = *found;
      return true;
    }
  }
  return false;
}

int32_t RegistryAdd(const RegistryPlace& place, const char* name, const ProfileRecord& record) {
  if (name == nullptr || name[0] == '\0') return 3;
  if (NameTaken(place, record)) return 1;
  uint32_t highest = 0;
  for (const auto& stored : ReadAll(place, SIZE_MAX)) highest = std::max(highest, stored.sequence);
  return AddWithSequence(place, name, record, highest + 1);
}

bool RegistryWriteSingle(const RegistryPlace& place, const char* name,
                         const ProfileRecord& record) {
  // The key keeps its name even when the record's name changes.
  for (const auto& key : SubkeyNames(place)) {
    if (key == name) return WriteRecord(place, key, record);
  }
  return false;
}

bool RegistryDelete(const RegistryPlace& place, const char* name) {
  const std::string wanted = Upper(name);
  for (const auto& key : SubkeyNames(place)) {
    if (Upper(key) == wanted) return VTR_DeleteRegistry(ProfileKey(place, key).c_str(), place.root);
  }
  return false;
}

int32_t RegistryWriteList(const RegistryPlace& place, int32_t count, const ProfileRecord* list) {
  if (count < 1 || list == nullptr) return 0;
  for (const auto& key : SubkeyNames(place)) {
    VTR_DeleteRegistry(ProfileKey(place, key).c_str(), place.root);
  }
  // Keys that outlived the deletion, and those added since, are the names already taken.
  const auto left = SubkeyNames(place);
  std::set<std::string> taken(left.begin(), left.end());
  int32_t added = 0;
  for (int32_t i = 0; i < count; ++i) {
    const ProfileRecord& record = list[i];
    const size_t length = strnlen(record.profileName, sizeof(record.profileName));
    if (length == 0 || length == sizeof(record.profileName)) continue;
    const std::string name(record.profileName, length);
    if (!taken.insert(name).second) continue;
    if (AddWithSequence(place, name, record, static_cast<uint32_t>(i + 1)) == 0) ++added;
  }
  return added;
}

}  // namespace vtr::profile
