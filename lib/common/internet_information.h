// The IP settings of the found adapter, as both builds report them in VtrIpInfo.
#pragma once

#include <cstdint>
#include <string>

#include "vtrlib.h"

namespace vtr {

// Zeroes the record, then fills it from IP Helper for the adapter of that name ("{GUID}", found
// without regard to case) while its interface is up; the DNS servers come from the interface
// index (none when it is -1).
void ReadInternetInformation(const std::string& name, int32_t index, VtrIpInfo* ip);

// Whether IP Helper lists the adapter of that name with DHCP on, whatever its interface's state.
bool AdapterDhcpEnabled(const std::string& name);

}  // namespace vtr
