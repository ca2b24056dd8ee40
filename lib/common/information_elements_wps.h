// Wi-Fi Protected Setup facts from a network's WPS vendor element.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "lib/common/information_elements.h"

namespace vtr {

struct WpsFlags {
  uint8_t hasWps = 0;        // the network announces WPS
  uint8_t wpsPbcActive = 0;  // a registrar is selected for the push-button method
};

// Looks at the first WPS element only, one element at a time, so that a single walk over a
// beacon can serve it and the other readers of the survey together. Finding an active
// push-button session also writes a line to the debugger output.
class WpsReader {
 public:
  // The vendor element's OUI and type; the attributes follow them.
  static constexpr uint8_t kWpsOui[4] = {0x00, 0x50, 0xF2, 0x04};

  void Read(const Element& element) {
    if (done_ || element.id != kElementVendor || element.length < kWpsMinBody ||
        std::memcmp(element.Body(), kWpsOui, sizeof(kWpsOui)) != 0) {
      return;
    }
    ReadWpsElement(element);
  }
  bool Done() const { return done_; }
  WpsFlags Flags() const { return flags_; }

 private:
  static constexpr uint8_t kWpsMinBody = 13;
  void ReadWpsElement(const Element& element);
  WpsFlags flags_;
  bool done_ = false;
};

WpsFlags ParseWps(const uint8_t* elements, size_t length);

}  // namespace vtr
