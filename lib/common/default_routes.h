// Removing the default routes an adapter kept from a fixed configuration once it is switched to
// DHCP, so that only the gateway DHCP gives is used. The connect sequences call it; it lives in
// this header so that tests run the very same code against a machine.
#pragma once

#include <cstdint>
#include <new>
#include <vector>

#include "platform/debug_output.h"
#include "platform/services.h"
#include "platform/win_errors.h"

namespace vtr {

// Deletes every IPv4 route of interface ifIndex whose destination is 0.0.0.0. 0 when each such
// deletion succeeded; 1 when one failed, the table could not be read, or memory ran out.
inline int32_t DeleteDefaultRoutes(uint32_t ifIndex) {
  auto& routes = platform::Current().IpForwardTable();
  uint32_t size = 0;
  long result = routes.GetIpForwardTable(nullptr, &size, false);
  std::vector<uint32_t> buffer;  // u32 cells keep the rows aligned
  if (result == platform::kErrorInsufficientBuffer) {
    try {
      buffer.resize((size + sizeof(uint32_t) - 1) / sizeof(uint32_t));
    } catch (const std::bad_alloc&) {
      platform::OutputDebugStringA("Malloc failed. Out of memory.\n");
      return 1;
    }
    result = routes.GetIpForwardTable(reinterpret_cast<platform::MibIpForwardTable*>(buffer.data()),
                                      &size, false);
  }
  if (result != platform::kErrorSuccess || buffer.empty()) {
    platform::OutputDebugStringA("getIpForwardTable failed.\n");
    return 1;
  }
  const auto* table = reinterpret_cast<const platform::MibIpForwardTable*>(buffer.data());
  const auto* rows = reinterpret_cast<const platform::MibIpForwardRow*>(
      reinterpret_cast<const uint8_t*>(buffer.data()) + sizeof(uint32_t));
  int32_t failed = 0;
  for (uint32_t i = 0; i < table->numEntries; ++i) {
    if (rows[i].forwardIfIndex != ifIndex || rows[i].forwardDest != 0) continue;
    if (routes.DeleteIpForwardEntry(rows[i]) != platform::kErrorSuccess) {
      platform::OutputDebugStringA("Could not delete old gateway\n");
      failed = 1;
    }
  }
  return failed;
}

}  // namespace vtr
