// The IP interface's octet counters, grown by the association's traffic on the machine clock.
// Counts are kept whole here; GetIfEntry hands out their low 32 bits, which wrap as Windows'
// counters do.
#pragma once

#include <cstdint>

#include "sim/link_state.h"

namespace sim {

// With keys that let no frame through, only the DHCP client's discover broadcasts go out, a
// 342-byte frame every few seconds, and nothing readable comes back. An IBSS of the adapter's own
// has no one to answer either.
inline constexpr uint32_t kUnansweredSendBytesPerSecond = 86;

struct OctetCounts {
  uint64_t in = 0;
  uint64_t out = 0;
};

OctetCounts Octets(const LinkState& link, uint64_t nowMs);

// Folds the traffic so far into the stored counts; done before the association changes.
void SettleCounters(LinkState& link, uint64_t nowMs);

}  // namespace sim
