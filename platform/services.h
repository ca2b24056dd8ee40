// The outside services of the machine the library and the programs run on. Everything in
// lib/, app/ and tools/ reaches the machine through these ports only.
#pragma once

#include "platform/clock.h"
#include "platform/device_io.h"
#include "platform/files.h"
#include "platform/ip_helper.h"
#include "platform/registry.h"
#include "platform/system_info.h"

namespace platform {

class Services {
 public:
  virtual ~Services() = default;
  virtual RegistryPort& Registry() = 0;
  virtual IpHelperPort& IpHelper() = 0;
  virtual SystemInfoPort& SystemInfo() = 0;
  virtual FilesPort& Files() = 0;
  virtual ClockPort& Clock() = 0;
  virtual DevicePort& Devices() = 0;
};

// The machine of this process: the one RADIODESK_MACHINE names, else the default machine.
// Chosen on first use and shared by every caller in the process.
Services& Current();

}  // namespace platform
