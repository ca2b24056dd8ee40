#include "lib/common/adapter_search.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "lib/common/network_keys.h"
#include "lib/common/registry_access.h"
#include "platform/services.h"
#include "platform/win_errors.h"
#include "vtrlib.h"

namespace vtr {
namespace {

using platform::IpAdapterInfo;

// Asks IP Helper for the size it needs, then for the list; nothing on any failure.
std::unique_ptr<IpAdapterInfo[]> AdapterList() {
  auto& ipHelper = platform::Current().IpHelper();
  uint32_t size = 0;
  if (ipHelper.GetAdaptersInfo(nullptr, &size) != platform::kErrorBufferOverflow) return nullptr;
  const size_t count = (size + sizeof(IpAdapterInfo) - 1) / sizeof(IpAdapterInfo);
  std::unique_ptr<IpAdapterInfo[]> list(new (std::nothrow) IpAdapterInfo[count]());
  if (!list || ipHelper.GetAdaptersInfo(list.get(), &size) != 0) return nullptr;
  return list;
}

bool MatchesHardwareId(const std::vector<std::string>& ids, const std::string& pnpInstanceId) {
  return std::any_of(ids.begin(), ids.end(), [&](const std::string& id) {
    return pnpInstanceId.find(id) != std::string::npos;
  });
}

FoundAdapter Found(const IpAdapterInfo& info, const std::string& pnpInstanceId) {
  FoundAdapter found;
  found.index = static_cast<int32_t>(info.index);
  found.name = std::string(info.adapterName, strnlen(info.adapterName, sizeof(info.adapterName)));
  found.tcpipKey = kTcpipInterfacesKey + found.name;
  found.pnpInstanceId = pnpInstanceId;
  std::memcpy(found.macAddress, info.address,
              std::min<size_t>(info.addressLength, sizeof(found.macAddress)));
  found.description = ShortAdapterDescription(
      std::string(info.description, strnlen(info.description, sizeof(info.description))));
  return found;
}

}  // namespace

std::string ShortAdapterDescription(const std::string& description) {
  const size_t lastDash = description.rfind('-');
  if (lastDash == std::string::npos) return description;
  return description.substr(0, lastDash == 0 ? 0 : lastDash - 1);
}

std::optional<FoundAdapter> SearchAdapter(const std::vector<std::string>& hardwareIds,
                                          std::string& lastPnpInstanceId) {
  const auto list = AdapterList();
  if (!list) return std::nullopt;
  for (const IpAdapterInfo* info = list.get(); info != nullptr; info = info->next) {
    const std::string name(info->adapterName,
                           strnlen(info->adapterName, sizeof(info->adapterName)));
    const auto pnpInstanceId = ReadRegistryText(kNetworkConnectionsKey + name + "\\Connection",
                                                "PnpInstanceID", 260, VTR_HKEY_LOCAL_MACHINE);
    if (!pnpInstanceId) continue;
    lastPnpInstanceId = *pnpInstanceId;
    if (MatchesHardwareId(hardwareIds, *pnpInstanceId)) return Found(*info, *pnpInstanceId);
  }
  return std::nullopt;
}

}  // namespace vtr
