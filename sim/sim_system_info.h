// GetVersionExA and the machine's folders, from its description.
#pragma once

#include <string>

#include "platform/system_info.h"
#include "sim/machine_description.h"

namespace sim {

class SimSystemInfo : public platform::SystemInfoPort {
 public:
  SimSystemInfo(const MachineDescription& machine, std::string machineGuid)
      : machine_(machine), machineGuid_(std::move(machineGuid)) {}
  bool GetVersionExA(platform::OsVersionInfoExA* info) override;
  std::string WindowsDirectory() override;
  std::string TempPath() override;
  std::string MachineGuid() override { return machineGuid_; }

 private:
  const MachineDescription& machine_;
  const std::string machineGuid_;
};

}  // namespace sim
