// IP Helper of the machine: the adapters of its description, with the wireless adapter's address,
// interface state and counters taken from its shared state at the time of each call, and the
// address-change notification completed through the machine's events.
//
// What an interface reports follows its TCP/IP settings in the registry, as WMI writes them
// (wmi_tcpip_values.h): with DHCP off, the fixed address, mask, gateway and DNS servers while
// the link is up (and no address while it is down); with DHCP on, the DHCP client's lease, with
// fixed DNS servers in place of the lease's when there are any. The lease itself is the DHCP
// client's and lives in the adapter's state, not in the registry.
#pragma once

#include <atomic>
#include <filesystem>
#include <optional>

#include "platform/clock.h"
#include "platform/ip_helper.h"
#include "sim/machine_description.h"
#include "sim/registry_file_store.h"
#include "sim/sim_devices.h"
#include "sim/sim_events.h"
#include "sim/wmi_tcpip_values.h"

namespace sim {

class SimIpHelper : public platform::IpHelperPort {
 public:
  SimIpHelper(const std::filesystem::path& hiveFile, const MachineDescription& machine,
              SimDevices& devices, platform::ClockPort& clock, SimEvents& events);

  long GetAdaptersInfo(platform::IpAdapterInfo* buffer, uint32_t* size) override;
  long GetIfEntry(platform::MibIfRow* row) override;
  long GetPerAdapterInfo(uint32_t ifIndex, platform::IpPerAdapterInfo* info,
                         uint32_t* size) override;
  long GetInterfaceInfo(platform::IpInterfaceInfo* info, uint32_t* size) override;
  long IpReleaseAddress(const platform::IpAdapterIndexMap* adapter) override;
  long NotifyAddrChange(uint64_t* handle, platform::Overlapped* overlapped) override;
  bool CancelIPChangeNotify(platform::Overlapped* overlapped) override;

  // Address changes seen so far on the machine, and when the next one is due; a notification
  // compares the count.
  uint64_t AddressChanges(std::optional<uint64_t>* nextDueMs = nullptr);

 private:
  const AdapterDescription* FindAdapter(uint32_t index) const;
  // The adapter's settings now; a registry that cannot be read leaves the description's.
  TcpipSettings Settings(const AdapterDescription& adapter);

  RegistryFileStore hive_;

  const MachineDescription& machine_;
  SimDevices& devices_;
  platform::ClockPort& clock_;
  SimEvents& events_;
  std::atomic<uint64_t> nextRegistration_{1};
};

}  // namespace sim
