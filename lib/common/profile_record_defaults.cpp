// The exports that work on records in memory only.
#include "lib/common/export_boundary.h"
#include "lib/common/profile_record_rules.h"
#include "vtrlib.h"

void VTR_InitialProfile(ProfileRecord* record) try {
  if (record != nullptr) vtr::profile::ApplyDefaults(*record);
} catch (...) {
  vtr::ExceptionAtBoundary(__func__);
}

int32_t VTR_FindProfile(int32_t count, const char* name, const ProfileRecord* list) try {
  if (count < 1 || name == nullptr || list == nullptr) return -1;
  // The whole list is walked: when a name occurs twice, the last one is the one callers edit.
  int32_t found = -1;
  for (int32_t i = 0; i < count; ++i) {
    if (vtr::profile::NameEquals(list[i], name)) found = i;
  }
  return found;
} catch (...) {
  return vtr::ExceptionAtBoundary(__func__, int32_t{-1});
}

int32_t VTR_FindDefaultProfile(int32_t count, const ProfileRecord* list) try {
  if (count < 1 || list == nullptr) return -1;
  for (int32_t i = 0; i < count; ++i) {
    if (list[i].isDefault == 1) return i;
  }
  return -1;
} catch (...) {
  return vtr::ExceptionAtBoundary(__func__, int32_t{-1});
}
