// The state of the machine's services that outlives a process: each service's state and any
// transition under way with the machine time it ends at, the faults `vtrctl sim` and tests put
// into the services, and the routes deleted from the forwarding table.
//
// It is kept in "services.reg" in the machine directory, in the registry-export text format and
// through the same store as the hive (RegistryFileStore): every change reads the file under an
// exclusive lock, changes a copy and puts a whole new file in place, so two processes never lose
// each other's changes and a crash leaves the old state or the new. The file is not part of the
// machine's registry; programs reach it only through the service ports. Keys sit under
// HKEY_LOCAL_MACHINE because the format needs a root:
//
//   [HKEY_LOCAL_MACHINE\ServiceControl\WZCSVC]   State, Target, DueMs, StartMs, StopMs, Fault
//   [HKEY_LOCAL_MACHINE\Wmi]                     ConnectResult, ExecMethodResult, ReturnValue
//   [HKEY_LOCAL_MACHINE\Kernel32]                IsWow64Process
//   [HKEY_LOCAL_MACHINE\IpForward\Deleted\<if>]  one value per deleted route
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "sim/registry_hive.h"

namespace sim {

class RegistryFileStore;

inline constexpr const char* kServicesStateFile = "services.reg";

// How a service misbehaves.
enum class ServiceFault {
  kNone,
  kHang,     // accepts start and stop but never leaves the pending state
  kRefuse,   // cannot be opened: access denied
  kMissing,  // is not installed
};

std::string_view ServiceFaultName(ServiceFault fault);
std::optional<ServiceFault> ParseServiceFault(std::string_view name);

struct ServiceRecord {
  uint32_t state = 4;   // SERVICE_RUNNING; a pending state while a transition is under way
  uint32_t target = 0;  // while pending: the state it reaches at dueMs
  uint64_t dueMs = 0;   // machine time
  uint32_t startMs = 1500;
  uint32_t stopMs = 1000;
  ServiceFault fault = ServiceFault::kNone;

  bool operator==(const ServiceRecord&) const = default;
};

// The record as it stands at machine time nowMs: a transition whose time has come is over.
ServiceRecord SettledAt(ServiceRecord record, uint64_t nowMs);

struct WmiFaults {
  int32_t connectResult = 0;            // a failure HRESULT ConnectServer answers with; 0 none
  int32_t execMethodResult = 0;         // a failure HRESULT ExecMethod answers with; 0 none
  std::optional<uint32_t> returnValue;  // every method reports this instead of its own result

  bool operator==(const WmiFaults&) const = default;
};

enum class Wow64Answer { kNative, kWow64, kAbsent };

class ServiceStateStore {
 public:
  explicit ServiceStateStore(const std::filesystem::path& machineDirectory);

  // Each Read answers the error that kept the file from being read, or 0.
  long ReadService(std::string_view name, ServiceRecord& record);
  long ChangeService(std::string_view name, const std::function<void(ServiceRecord&)>& change);

  long ReadWmiFaults(WmiFaults& faults);
  long ChangeWmiFaults(const std::function<void(WmiFaults&)>& change);

  long ReadWow64(Wow64Answer& answer);
  long SetWow64(Wow64Answer answer);

  // Deleted routes, by interface index: each remembers the interface configuration it was
  // deleted under, so a new configuration brings the route back.
  long ReadDeletedRoutes(uint32_t ifIndex, std::vector<std::pair<std::string, std::string>>& rows);
  long AddDeletedRoute(uint32_t ifIndex, const std::string& route,
                       const std::string& configuration);

  // Forgets every change: services as a new machine has them, no faults, no deleted routes.
  long Reset();

 private:
  std::shared_ptr<RegistryFileStore> store_;
};

}  // namespace sim
