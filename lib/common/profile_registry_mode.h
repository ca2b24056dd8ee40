// The store in registry mode: one key per profile under a caller's key path, each holding the
// record as the binary value "ProfileData".
#pragma once

#include <cstdint>
#include <string>

#include "vtrlib/profile_record.h"

namespace vtr::profile {

struct RegistryPlace {
  uint32_t root = 0;    // where reads, enumeration and deletion look
  std::string keyPath;  // below the root; writes always go below HKEY_LOCAL_MACHINE
};

int32_t RegistryReadList(const RegistryPlace& place, int32_t max, ProfileRecord* list);
bool RegistryReadSingle(const RegistryPlace& place, const char* name, ProfileRecord& record);
// 0 added, 1 a profile of the record's name exists, 3 the key could not be written.
int32_t RegistryAdd(const RegistryPlace& place, const char* name, const ProfileRecord& record);
bool RegistryWriteSingle(const RegistryPlace& place, const char* name, const ProfileRecord& record);
bool RegistryDelete(const RegistryPlace& place, const char* name);
int32_t RegistryWriteList(const RegistryPlace& place, int32_t count, const ProfileRecord* list);

}  // namespace vtr::profile
