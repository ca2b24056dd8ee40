// The channel to the protocol driver "VTRNdisP": opened once for the adapter, then query and set
// frames carrying the driver's private request codes.
#pragma once

#include <cstdint>
#include <string>

#include "platform/device_io.h"

namespace vtr {

inline constexpr platform::DeviceHandle kNoDriverHandle = ~platform::DeviceHandle{0};

// Opens "\\.\<driver>", waits for its bind and points it at "\DEVICE\<adapter GUID text>";
// kNoDriverHandle when any step fails.
platform::DeviceHandle OpenProtocolDriver(const std::string& driverName,
                                          const std::string& adapterGuidText);

// A query of length data bytes; they are copied to data only when it succeeds.
bool ProtocolQuery(platform::DeviceHandle handle, uint32_t request, void* data, uint32_t length);
// A set; a 4-byte value also travels in the frame's word.
bool ProtocolSet(platform::DeviceHandle handle, uint32_t request, const void* data,
                 uint32_t length);

}  // namespace vtr
