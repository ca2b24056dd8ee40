// The chipset driver's own codes for its WPS requests, which the Vista build sends: the
// adapter's miniport and its protocol driver "VTRNdisP" take each as the WPS vendor request it
// stands for, so that both library builds meet the one registration of the driver.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/vendor_oids.h"

namespace sim {

// The vendor request behind a code (given without the set bit) used as a set or as a query;
// nothing for another code, or for a code used the other way.
std::optional<platform::VendorOid> ChipsetWpsRequest(uint32_t code, bool set);

}  // namespace sim
