// The exports that work on records in memory only.
#include "lib/common/profile_record_rules.h"
#include "vtrlib.h"

void VTR_InitialProfile(ProfileRecord* record) {
  if (record != nullptr) vtr::profile::ApplyDefaults(*record);
}

int32_t VTR_FindProfile(int32_t count, const char* name, const ProfileRecord* list) {
  if (count < 1 || name == nullptr || list == nullptr) return -1;
  // The whole list is walked: when a name occurs twice, the last one is the one callers edit.
  int32_t found = -1;
  for (int32_t i = 0; i < count; ++i) {
    if (vtr::profile::NameEquals(list[i], name)) found = i;
  }
  return found;
}

int32_t VTR_FindDefaultProfile(int32_t count, const ProfileRecord* list) {
  if (count < 1 || list == nullptr) return -1;
  for (int32_t i = 0; i < count; ++i) {
    if (list[i].isDefault == 1) return i;
  }
  return -1;
}
