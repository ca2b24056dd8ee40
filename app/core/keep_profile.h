// Keeping a profile in the store under its name, whether or not the store has one of that name
// yet: the library's rewrite only replaces a stored profile, its add only adds a new one.
#pragma once

#include <cstdint>

#include "app/core/app_state.h"
#include "app/core/vtr_library.h"

namespace core {

// The results of the library's add, which KeepProfile gives too.
enum AddProfileResult : int32_t {
  kProfileAdded = 0,
  kProfileExists = 1,
  kProfileOpenFailed = 2,
  kProfileAddFailed = 3,
  kProfileStoreFull = 4,
};

// Rewrites the stored profile of record's name, or adds record when the store has none; profiles
// and count are read again from the store afterwards. kProfileAdded after a rewrite or an add,
// kProfileAddFailed when the rewrite failed, else the add's failure (open failed, store full).
int32_t KeepProfile(const CVtrLibrary& lib, const ProfileRecord& record, ProfileArray& profiles,
                    int32_t& count);

}  // namespace core
