// The TCP/IP settings Windows keeps for each adapter under
// HKLM\SYSTEM\CurrentControlSet\Services\Tcpip\Parameters\Interfaces\{GUID}, as WMI writes them
// and the forwarding table and IP Helper read them, in the hive's own terms.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sim/machine_description.h"
#include "sim/registry_hive.h"

namespace sim {

inline constexpr const char* kTcpipInterfacesKey =
    "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces";

// Value names. EnableDHCP is a REG_DWORD; IPAddress, SubnetMask, DefaultGateway and
// DefaultGatewayMetric are REG_MULTI_SZ; NameServer is a REG_SZ of comma-separated addresses.
inline constexpr const char* kEnableDhcp = "EnableDHCP";
inline constexpr const char* kIpAddress = "IPAddress";
inline constexpr const char* kSubnetMask = "SubnetMask";
inline constexpr const char* kDefaultGateway = "DefaultGateway";
inline constexpr const char* kDefaultGatewayMetric = "DefaultGatewayMetric";
inline constexpr const char* kNameServer = "NameServer";

// The adapter's interface key in HKEY_LOCAL_MACHINE, or null.
const RegistryKey* FindTcpipInterface(const Hive& hive, std::string_view adapterName);
RegistryKey* FindTcpipInterface(Hive& hive, std::string_view adapterName);

std::optional<uint32_t> DwordValue(const RegistryKey* key, std::string_view name);
// A REG_SZ or REG_EXPAND_SZ without its terminating NUL.
std::optional<std::string> TextValue(const RegistryKey* key, std::string_view name);
std::optional<std::vector<std::string>> MultiTextValue(const RegistryKey* key,
                                                       std::string_view name);

// What the interface is configured to use, as IP Helper reports it: with DHCP off, the first
// fixed address, mask and gateway; and the fixed DNS servers, which take the place of DHCP's.
// A value the key lacks (or a missing key) falls back to the adapter's description.
struct TcpipSettings {
  bool dhcpEnabled = true;
  std::string address = "0.0.0.0";
  std::string mask = "0.0.0.0";
  std::string gateway;                   // empty: none
  std::vector<std::string> nameServers;  // empty: DHCP's, or none
};
TcpipSettings ReadTcpipSettings(const RegistryKey* key, const AdapterDescription& adapter);

bool SetDwordValue(RegistryKey& key, std::string_view name, uint32_t number);
bool SetTextValue(RegistryKey& key, std::string_view name, std::string_view text);
bool SetMultiTextValue(RegistryKey& key, std::string_view name,
                       const std::vector<std::string>& items);

}  // namespace sim
