// One simulated machine: its description and the ports it offers to the programs.
#pragma once

#include <filesystem>
#include <memory>

#include "platform/services.h"
#include "sim/ip_forward_table.h"
#include "sim/link_holder.h"
#include "sim/logon_domain.h"
#include "sim/machine_description.h"
#include "sim/native_wifi_service.h"
#include "sim/power_events.h"
#include "sim/service_control.h"
#include "sim/service_process.h"
#include "sim/service_state.h"
#include "sim/sim_certificates.h"
#include "sim/sim_devices.h"
#include "sim/sim_events.h"
#include "sim/sim_files.h"
#include "sim/sim_ip_helper.h"
#include "sim/sim_registry.h"
#include "sim/sim_shell.h"
#include "sim/sim_system_info.h"
#include "sim/supplicant.h"
#include "sim/timer_clock.h"
#include "sim/wmi_service.h"

namespace sim {

class SimMachine : public platform::Services {
 public:
  // In virtual time the calendar starts at a fixed date, so tests see the same dates each run.
  SimMachine(std::filesystem::path directory, MachineDescription description, bool virtualTime);

  platform::RegistryPort& Registry() override { return registry_; }
  platform::SupplicantPort& Supplicant() override { return ProcessSupplicant(); }
  platform::CertificateStorePort& Certificates() override { return certificates_; }
  platform::IpHelperPort& IpHelper() override { return ipHelper_; }
  platform::SystemInfoPort& SystemInfo() override { return systemInfo_; }
  platform::FilesPort& Files() override { return files_; }
  platform::ClockPort& Clock() override { return *clock_; }
  platform::DevicePort& Devices() override { return devices_; }
  platform::EventsPort& Events() override { return events_; }
  platform::ServiceControlPort& ServiceControl() override { return serviceControl_; }
  platform::ProcessPort& Process() override { return process_; }
  platform::WmiPort& Wmi() override { return wmi_; }
  platform::IpForwardTablePort& IpForwardTable() override { return ipForwardTable_; }
  platform::NativeWifiPort& NativeWifi() override { return nativeWifi_; }
  platform::ShellPort& Shell() override { return shell_; }
  platform::LogonDomainPort& LogonDomain() override { return logonDomain_; }
  platform::PowerEventsPort& PowerEvents() override { return powerEvents_; }
  platform::LinkHolderPort& LinkHolder() override { return linkHolder_; }

  const std::filesystem::path& directory() const { return directory_; }
  const MachineDescription& description() const { return description_; }
  SimDevices& devices() { return devices_; }
  MiniportLog& MiniportRequests() { return devices_.Log(); }
  SimServiceControl& serviceControl() { return serviceControl_; }
  ServiceStateStore& serviceState() { return serviceState_; }
  SimWmi& wmi() { return wmi_; }
  SimIpForwardTable& ipForwardTable() { return ipForwardTable_; }
  SimNativeWifi& nativeWifi() { return nativeWifi_; }
  SimShell& shell() { return shell_; }
  TimerClock& timerClock() { return *clock_; }
  SimLogonDomain& logonDomain() { return logonDomain_; }

 private:
  const std::filesystem::path directory_;
  const MachineDescription description_;
  SimCertificates certificates_{description_, directory_ / "certificates"};
  SimRegistry registry_;
  SimSystemInfo systemInfo_;
  SimFiles files_;
  std::unique_ptr<TimerClock> clock_;
  SimDevices devices_;
  SimEvents events_;
  SimIpHelper ipHelper_;
  ServiceStateStore serviceState_;
  SimServiceControl serviceControl_;
  SimProcess process_;
  SimWmi wmi_;
  SimIpForwardTable ipForwardTable_;
  SimShell shell_;
  // After the ports its announcements reach, so that it stops before them.
  SimNativeWifi nativeWifi_;
  SimLogonDomain logonDomain_;
  SimPowerEvents powerEvents_;
  SimLinkHolder linkHolder_{directory_};
};

}  // namespace sim
