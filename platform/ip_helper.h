// IP Helper: the machine's network adapters, as GetAdaptersInfo lists them.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform {

inline constexpr uint32_t kMaxAdapterNameLength = 256;
inline constexpr uint32_t kMaxAdapterDescriptionLength = 128;
inline constexpr uint32_t kMaxAdapterAddressLength = 8;

inline constexpr uint32_t kIfTypeEthernet = 6;
inline constexpr uint32_t kIfTypeIeee80211 = 71;

struct IpAddrString {
  IpAddrString* next;
  char ipAddress[16];
  char ipMask[16];
  uint32_t context;
};

// IP_ADAPTER_INFO: one adapter of the list; the list lives in the caller's buffer.
struct IpAdapterInfo {
  IpAdapterInfo* next;
  uint32_t comboIndex;
  char adapterName[kMaxAdapterNameLength + 4];
  char description[kMaxAdapterDescriptionLength + 4];
  uint32_t addressLength;
  uint8_t address[kMaxAdapterAddressLength];
  uint32_t index;
  uint32_t type;
  uint32_t dhcpEnabled;
  IpAddrString* currentIpAddress;
  IpAddrString ipAddressList;
  IpAddrString gatewayList;
  IpAddrString dhcpServer;
  int32_t haveWins;
  IpAddrString primaryWinsServer;
  IpAddrString secondaryWinsServer;
  int64_t leaseObtained;
  int64_t leaseExpires;
};
static_assert(offsetof(IpAdapterInfo, adapterName) == 12);
static_assert(offsetof(IpAdapterInfo, description) == 272);
static_assert(offsetof(IpAdapterInfo, addressLength) == 404);
static_assert(offsetof(IpAdapterInfo, index) == 416);

class IpHelperPort {
 public:
  virtual ~IpHelperPort() = default;
  // With buffer null or *size too small: ERROR_BUFFER_OVERFLOW and *size set to what the list
  // needs. Otherwise fills the buffer with the linked list and answers 0.
  virtual long GetAdaptersInfo(IpAdapterInfo* buffer, uint32_t* size) = 0;
};

}  // namespace platform
