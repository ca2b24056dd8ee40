// IP Helper of the machine: the adapters of its description.
#pragma once

#include "platform/ip_helper.h"
#include "sim/machine_description.h"

namespace sim {

class SimIpHelper : public platform::IpHelperPort {
 public:
  explicit SimIpHelper(const MachineDescription& machine) : machine_(machine) {}
  long GetAdaptersInfo(platform::IpAdapterInfo* buffer, uint32_t* size) override;

 private:
  const MachineDescription& machine_;
};

}  // namespace sim
