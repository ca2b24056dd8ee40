// IP Helper: the machine's network adapters as GetAdaptersInfo lists them, their interfaces
// (GetIfEntry, GetInterfaceInfo), DNS servers (GetPerAdapterInfo), the DHCP release, and the
// address-change notification. Records keep Windows' layouts with this platform's pointer size;
// WCHAR text is UTF-16.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/events.h"

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

inline constexpr uint32_t kMaxInterfaceNameLength = 256;
inline constexpr uint32_t kMaxPhysAddrLength = 8;
inline constexpr uint32_t kMaxIfDescrLength = 256;

enum IfAdminStatus : uint32_t { kIfAdminUp = 1, kIfAdminDown = 2, kIfAdminTesting = 3 };
enum IfOperStatus : uint32_t {
  kIfOperNonOperational = 0,
  kIfOperUnreachable = 1,
  kIfOperDisconnected = 2,
  kIfOperConnecting = 3,
  kIfOperConnected = 4,
  kIfOperOperational = 5,
};

// MIB_IFROW: GetIfEntry reads index and fills the rest. Counters are 32 bits and wrap.
struct MibIfRow {
  char16_t name[kMaxInterfaceNameLength];  // "\DEVICE\TCPIP_{GUID}"
  uint32_t index;
  uint32_t type;
  uint32_t mtu;
  uint32_t speed;  // bit/s
  uint32_t physAddrLength;
  uint8_t physAddr[kMaxPhysAddrLength];
  uint32_t adminStatus;
  uint32_t operStatus;
  uint32_t lastChange;  // hundredths of a second since the machine started
  uint32_t inOctets;
  uint32_t inUcastPkts;
  uint32_t inNUcastPkts;
  uint32_t inDiscards;
  uint32_t inErrors;
  uint32_t inUnknownProtos;
  uint32_t outOctets;
  uint32_t outUcastPkts;
  uint32_t outNUcastPkts;
  uint32_t outDiscards;
  uint32_t outErrors;
  uint32_t outQLen;
  uint32_t descrLength;  // with the terminating NUL
  uint8_t descr[kMaxIfDescrLength];
};
static_assert(offsetof(MibIfRow, index) == 512);
static_assert(offsetof(MibIfRow, physAddr) == 532);
static_assert(offsetof(MibIfRow, adminStatus) == 540);
static_assert(offsetof(MibIfRow, inOctets) == 552);
static_assert(offsetof(MibIfRow, outOctets) == 576);
static_assert(offsetof(MibIfRow, descrLength) == 600);
static_assert(sizeof(MibIfRow) == 860);

// IP_PER_ADAPTER_INFO: the first DNS server is held in the record; further ones are linked
// entries the call places in the caller's buffer after it.
struct IpPerAdapterInfo {
  uint32_t autoconfigEnabled;
  uint32_t autoconfigActive;  // the adapter holds an automatic private (169.254) address
  IpAddrString* currentDnsServer;
  IpAddrString dnsServerList;
};

inline constexpr uint32_t kMaxAdapterIndexMapName = 128;

// IP_ADAPTER_INDEX_MAP: what GetInterfaceInfo lists and IpReleaseAddress takes.
struct IpAdapterIndexMap {
  uint32_t index;
  char16_t name[kMaxAdapterIndexMapName];  // "\DEVICE\TCPIP_{GUID}"
};
static_assert(sizeof(IpAdapterIndexMap) == 260);

// IP_INTERFACE_INFO: a count, then that many maps.
struct IpInterfaceInfo {
  int32_t numAdapters;
  IpAdapterIndexMap adapter[1];
};
static_assert(offsetof(IpInterfaceInfo, adapter) == 4);

class IpHelperPort {
 public:
  virtual ~IpHelperPort() = default;
  // With buffer null or *size too small: ERROR_BUFFER_OVERFLOW and *size set to what the list
  // needs. Otherwise fills the buffer with the linked list and answers 0.
  virtual long GetAdaptersInfo(IpAdapterInfo* buffer, uint32_t* size) = 0;
  // The interface whose index row->index names: 0, or ERROR_INVALID_DATA when there is none.
  virtual long GetIfEntry(MibIfRow* row) = 0;
  // The DNS servers of the interface ifIndex. With info null or *size too small:
  // ERROR_BUFFER_OVERFLOW and *size set to what it needs; ERROR_INVALID_PARAMETER for an
  // unknown interface.
  virtual long GetPerAdapterInfo(uint32_t ifIndex, IpPerAdapterInfo* info, uint32_t* size) = 0;
  // The adapters with IP: with info null or *size too small, ERROR_INSUFFICIENT_BUFFER and
  // *size set to what the list needs.
  virtual long GetInterfaceInfo(IpInterfaceInfo* info, uint32_t* size) = 0;
  // Gives up the adapter's DHCP address (found by adapter->index).
  virtual long IpReleaseAddress(const IpAdapterIndexMap* adapter) = 0;
  // The next change of any adapter's IPv4 address. Overlapped form (handle and overlapped given,
  // the overlapped carrying an event): ERROR_IO_PENDING; the event is set when an address changes,
  // and GetOverlappedResult (EventsPort) gives the result. With both null the call blocks until a
  // change. *handle names the registration.
  virtual long NotifyAddrChange(uint64_t* handle, Overlapped* overlapped) = 0;
  // Ends a pending notification: it completes with ERROR_OPERATION_ABORTED.
  virtual bool CancelIPChangeNotify(Overlapped* overlapped) = 0;
};

}  // namespace platform
