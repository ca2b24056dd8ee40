#include "app/core/keep_profile.h"

#include <algorithm>

namespace core {

namespace {

int32_t Rewrite(const CVtrLibrary& lib, const ProfileRecord& record) {
  return lib.WriteSingleProfile(record.profileName, &record) != 0 ? kProfileAdded
                                                                  : kProfileAddFailed;
}

}  // namespace

int32_t KeepProfile(const CVtrLibrary& lib, const ProfileRecord& record, ProfileArray& profiles,
                    int32_t& count) {
  int32_t result = lib.FindProfile(count, record.profileName, profiles.data()) >= 0
                       ? Rewrite(lib, record)
                       : lib.AddProfile(kListCapacity, record.profileName, &record);
  // Another writer stored the name since the list was read: that profile is the one to keep.
  if (result == kProfileExists) result = Rewrite(lib, record);
  if (result == kProfileAdded)
    count = std::max(lib.ReadProfileList(kListCapacity, profiles.data()), 0);
  return result;
}

}  // namespace core
