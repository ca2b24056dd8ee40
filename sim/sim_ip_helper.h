// IP Helper of the machine: the adapters of its description, with the wireless adapter's address,
// interface state and counters taken from its shared state at the time of each call, and the
// address-change notification completed through the machine's events.
#pragma once

#include <atomic>
#include <optional>

#include "platform/clock.h"
#include "platform/ip_helper.h"
#include "sim/machine_description.h"
#include "sim/sim_devices.h"
#include "sim/sim_events.h"

namespace sim {

class SimIpHelper : public platform::IpHelperPort {
 public:
  SimIpHelper(const MachineDescription& machine, SimDevices& devices, platform::ClockPort& clock,
              SimEvents& events);

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

  const MachineDescription& machine_;
  SimDevices& devices_;
  platform::ClockPort& clock_;
  SimEvents& events_;
  std::atomic<uint64_t> nextRegistration_{1};
};

}  // namespace sim
