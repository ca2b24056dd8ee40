// The machine's IPv4 forwarding table. It follows each adapter's TCP/IP configuration as the
// registry holds it (Tcpip\Parameters\Interfaces\{GUID}), so whatever changes that configuration
// (WMI's methods, DHCP) changes the routes: the loopback route, and for every adapter with an
// address its subnet route, its host route, and one default route per gateway. Static gateways
// ("DefaultGateway") stay in force after DHCP is switched on, as Windows keeps them, next to the
// gateway DHCP gave ("DhcpDefaultGateway", else the description's).
//
// A deleted route stays deleted until its interface is configured anew: the deletion remembers
// the configuration it was made under (ServiceStateStore).
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/ip_forward_table.h"
#include "sim/machine_description.h"
#include "sim/service_state.h"

namespace sim {

class RegistryFileStore;

// A dotted IPv4 address in network byte order; nothing when the text is not one.
std::optional<uint32_t> ParseIpv4(const std::string& text);
std::string FormatIpv4(uint32_t address);

// One adapter's TCP/IP configuration as the forwarding table reads it.
struct InterfaceConfiguration {
  uint32_t address = 0;
  uint32_t mask = 0;
  std::vector<std::pair<uint32_t, uint32_t>> gateways;  // address, metric

  // What a deletion remembers: the configuration as text.
  std::string Fingerprint() const;
};

class SimIpForwardTable : public platform::IpForwardTablePort {
 public:
  SimIpForwardTable(const std::filesystem::path& hiveFile, const MachineDescription& machine,
                    ServiceStateStore& store);

  long GetIpForwardTable(platform::MibIpForwardTable* table, uint32_t* size, bool order) override;
  long DeleteIpForwardEntry(const platform::MibIpForwardRow& row) override;

  // The rows in force now; 0 or the error that kept the configuration from being read.
  long Rows(std::vector<platform::MibIpForwardRow>& rows);

 private:
  long Configurations(
      std::vector<std::pair<const AdapterDescription*, InterfaceConfiguration>>& configurations);

  std::shared_ptr<RegistryFileStore> hive_;
  const MachineDescription& machine_;
  ServiceStateStore& store_;
};

}  // namespace sim
