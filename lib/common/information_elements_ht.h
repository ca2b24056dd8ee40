// Whether a network announces 802.11n: the HT elements of the standard or the pre-standard
// vendor element.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vtr {

bool HasHtElements(const uint8_t* elements, size_t length);

}  // namespace vtr
