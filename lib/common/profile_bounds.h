// A profile handed to the connect may come from a damaged store file or registry value and hold
// any bytes. Before a field sizes a request or a copy it is read within its width and range
// here; everything else is sent as it is and left to the driver to accept or refuse.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "vtrlib/profile_record.h"

namespace vtr::bounds {

// An 802.11 network name has at most 32 bytes.
inline constexpr std::size_t kMaxSsidBytes = 32;
// The longest WEP key a profile can hold: 16 bytes, 32 hexadecimal digits in a 33-byte slot.
inline constexpr uint32_t kMaxWepKeyBytes = 16;
inline constexpr uint32_t kWepKeySlots = 4;

// The text of a fixed-size field up to its NUL, never past the field's end.
template <std::size_t N>
std::size_t TextLength(const char (&field)[N]) {
  return strnlen(field, N);
}

// The transmit key's slot; false for an index outside 0 to 3.
inline bool WepKeySlot(const ProfileRecord& profile, uint32_t& slot) {
  if (profile.wepKeyIndex >= kWepKeySlots) return false;
  slot = profile.wepKeyIndex;
  return true;
}

// The key length of a slot in bytes; a length beyond what the slot's text can hold counts as no
// key at all.
inline uint32_t WepKeyBytes(const ProfileRecord& profile, uint32_t slot) {
  const uint32_t length = profile.wepKeyLength[slot];
  return length <= kMaxWepKeyBytes ? length : 0;
}

}  // namespace vtr::bounds
