// The authentication and cipher bits a privacy-enabled network announces in its WPA and RSN
// elements, as the survey entry carries them.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vtr {

struct SecurityMasks {
  uint32_t authMask = 0;    // 4 WPA-PSK, 8 WPA2-PSK, 16 WPA, 32 WPA2
  uint32_t cipherMask = 0;  // 1 WEP, 2 TKIP, 4 AES
};

// Reads only what lies inside the area. Without any pairwise suite it understands, the cipher
// mask is WEP: the caller asks only for networks that have privacy set.
SecurityMasks ParseSecurity(const uint8_t* elements, size_t length);

}  // namespace vtr
