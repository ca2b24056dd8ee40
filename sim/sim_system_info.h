// GetVersionExA and the machine's folders, from its description.
#pragma once

#include "platform/system_info.h"
#include "sim/machine_description.h"

namespace sim {

class SimSystemInfo : public platform::SystemInfoPort {
 public:
  explicit SimSystemInfo(const MachineDescription& machine) : machine_(machine) {}
  bool GetVersionExA(platform::OsVersionInfoExA* info) override;
  std::string WindowsDirectory() override;
  std::string TempPath() override;

 private:
  const MachineDescription& machine_;
};

}  // namespace sim
