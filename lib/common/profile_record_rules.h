// The rules every part of the profile store applies to a record: its defaults, how names
// compare, and the invariants a stored record keeps.
#pragma once

#include <cstddef>
#include <cstring>

#include "vtrlib/profile_record.h"

namespace vtr::profile {

// Writes the defaults of a new profile; reserved bytes, pskIsHex and wepKeyAscii keep what the
// buffer held.
void ApplyDefaults(ProfileRecord& record);

// Names compare byte for byte up to their NUL. Neither name is read past the field's width, so a
// record without a terminator never leads the comparison past its end; such a name equals none.
inline bool NameEquals(const ProfileRecord& record, const char* name) {
  const size_t length = strnlen(name, sizeof(record.profileName));
  return length < sizeof(record.profileName) &&
         std::memcmp(record.profileName, name, length + 1) == 0;
}

// isDefault and networkType 0 or 1, phyMode 2, 4, 6 or 8. surveyChannel is not bounded: a
// profile taken from a 5 GHz network (channels 36 to 165, 184 to 196 in Japan) must stay
// readable.
bool HoldsStoredInvariants(const ProfileRecord& record);

}  // namespace vtr::profile
