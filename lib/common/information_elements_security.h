// The authentication and cipher bits a privacy-enabled network announces in its WPA and RSN
// elements, as the survey entry carries them.
#pragma once

#include <cstddef>
#include <cstdint>

#include "lib/common/information_elements.h"

namespace vtr {

struct SecurityMasks {
  uint32_t authMask = 0;    // 4 WPA-PSK, 8 WPA2-PSK, 16 WPA, 32 WPA2
  uint32_t cipherMask = 0;  // 1 WEP, 2 TKIP, 4 AES
};

// Gathers the masks one element at a time, so that a single walk over a beacon can serve it
// and the other readers of the survey together.
class SecurityReader {
 public:
  void Read(const Element& element) {
    // Elements this short cannot hold a pairwise list; they are not looked at.
    if (element.length >= kMinBodyLength &&
        (element.id == kElementVendor || element.id == kElementRsn)) {
      ReadSuites(element);
    }
  }
  // Without any pairwise suite it understands, the cipher mask is WEP: the caller asks only for
  // networks that have privacy set.
  SecurityMasks Masks() const;

 private:
  static constexpr uint8_t kMinBodyLength = 13;
  void ReadSuites(const Element& element);
  SecurityMasks masks_;
};

// Reads only what lies inside the area.
SecurityMasks ParseSecurity(const uint8_t* elements, size_t length);

}  // namespace vtr
