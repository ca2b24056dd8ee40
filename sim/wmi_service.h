// The machine's WMI: namespace root\cimv2 with the class Win32_NetworkAdapterConfiguration and
// the four methods that set an adapter's IPv4 configuration. An instance is named by its Index;
// on this machine that is the adapter's interface index, the number IP Helper lists it under
// and the one the adapter library passes.
//
// The methods change the adapter's TCP/IP settings in the registry
// (Tcpip\Parameters\Interfaces\{GUID}, see wmi_tcpip_values.h), each in one change of the hive,
// and answer Win32_NetworkAdapterConfiguration's return values: 0 done, 66 invalid subnet mask,
// 68 invalid input parameter, 69 more than five gateways, 70 invalid IP address, 71 invalid
// gateway address, 94 when the adapter's interface key is missing. Faults kept in the machine
// (ServiceStateStore) make ConnectServer or ExecMethod fail, or make every method report a
// chosen return value without changing anything.
//
// Every call is logged in order, with the in-parameters of each method.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/wmi.h"
#include "sim/machine_description.h"
#include "sim/recent_log.h"
#include "sim/service_state.h"

namespace sim {

class RegistryFileStore;

inline constexpr const char* kAdapterConfigurationClass = "Win32_NetworkAdapterConfiguration";

// Win32_NetworkAdapterConfiguration's return values.
inline constexpr uint32_t kWmiDone = 0;
inline constexpr uint32_t kWmiRebootRequired = 1;
inline constexpr uint32_t kWmiInvalidSubnetMask = 66;
inline constexpr uint32_t kWmiInvalidInput = 68;
inline constexpr uint32_t kWmiTooManyGateways = 69;
inline constexpr uint32_t kWmiInvalidAddress = 70;
inline constexpr uint32_t kWmiInvalidGateway = 71;
inline constexpr uint32_t kWmiObjectNotFound = 94;

struct WmiMethodCall {
  std::string objectPath;
  std::string method;
  std::optional<platform::WmiObject> inParameters;
  platform::HResult result = 0;
  std::optional<uint32_t> returnValue;
};

class SimWmi : public platform::WmiPort {
 public:
  SimWmi(const std::filesystem::path& hiveFile, const MachineDescription& machine,
         ServiceStateStore& store);

  platform::HResult ConnectServer(std::string_view nameSpace,
                                  std::unique_ptr<platform::WmiServices>& services) override;

  // "ConnectServer root\cimv2", "SetProxyBlanket 10 0 3 3", "GetObject <class>",
  // "ExecMethod <path> <method>", each failure followed by " -> 0x8004...".
  std::vector<std::string> Calls() const;
  std::vector<WmiMethodCall> MethodCalls() const;

  long ReadFaults(WmiFaults& faults) { return store_.ReadWmiFaults(faults); }
  long ChangeFaults(const std::function<void(WmiFaults&)>& change) {
    return store_.ChangeWmiFaults(change);
  }

  // What the services object of a connection calls.
  platform::HResult SetProxyBlanket(const platform::WmiProxySecurity& security);
  platform::HResult GetClass(std::string_view className, platform::WmiClass& wmiClass);
  platform::HResult ExecMethod(std::string_view objectPath, std::string_view method,
                               const platform::WmiObject* inParameters,
                               platform::WmiObject& outParameters);

 private:
  platform::HResult Log(std::string line, platform::HResult result);
  // Runs the method on the adapter's settings; the return value.
  uint32_t Run(const AdapterDescription& adapter, std::string_view method,
               const platform::WmiObject* inParameters, long& error);

  std::shared_ptr<RegistryFileStore> hive_;
  const MachineDescription& machine_;
  ServiceStateStore& store_;

  RecentLog<std::string> calls_;
  RecentLog<WmiMethodCall> methodCalls_;
};

// The class as GetObject gives it: its four methods and their in-parameters.
platform::WmiClass AdapterConfigurationClass();

}  // namespace sim
