// The IPv4 forwarding table, as IP Helper's GetIpForwardTable and DeleteIpForwardEntry offer it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform {

// MIB_IPFORWARDROW. Addresses are in network byte order, as Windows keeps them in a DWORD: the
// first octet is the lowest byte.
struct MibIpForwardRow {
  uint32_t forwardDest;
  uint32_t forwardMask;
  uint32_t forwardPolicy;
  uint32_t forwardNextHop;
  uint32_t forwardIfIndex;
  uint32_t forwardType;   // 3 direct (the next hop is the destination), 4 indirect
  uint32_t forwardProto;  // 2 local, 3 network management (static or DHCP)
  uint32_t forwardAge;
  uint32_t forwardNextHopAs;
  uint32_t forwardMetric1;
  uint32_t forwardMetric2;
  uint32_t forwardMetric3;
  uint32_t forwardMetric4;
  uint32_t forwardMetric5;
};
static_assert(sizeof(MibIpForwardRow) == 56);

// MIB_IPFORWARDTABLE: a count, then that many rows.
struct MibIpForwardTable {
  uint32_t numEntries;
  MibIpForwardRow table[1];
};
static_assert(offsetof(MibIpForwardTable, table) == 4);

inline constexpr uint32_t kRouteTypeDirect = 3;
inline constexpr uint32_t kRouteTypeIndirect = 4;
inline constexpr uint32_t kRouteProtoLocal = 2;
inline constexpr uint32_t kRouteProtoNetMgmt = 3;

class IpForwardTablePort {
 public:
  virtual ~IpForwardTablePort() = default;
  // With table null or *size too small: ERROR_INSUFFICIENT_BUFFER (122) and *size set to what
  // the table needs. Otherwise fills it and answers 0; order asks for rows sorted by
  // destination.
  virtual long GetIpForwardTable(MibIpForwardTable* table, uint32_t* size, bool order) = 0;
  // Removes the row matching destination, mask, next hop and interface index; ERROR_NOT_FOUND
  // (1168) when there is none.
  virtual long DeleteIpForwardEntry(const MibIpForwardRow& row) = 0;
};

}  // namespace platform
