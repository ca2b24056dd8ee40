#include "sim/wmi_tcpip_values.h"

#include <cstring>

#include "platform/registry.h"

namespace sim {
namespace {

constexpr size_t kLocalMachine = 2;

std::vector<std::string_view> InterfacePath(std::string_view adapterName) {
  std::vector<std::string_view> path = SplitKeyPath(kTcpipInterfacesKey);
  path.push_back(adapterName);
  return path;
}

}  // namespace

const RegistryKey* FindTcpipInterface(const Hive& hive, std::string_view adapterName) {
  return hive.Find(kLocalMachine, InterfacePath(adapterName));
}

RegistryKey* FindTcpipInterface(Hive& hive, std::string_view adapterName) {
  return hive.Find(kLocalMachine, InterfacePath(adapterName));
}

std::optional<uint32_t> DwordValue(const RegistryKey* key, std::string_view name) {
  const RegistryValue* value = key != nullptr ? key->FindValue(name) : nullptr;
  if (value == nullptr || value->type != platform::kRegDword || value->data.size() != 4) {
    return std::nullopt;
  }
  uint32_t number = 0;
  std::memcpy(&number, value->data.data(), 4);
  return number;
}

std::optional<std::string> TextValue(const RegistryKey* key, std::string_view name) {
  const RegistryValue* value = key != nullptr ? key->FindValue(name) : nullptr;
  if (value == nullptr ||
      (value->type != platform::kRegSz && value->type != platform::kRegExpandSz)) {
    return std::nullopt;
  }
  std::string text = value->data;
  if (const size_t end = text.find('\0'); end != std::string::npos) text.resize(end);
  return text;
}

std::optional<std::vector<std::string>> MultiTextValue(const RegistryKey* key,
                                                       std::string_view name) {
  const RegistryValue* value = key != nullptr ? key->FindValue(name) : nullptr;
  if (value == nullptr || value->type != platform::kRegMultiSz) return std::nullopt;
  std::vector<std::string> items;
  size_t start = 0;
  const std::string& data = value->data;
  while (start < data.size()) {
    const size_t end = data.find('\0', start);
    const size_t stop = end == std::string::npos ? data.size() : end;
    if (stop == start) break;  // the empty string that ends the list
    items.emplace_back(data.substr(start, stop - start));
    start = stop + 1;
  }
  return items;
}

namespace {

// NameServer separates its addresses with commas or blanks.
std::vector<std::string> SplitServerList(std::string_view list) {
  std::vector<std::string> servers;
  size_t start = 0;
  while (start < list.size()) {
    const size_t end = list.find_first_of(", ", start);
    const size_t stop = end == std::string_view::npos ? list.size() : end;
    if (stop > start) servers.emplace_back(list.substr(start, stop - start));
    start = stop + 1;
  }
  return servers;
}

std::string FirstOr(const std::optional<std::vector<std::string>>& items,
                    const std::string& fallback) {
  if (!items) return fallback;
  return items->empty() ? std::string() : items->front();
}

}  // namespace

TcpipSettings ReadTcpipSettings(const RegistryKey* key, const AdapterDescription& adapter) {
  TcpipSettings settings;
  settings.dhcpEnabled = DwordValue(key, kEnableDhcp).value_or(adapter.dhcpEnabled ? 1 : 0) != 0;
  const auto nameServer = TextValue(key, kNameServer);
  if (nameServer) settings.nameServers = SplitServerList(*nameServer);
  if (settings.dhcpEnabled) return settings;
  settings.address = FirstOr(MultiTextValue(key, kIpAddress), adapter.ipAddress);
  settings.mask = FirstOr(MultiTextValue(key, kSubnetMask), adapter.subnetMask);
  if (settings.address.empty()) settings.address = "0.0.0.0";
  if (settings.mask.empty()) settings.mask = "0.0.0.0";
  settings.gateway = FirstOr(MultiTextValue(key, kDefaultGateway), adapter.gateway);
  if (!nameServer) settings.nameServers = adapter.dnsServers;
  return settings;
}

bool SetDwordValue(RegistryKey& key, std::string_view name, uint32_t number) {
  char bytes[4];
  std::memcpy(bytes, &number, 4);
  return key.SetValue(name, platform::kRegDword, std::string_view(bytes, 4));
}

bool SetTextValue(RegistryKey& key, std::string_view name, std::string_view text) {
  std::string data(text);
  data.push_back('\0');
  return key.SetValue(name, platform::kRegSz, data);
}

bool SetMultiTextValue(RegistryKey& key, std::string_view name,
                       const std::vector<std::string>& items) {
  std::string data;
  for (const std::string& item : items) {
    data += item;
    data.push_back('\0');
  }
  data.push_back('\0');
  return key.SetValue(name, platform::kRegMultiSz, data);
}

}  // namespace sim
