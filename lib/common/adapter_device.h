// One request to the adapter's device object: "\\.\<adapter name>" is opened, given one
// IOCTL_NDIS_QUERY_GLOBAL_STATS naming the request code (with the set bit for a set, the value
// in the output buffer) and closed again, so no handle outlives the request.
#pragma once

#include <cstdint>
#include <string>

namespace vtr {

// True when the driver completed the request. A device that does not open leaves the buffer and
// the returned count untouched.
bool AdapterDeviceRequest(const std::string& adapterName, uint32_t code, void* buffer,
                          uint32_t length, uint32_t* returned);

}  // namespace vtr
