// The adapter's IP settings, from IP Helper: the adapter's entry of the adapter
// list, its interface's administrative state, and its DNS servers.
#include "lib/common/internet_information.h"

#include <strings.h>

#include <cstring>
#include <vector>

#include "platform/services.h"
#include "platform/win_errors.h"
#include "vtrlib.h"

namespace {

constexpr uint32_t kMaxDnsServers = 5;
// The first try at the DNS list: the record with room for one server.
constexpr uint32_t kFirstDnsBufferSize = 52;

template <std::size_t N>
void CopyAddress(char (&field)[N], const char* text, std::size_t textSize) {
  const std::size_t length = strnlen(text, textSize);
  const std::size_t kept = length < N ? length : N - 1;
  std::memcpy(field, text, kept);
  field[kept] = '\0';
}

// A zeroed buffer of at least size bytes, aligned for the records IP Helper
// places in it.
template <typename T>
std::vector<T> RecordBuffer(uint32_t size) {
  return std::vector<T>(size / sizeof(T) + 1);
}

void ReadDnsServers(platform::IpHelperPort& ipHelper, uint32_t ifIndex, VtrIpInfo& ip) {
  uint32_t size = kFirstDnsBufferSize;
  auto buffer = RecordBuffer<platform::IpPerAdapterInfo>(size);
  long result = ipHelper.GetPerAdapterInfo(ifIndex, buffer.data(), &size);
  if (result == platform::kErrorBufferOverflow) {
    buffer = RecordBuffer<platform::IpPerAdapterInfo>(size);
    result = ipHelper.GetPerAdapterInfo(ifIndex, buffer.data(), &size);
  }
  if (result != platform::kErrorSuccess) return;
  for (const platform::IpAddrString* server = &buffer.front().dnsServerList;
       server != nullptr && ip.dnsCount < kMaxDnsServers; server = server->next) {
    CopyAddress(ip.dnsServer[ip.dnsCount], server->ipAddress, sizeof(server->ipAddress));
    ++ip.dnsCount;
  }
}

// The adapter list of IP Helper in list; the entry named name ("{GUID}", any case), or null.
const platform::IpAdapterInfo* FindAdapter(const std::string& name,
                                           std::vector<platform::IpAdapterInfo>& list) {
  auto& ipHelper = platform::Current().IpHelper();
  uint32_t size = 0;
  if (ipHelper.GetAdaptersInfo(nullptr, &size) != platform::kErrorBufferOverflow) return nullptr;
  list = RecordBuffer<platform::IpAdapterInfo>(size);
  if (ipHelper.GetAdaptersInfo(list.data(), &size) != platform::kErrorSuccess) return nullptr;
  const platform::IpAdapterInfo* adapter = list.data();
  while (adapter != nullptr && (name.empty() || strncasecmp(adapter->adapterName, name.c_str(),
                                                            sizeof(adapter->adapterName)) != 0)) {
    adapter = adapter->next;
  }
  return adapter;
}

}  // namespace

namespace vtr {

void ReadInternetInformation(const std::string& name, int32_t index, VtrIpInfo* ip) {
  if (ip == nullptr) return;
  std::memset(ip, 0, sizeof(*ip));
  auto& ipHelper = platform::Current().IpHelper();
  std::vector<platform::IpAdapterInfo> list;
  const platform::IpAdapterInfo* adapter = FindAdapter(name, list);
  if (adapter == nullptr) return;

  platform::MibIfRow row{};
  row.index = adapter->index;
  // A row IP Helper did not fill reads 0; an interface switched off reads down.
  if (ipHelper.GetIfEntry(&row) != platform::kErrorSuccess || row.adminStatus == 0 ||
      row.adminStatus == platform::kIfAdminDown) {
    return;
  }
  CopyAddress(ip->ipAddress, adapter->ipAddressList.ipAddress,
              sizeof(adapter->ipAddressList.ipAddress));
  CopyAddress(ip->subnetMask, adapter->ipAddressList.ipMask, sizeof(adapter->ipAddressList.ipMask));
  CopyAddress(ip->gateway, adapter->gatewayList.ipAddress, sizeof(adapter->gatewayList.ipAddress));
  if (adapter->dhcpEnabled != 0) {
    ip->dhcpEnabled = 1;
    CopyAddress(ip->dhcpServer, adapter->dhcpServer.ipAddress,
                sizeof(adapter->dhcpServer.ipAddress));
  }
  if (index >= 0) ReadDnsServers(ipHelper, static_cast<uint32_t>(index), *ip);
}

bool AdapterDhcpEnabled(const std::string& name) {
  std::vector<platform::IpAdapterInfo> list;
  const platform::IpAdapterInfo* adapter = FindAdapter(name, list);
  return adapter != nullptr && adapter->dhcpEnabled != 0;
}

}  // namespace vtr
