// Wi-Fi Protected Setup facts from a network's WPS vendor element.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vtr {

struct WpsFlags {
  uint8_t hasWps = 0;        // the network announces WPS
  uint8_t wpsPbcActive = 0;  // a registrar is selected for the push-button method
};

// Looks at the first WPS element only. Finding an active push-button session also writes a
// line to the debugger output.
WpsFlags ParseWps(const uint8_t* elements, size_t length);

}  // namespace vtr
