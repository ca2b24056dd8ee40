#include "sim/interface_counters.h"

#include <algorithm>

namespace sim {

OctetCounts Octets(const LinkState& link, uint64_t nowMs) {
  OctetCounts counts{link.counters.inOctets, link.counters.outOctets};
  if (!link.association) return counts;
  const Association& association = *link.association;
  const uint64_t from = std::max(link.counters.sinceMs, association.upAtMs);
  if (nowMs <= from) return counts;
  const uint64_t elapsedMs = nowMs - from;
  const bool answered = association.framesPass && !association.ownIbss;
  const uint64_t inRate = answered ? association.traffic.receiveBytesPerSecond : 0;
  const uint64_t outRate =
      answered ? association.traffic.sendBytesPerSecond : kUnansweredSendBytesPerSecond;
  counts.in += inRate * elapsedMs / 1000;
  counts.out += outRate * elapsedMs / 1000;
  return counts;
}

void SettleCounters(LinkState& link, uint64_t nowMs) {
  const OctetCounts counts = Octets(link, nowMs);
  link.counters.inOctets = counts.in;
  link.counters.outOctets = counts.out;
  link.counters.sinceMs = std::max(link.counters.sinceMs, nowMs);
}

}  // namespace sim
