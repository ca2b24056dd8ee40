#include "sim/ip_forward_table.h"

#include <arpa/inet.h>
#include <algorithm>
#include <cstring>
#include <optional>

#include "platform/registry.h"
#include "platform/win_errors.h"
#include "sim/registry_file_store.h"
#include "sim/wmi_tcpip_values.h"

namespace sim {
namespace {

constexpr long kErrorNotFound = 1168;
constexpr uint32_t kLoopbackIfIndex = 1;
// The metric Windows XP gives a 100 Mbit/s interface's routes when none is configured.
constexpr uint32_t kDefaultMetric = 20;

uint32_t HostOrder(uint32_t networkOrder) {
  return ntohl(networkOrder);
}

platform::MibIpForwardRow MakeRow(uint32_t dest, uint32_t mask, uint32_t nextHop, uint32_t ifIndex,
                                  uint32_t type, uint32_t proto, uint32_t metric) {
  platform::MibIpForwardRow row{};
  row.forwardDest = dest;
  row.forwardMask = mask;
  row.forwardNextHop = nextHop;
  row.forwardIfIndex = ifIndex;
  row.forwardType = type;
  row.forwardProto = proto;
  row.forwardMetric1 = metric;
  row.forwardMetric2 = row.forwardMetric3 = row.forwardMetric4 = row.forwardMetric5 = ~0u;
  return row;
}

std::string RouteName(const platform::MibIpForwardRow& row) {
  return FormatIpv4(row.forwardDest) + "/" + FormatIpv4(row.forwardMask) + " via " +
         FormatIpv4(row.forwardNextHop);
}

bool SameRoute(const platform::MibIpForwardRow& a, const platform::MibIpForwardRow& b) {
  return a.forwardDest == b.forwardDest && a.forwardMask == b.forwardMask &&
         a.forwardNextHop == b.forwardNextHop && a.forwardIfIndex == b.forwardIfIndex;
}

InterfaceConfiguration ReadConfiguration(const RegistryKey* key,
                                         const AdapterDescription& adapter) {
  InterfaceConfiguration config;
  const bool dhcp = DwordValue(key, kEnableDhcp).value_or(adapter.dhcpEnabled ? 1 : 0) != 0;
  std::string address;
  std::string mask;
  std::vector<std::string> dhcpGateways;
  if (dhcp) {
    address = TextValue(key, "DhcpIPAddress").value_or(adapter.ipAddress);
    mask = TextValue(key, "DhcpSubnetMask").value_or(adapter.subnetMask);
    if (auto given = MultiTextValue(key, "DhcpDefaultGateway")) {
      dhcpGateways = *given;
    } else if (!adapter.gateway.empty()) {
      dhcpGateways = {adapter.gateway};
    }
  } else {
    const auto addresses = MultiTextValue(key, kIpAddress).value_or(std::vector<std::string>{});
    const auto masks = MultiTextValue(key, kSubnetMask).value_or(std::vector<std::string>{});
    address = addresses.empty() ? adapter.ipAddress : addresses.front();
    mask = masks.empty() ? adapter.subnetMask : masks.front();
  }
  config.address = ParseIpv4(address).value_or(0);
  config.mask = ParseIpv4(mask).value_or(0);
  const auto statics = MultiTextValue(key, kDefaultGateway).value_or(std::vector<std::string>{});
  const auto metrics =
      MultiTextValue(key, kDefaultGatewayMetric).value_or(std::vector<std::string>{});
  for (size_t i = 0; i < statics.size(); ++i) {
    const auto gateway = ParseIpv4(statics[i]);
    if (!gateway || *gateway == 0) continue;
    uint32_t metric = kDefaultMetric;
    if (i < metrics.size())
      metric = static_cast<uint32_t>(std::strtoul(metrics[i].c_str(), nullptr, 10));
    config.gateways.emplace_back(*gateway, metric);
  }
  for (const std::string& text : dhcpGateways) {
    const auto gateway = ParseIpv4(text);
    if (gateway && *gateway != 0) config.gateways.emplace_back(*gateway, kDefaultMetric);
  }
  return config;
}

}  // namespace

std::optional<uint32_t> ParseIpv4(const std::string& text) {
  in_addr parsed{};
  if (::inet_pton(AF_INET, text.c_str(), &parsed) != 1) return std::nullopt;
  return parsed.s_addr;
}

std::string FormatIpv4(uint32_t address) {
  char text[INET_ADDRSTRLEN] = {};
  in_addr value{};
  value.s_addr = address;
  ::inet_ntop(AF_INET, &value, text, sizeof text);
  return text;
}

std::string InterfaceConfiguration::Fingerprint() const {
  std::string text = FormatIpv4(address) + "/" + FormatIpv4(mask);
  for (const auto& [gateway, metric] : gateways) {
    // Appended piece by piece: GCC 12 at -O3 warns falsely about string concatenation here.
    text.append(" ").append(FormatIpv4(gateway)).append(":").append(std::to_string(metric));
  }
  return text;
}

SimIpForwardTable::SimIpForwardTable(const std::filesystem::path& hiveFile,
                                     const MachineDescription& machine, ServiceStateStore& store)
    : hive_(std::make_shared<RegistryFileStore>(hiveFile)), machine_(machine), store_(store) {}

long SimIpForwardTable::Configurations(
    std::vector<std::pair<const AdapterDescription*, InterfaceConfiguration>>& configurations) {
  configurations.clear();
  return hive_->Read([&](const Hive& hive) {
    for (const AdapterDescription& adapter : machine_.adapters) {
      configurations.emplace_back(
          &adapter, ReadConfiguration(FindTcpipInterface(hive, adapter.name), adapter));
    }
    return platform::kErrorSuccess;
  });
}

long SimIpForwardTable::Rows(std::vector<platform::MibIpForwardRow>& rows) {
  std::vector<std::pair<const AdapterDescription*, InterfaceConfiguration>> configurations;
  if (long error = Configurations(configurations)) return error;
  rows.clear();
  const uint32_t loopbackHost = *ParseIpv4("127.0.0.1");
  rows.push_back(MakeRow(*ParseIpv4("127.0.0.0"), *ParseIpv4("255.0.0.0"), loopbackHost,
                         kLoopbackIfIndex, platform::kRouteTypeDirect, platform::kRouteProtoLocal,
                         1));
  for (const auto& [adapter, config] : configurations) {
    if (config.address == 0) continue;
    std::vector<platform::MibIpForwardRow> own;
    for (const auto& [gateway, metric] : config.gateways) {
      own.push_back(MakeRow(0, 0, gateway, adapter->index, platform::kRouteTypeIndirect,
                            platform::kRouteProtoNetMgmt, metric));
    }
    own.push_back(MakeRow(config.address & config.mask, config.mask, config.address, adapter->index,
                          platform::kRouteTypeDirect, platform::kRouteProtoLocal, kDefaultMetric));
    std::vector<std::pair<std::string, std::string>> deleted;
    if (long error = store_.ReadDeletedRoutes(adapter->index, deleted)) return error;
    const std::string fingerprint = config.Fingerprint();
    for (const auto& row : own) {
      const bool gone = std::any_of(deleted.begin(), deleted.end(), [&](const auto& entry) {
        return entry.first == RouteName(row) && entry.second == fingerprint;
      });
      if (!gone) rows.push_back(row);
    }
    // The interface's own address is reached through the loopback interface.
    rows.push_back(MakeRow(config.address, 0xFFFFFFFFu, loopbackHost, kLoopbackIfIndex,
                           platform::kRouteTypeDirect, platform::kRouteProtoLocal, kDefaultMetric));
  }
  return platform::kErrorSuccess;
}

long SimIpForwardTable::GetIpForwardTable(platform::MibIpForwardTable* table, uint32_t* size,
                                          bool order) {
  if (size == nullptr) return platform::kErrorInvalidParameter;
  std::vector<platform::MibIpForwardRow> rows;
  if (long error = Rows(rows)) return error;
  const auto needed =
      static_cast<uint32_t>(sizeof(uint32_t) + rows.size() * sizeof(platform::MibIpForwardRow));
  if (table == nullptr || *size < needed) {
    *size = needed;
    return platform::kErrorInsufficientBuffer;
  }
  if (order) {
    std::stable_sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) {
      return HostOrder(a.forwardDest) < HostOrder(b.forwardDest);
    });
  }
  table->numEntries = static_cast<uint32_t>(rows.size());
  // The rows run on past the declared one-element array, into the caller's buffer.
  auto* bytes = reinterpret_cast<uint8_t*>(table) + sizeof(uint32_t);
  if (!rows.empty()) std::memcpy(bytes, rows.data(), rows.size() * sizeof(rows[0]));
  return platform::kErrorSuccess;
}

long SimIpForwardTable::DeleteIpForwardEntry(const platform::MibIpForwardRow& row) {
  std::vector<std::pair<const AdapterDescription*, InterfaceConfiguration>> configurations;
  if (long error = Configurations(configurations)) return error;
  std::vector<platform::MibIpForwardRow> rows;
  if (long error = Rows(rows)) return error;
  const bool present =
      std::any_of(rows.begin(), rows.end(), [&](const auto& r) { return SameRoute(r, row); });
  if (!present) return kErrorNotFound;
  for (const auto& [adapter, config] : configurations) {
    if (adapter->index != row.forwardIfIndex) continue;
    return store_.AddDeletedRoute(row.forwardIfIndex, RouteName(row), config.Fingerprint());
  }
  // Routes of the loopback interface belong to the stack itself.
  return platform::kErrorAccessDenied;
}

}  // namespace sim
