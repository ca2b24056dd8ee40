// The outside services of the machine the library and the programs run on. Everything in
// lib/, app/ and tools/ reaches the machine through these ports only.
#pragma once

#include "platform/certificate_store.h"
#include "platform/clock.h"
#include "platform/device_io.h"
#include "platform/events.h"
#include "platform/files.h"
#include "platform/ip_forward_table.h"
#include "platform/ip_helper.h"
#include "platform/link_holder.h"
#include "platform/logon_domain.h"
#include "platform/native_wifi.h"
#include "platform/power_events.h"
#include "platform/process.h"
#include "platform/registry.h"
#include "platform/service_control.h"
#include "platform/shell.h"
#include "platform/supplicant.h"
#include "platform/system_info.h"
#include "platform/wmi.h"

namespace platform {

class Services {
 public:
  virtual ~Services() = default;
  virtual RegistryPort& Registry() = 0;
  // The 802.1X/WPA supplicant library, loaded once into the process.
  virtual SupplicantPort& Supplicant() = 0;
  virtual CertificateStorePort& Certificates() = 0;
  virtual IpHelperPort& IpHelper() = 0;
  virtual SystemInfoPort& SystemInfo() = 0;
  virtual FilesPort& Files() = 0;
  virtual ClockPort& Clock() = 0;
  virtual DevicePort& Devices() = 0;
  virtual EventsPort& Events() = 0;
  virtual ServiceControlPort& ServiceControl() = 0;
  virtual ProcessPort& Process() = 0;
  virtual WmiPort& Wmi() = 0;
  virtual IpForwardTablePort& IpForwardTable() = 0;
  virtual NativeWifiPort& NativeWifi() = 0;
  virtual ShellPort& Shell() = 0;
  virtual LogonDomainPort& LogonDomain() = 0;
  // Suspend and resume, as the system broadcasts them to programs.
  virtual PowerEventsPort& PowerEvents() = 0;
  // The program that keeps a joined link after the command that made it has ended.
  virtual LinkHolderPort& LinkHolder() = 0;
};

// The machine of this process: the one RADIODESK_MACHINE names, else the default machine.
// Chosen on first use and shared by every caller in the process.
Services& Current();

}  // namespace platform
