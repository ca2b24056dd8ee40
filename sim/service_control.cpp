#include "sim/service_control.h"

#include <cstdio>
#include <limits>

#include "platform/win_errors.h"
#include "sim/registry_hive.h"

namespace sim {
namespace {

using platform::kServiceRunning;
using platform::kServiceStartPending;
using platform::kServiceStopped;
using platform::kServiceStopPending;

constexpr uint32_t kServiceWin32OwnProcess = 0x10;
constexpr uint32_t kServiceWin32ShareProcess = 0x20;
constexpr uint32_t kServiceAcceptStop = 0x1;
// A transition that never ends.
constexpr uint64_t kNever = std::numeric_limits<uint64_t>::max();

std::string Hex(uint32_t number) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%X", number);
  return text;
}

uint64_t DueAfter(uint64_t nowMs, uint32_t delayMs, ServiceFault fault) {
  return fault == ServiceFault::kHang ? kNever : nowMs + delayMs;
}

}  // namespace

SimServiceControl::SimServiceControl(ServiceStateStore& store, platform::ClockPort& clock)
    : store_(store), clock_(clock) {}

void SimServiceControl::Log(std::string line) {
  calls_.Add(std::move(line));
}

bool SimServiceControl::Fail(const std::string& call, long error) {
  Log(call + " -> error " + std::to_string(error));
  platform::SetLastError(error);
  return false;
}

std::vector<std::string> SimServiceControl::Calls() const {
  return calls_.All();
}

size_t SimServiceControl::OpenHandles() const {
  std::lock_guard lock(mutex_);
  return handles_.size();
}

bool SimServiceControl::Lookup(platform::ScHandle handle, Handle& found, bool wantService) {
  std::lock_guard lock(mutex_);
  auto it = handles_.find(handle);
  if (it == handles_.end() || it->second.manager == wantService) return false;
  found = it->second;
  return true;
}

platform::ScHandle SimServiceControl::OpenScManager(uint32_t access) {
  std::lock_guard lock(mutex_);
  const platform::ScHandle handle = nextHandle_++;
  handles_[handle] = Handle{true, {}, access};
  calls_.Add("OpenSCManager " + Hex(access));
  return handle;
}

platform::ScHandle SimServiceControl::OpenService(platform::ScHandle manager,
                                                  std::string_view serviceName, uint32_t access) {
  const std::string call = "OpenService " + std::string(serviceName) + " " + Hex(access);
  Handle managerHandle;
  if (!Lookup(manager, managerHandle, false)) {
    Fail(call, platform::kErrorInvalidHandle);
    return 0;
  }
  if (!RegistryNamesEqual(serviceName, kZeroConfigService)) {
    Fail(call, platform::kErrorServiceDoesNotExist);
    return 0;
  }
  ServiceRecord record;
  if (long error = store_.ReadService(kZeroConfigService, record)) {
    Fail(call, error);
    return 0;
  }
  if (record.fault == ServiceFault::kMissing) {
    Fail(call, platform::kErrorServiceDoesNotExist);
    return 0;
  }
  if (record.fault == ServiceFault::kRefuse) {
    Fail(call, platform::kErrorAccessDenied);
    return 0;
  }
  std::lock_guard lock(mutex_);
  const platform::ScHandle handle = nextHandle_++;
  handles_[handle] = Handle{false, kZeroConfigService, access};
  calls_.Add(call);
  return handle;
}

platform::ServiceStatus SimServiceControl::StatusOf(const ServiceRecord& record) const {
  platform::ServiceStatus status;
  status.serviceType = kServiceWin32ShareProcess | kServiceWin32OwnProcess;
  status.currentState = record.state;
  status.controlsAccepted = record.state == kServiceRunning ? kServiceAcceptStop : 0;
  if (record.state == kServiceStartPending || record.state == kServiceStopPending) {
    const uint64_t now = clock_.NowMs();
    status.waitHint = record.dueMs == kNever || record.dueMs < now
                          ? 0
                          : static_cast<uint32_t>(record.dueMs - now);
  }
  return status;
}

