// The machine's service control manager. Services start and stop over machine time: a start
// leaves the service start-pending until its start time has passed on the machine's clock, a
// stop likewise. The state lives in the machine (ServiceStateStore), so a service started by one
// process is seen running by every other; handles belong to the process that opened them.
//
// Every call is logged in order, so a test can assert the sequence a caller made.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/service_control.h"
#include "sim/recent_log.h"
#include "sim/service_state.h"

namespace sim {

// The services this machine has; each starts running, as Windows starts them at boot.
inline constexpr const char* kZeroConfigService = "WZCSVC";

class SimServiceControl : public platform::ServiceControlPort {
 public:
  SimServiceControl(ServiceStateStore& store, platform::ClockPort& clock);

  platform::ScHandle OpenScManager(uint32_t access) override;
  platform::ScHandle OpenService(platform::ScHandle manager, std::string_view serviceName,
                                 uint32_t access) override;
  bool QueryServiceStatus(platform::ScHandle service, platform::ServiceStatus* status) override;
  bool StartService(platform::ScHandle service) override;
  bool ControlService(platform::ScHandle service, uint32_t control,
                      platform::ServiceStatus* status) override;
  bool CloseServiceHandle(platform::ScHandle handle) override;

  // The calls of this process, oldest first: "OpenSCManager 0x1", "OpenService WZCSVC 0x34",
  // "QueryServiceStatus WZCSVC 4", "StartService WZCSVC", "ControlService WZCSVC 1",
  // "CloseServiceHandle WZCSVC" (or "SCManager"); a failure ends in " -> error N".
  std::vector<std::string> Calls() const;
  // Handles opened and not yet closed.
  size_t OpenHandles() const;

  // The service's state now, for `vtrctl sim` and tests; false when the state cannot be read.
  bool Read(std::string_view serviceName, ServiceRecord& record);
  // Puts the service into a state, or gives it a fault or new delays.
  long Change(std::string_view serviceName, const std::function<void(ServiceRecord&)>& change);

 private:
  struct Handle {
    bool manager = false;
    std::string service;
    uint32_t access = 0;
  };

  bool Fail(const std::string& call, long error);
  void Log(std::string line);
  bool Lookup(platform::ScHandle handle, Handle& found, bool wantService);
  platform::ServiceStatus StatusOf(const ServiceRecord& record) const;
  // The service's record now, with a transition that has ended written down as ended.
  long Settle(std::string_view serviceName, ServiceRecord& record);

  ServiceStateStore& store_;
  platform::ClockPort& clock_;

  mutable std::mutex mutex_;
  std::map<platform::ScHandle, Handle> handles_;  // guarded by mutex_
  platform::ScHandle nextHandle_ = 0x1000;        // guarded by mutex_
  RecentLog<std::string> calls_;
};

}  // namespace sim
