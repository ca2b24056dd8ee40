#include "sim/sim_ip_helper.h"

#include <algorithm>
#include <cstring>

#include "platform/win_errors.h"

namespace sim {
namespace {

constexpr long kErrorNoData = 232;

template <size_t N>
void CopyText(char (&field)[N], const std::string& text) {
  const size_t length = std::min(text.size(), N - 1);
  std::memcpy(field, text.data(), length);
  field[length] = '\0';
}

void FillAddress(platform::IpAddrString& entry, const std::string& address,
                 const std::string& mask) {
  CopyText(entry.ipAddress, address);
  CopyText(entry.ipMask, mask);
}

void FillAdapter(platform::IpAdapterInfo& info, const AdapterDescription& adapter) {
  std::memset(&info, 0, sizeof(info));
  info.comboIndex = adapter.index;
  CopyText(info.adapterName, adapter.name);
  CopyText(info.description, adapter.description);
  info.addressLength = static_cast<uint32_t>(adapter.mac.size());
  std::copy(adapter.mac.begin(), adapter.mac.end(), info.address);
  info.index = adapter.index;
  info.type = adapter.type;
  info.dhcpEnabled = adapter.dhcpEnabled ? 1 : 0;
  FillAddress(info.ipAddressList, adapter.ipAddress, adapter.subnetMask);
  FillAddress(info.gatewayList, adapter.gateway.empty() ? "0.0.0.0" : adapter.gateway, "");
  FillAddress(info.dhcpServer, adapter.dhcpServer, "");
}

}  // namespace

long SimIpHelper::GetAdaptersInfo(platform::IpAdapterInfo* buffer, uint32_t* size) {
  if (size == nullptr) return platform::kErrorInvalidParameter;
  if (machine_.adapters.empty()) return kErrorNoData;
  const auto needed =
      static_cast<uint32_t>(machine_.adapters.size() * sizeof(platform::IpAdapterInfo));
  if (buffer == nullptr || *size < needed) {
    *size = needed;
    return platform::kErrorBufferOverflow;
  }
  for (size_t i = 0; i < machine_.adapters.size(); ++i) {
    FillAdapter(buffer[i], machine_.adapters[i]);
    buffer[i].next = i + 1 < machine_.adapters.size() ? &buffer[i + 1] : nullptr;
  }
  return platform::kErrorSuccess;
}

}  // namespace sim