bool SimServiceControl::QueryServiceStatus(platform::ScHandle service,
                                           platform::ServiceStatus* status) {
  Handle handle;
  if (!Lookup(service, handle, true)) {
    return Fail("QueryServiceStatus", platform::kErrorInvalidHandle);
  }
  const std::string call = "QueryServiceStatus " + handle.service;
  if ((handle.access & platform::kServiceQueryStatus) == 0) {
    return Fail(call, platform::kErrorAccessDenied);
  }
  if (status == nullptr) return Fail(call, platform::kErrorInvalidParameter);
  ServiceRecord record;
  if (long error = Settle(handle.service, record)) return Fail(call, error);
  *status = StatusOf(record);
  Log(call + " " + std::to_string(record.state));
  return true;
}

bool SimServiceControl::StartService(platform::ScHandle service) {
  Handle handle;
  if (!Lookup(service, handle, true)) return Fail("StartService", platform::kErrorInvalidHandle);
  const std::string call = "StartService " + handle.service;
  if ((handle.access & platform::kServiceStart) == 0) {
    return Fail(call, platform::kErrorAccessDenied);
  }
  long refused = 0;
  const uint64_t now = clock_.NowMs();
  long error = store_.ChangeService(handle.service, [&](ServiceRecord& record) {
    record = SettledAt(record, now);
    if (record.state == kServiceStopPending) {
      refused = platform::kErrorServiceCannotAcceptControl;
    } else if (record.state != kServiceStopped) {
      refused = platform::kErrorServiceAlreadyRunning;
    } else {
      record.state = kServiceStartPending;
      record.target = kServiceRunning;
      record.dueMs = DueAfter(now, record.startMs, record.fault);
    }
  });
  if (error == 0) error = refused;
  if (error != 0) return Fail(call, error);
  Log(call);
  return true;
}

bool SimServiceControl::ControlService(platform::ScHandle service, uint32_t control,
                                       platform::ServiceStatus* status) {
  Handle handle;
  if (!Lookup(service, handle, true)) {
    return Fail("ControlService", platform::kErrorInvalidHandle);
  }
  const std::string call = "ControlService " + handle.service + " " + std::to_string(control);
  if (control != platform::kServiceControlStop) {
    return Fail(call, platform::kErrorInvalidParameter);
  }
  if ((handle.access & platform::kServiceStop) == 0) {
    return Fail(call, platform::kErrorAccessDenied);
  }
  long refused = 0;
  ServiceRecord after;
  const uint64_t now = clock_.NowMs();
  long error = store_.ChangeService(handle.service, [&](ServiceRecord& record) {
    record = SettledAt(record, now);
    if (record.state == kServiceStopped) {
      refused = platform::kErrorServiceNotActive;
    } else if (record.state != kServiceRunning) {
      refused = platform::kErrorServiceCannotAcceptControl;
    } else {
      record.state = kServiceStopPending;
      record.target = kServiceStopped;
      record.dueMs = DueAfter(now, record.stopMs, record.fault);
    }
    after = record;
  });
  if (error == 0) error = refused;
  if (error != 0) return Fail(call, error);
  if (status != nullptr) *status = StatusOf(after);
  Log(call);
  return true;
}

bool SimServiceControl::CloseServiceHandle(platform::ScHandle handle) {
  std::lock_guard lock(mutex_);
  auto it = handles_.find(handle);
  if (it == handles_.end()) {
    calls_.Add("CloseServiceHandle -> error " + std::to_string(platform::kErrorInvalidHandle));
    platform::SetLastError(platform::kErrorInvalidHandle);
    return false;
  }
  calls_.Add("CloseServiceHandle " +
             (it->second.manager ? std::string("SCManager") : it->second.service));
  handles_.erase(it);
  return true;
}

bool SimServiceControl::Read(std::string_view serviceName, ServiceRecord& record) {
  return Settle(serviceName, record) == 0;
}

long SimServiceControl::Settle(std::string_view serviceName, ServiceRecord& record) {
  // A transition that has ended is written down as ended, so that the state no longer depends on
  // the clock of whoever looks next: in virtual time every process has a clock of its own.
  if (long error = store_.ReadService(serviceName, record)) return error;
  const uint64_t now = clock_.NowMs();
  if (SettledAt(record, now) == record) return 0;
  return store_.ChangeService(serviceName, [&](ServiceRecord& stored) {
    stored = SettledAt(stored, now);
    record = stored;
  });
}

long SimServiceControl::Change(std::string_view serviceName,
                               const std::function<void(ServiceRecord&)>& change) {
  const uint64_t now = clock_.NowMs();
  return store_.ChangeService(serviceName, [&](ServiceRecord& record) {
    record = SettledAt(record, now);
    change(record);
  });
}

}  // namespace sim
