// Who manages the adapter: Windows' zero-configuration service ("WZCSVC") or this library. The
// service's state comes from the service controller; whether the service manages this adapter is
// bit 15 of the interface's "ControlFlags" value.
#include <cstdint>
#include <string>

#include "lib/common/export_boundary.h"
#include "lib/common/zero_config_build.h"
#include "platform/services.h"
#include "vtrlib.h"

namespace {

using platform::ScHandle;

constexpr const char* kServiceName = "WZCSVC";
constexpr const char* kInterfacesKey = "Software\\Microsoft\\WZCSVC\\Parameters\\Interfaces\\";
constexpr const char* kControlFlags = "ControlFlags";
constexpr uint32_t kManagedByWindows = 0x8000;
// Query status, start and stop: 52.
constexpr uint32_t kServiceRights =
    platform::kServiceQueryStatus | platform::kServiceStart | platform::kServiceStop;
// One budget for a whole start, stop or hand-over, and how often the state is looked at.
constexpr uint64_t kBudgetMs = 30000;
constexpr uint32_t kPollMs = 200;

// The manager and the service, closed on every way out.
class ServiceHandles {
 public:
  explicit ServiceHandles(uint32_t serviceRights) : scm_(platform::Current().ServiceControl()) {
    manager_ = scm_.OpenScManager(platform::kScManagerConnect);
    if (manager_ != 0) service_ = scm_.OpenService(manager_, kServiceName, serviceRights);
  }
  ~ServiceHandles() {
    if (service_ != 0) scm_.CloseServiceHandle(service_);
    if (manager_ != 0) scm_.CloseServiceHandle(manager_);
  }
  ServiceHandles(const ServiceHandles&) = delete;
  ServiceHandles& operator=(const ServiceHandles&) = delete;

  bool Opened() const { return service_ != 0; }
  // The service's state, or 0 when it cannot be queried.
  uint32_t State() {
    platform::ServiceStatus status;
    return scm_.QueryServiceStatus(service_, &status) ? status.currentState : 0;
  }
  void Start() { scm_.StartService(service_); }
  void Stop() {
    platform::ServiceStatus status;
    scm_.ControlService(service_, platform::kServiceControlStop, &status);
  }
  // Looks at the state every 200 ms until it is wanted or the budget counted from startMs is
  // spent; a service that never gets there costs the whole budget, not more.
  void WaitFor(uint32_t wanted, uint64_t startMs) {
    auto& clock = platform::Current().Clock();
    while (State() != wanted && clock.NowMs() - startMs < kBudgetMs) clock.SleepMs(kPollMs);
  }

 private:
  platform::ServiceControlPort& scm_;
  ScHandle manager_ = 0;
  ScHandle service_ = 0;
};

// A 32-bit process on 64-bit Windows must reach the 64-bit registry view, where the service
// keeps its settings. Before XP SP2 kernel32 has no IsWow64Process; such a system is 32-bit.
uint32_t RegistryViewFlag() {
  auto& process = platform::Current().Process();
  bool wow64 = false;
  if (!process.HasIsWow64Process() || !process.IsWow64Process(&wow64)) return 0;
  return wow64 ? 1 : 0;
}

std::string InterfaceKey() {
  return std::string(kInterfacesKey) + vtr::ThisBuildZeroConfig().adapterName();
}

}  // namespace

VtrBool VTR_IsZeroConfigServiceON(void) try {
  ServiceHandles handles(platform::kServiceQueryStatus);
  return handles.Opened() && handles.State() == platform::kServiceRunning;
} catch (...) {
  return vtr::ExceptionAtBoundary(__func__, false);
}

VtrBool VTR_EnableZeroConfigService(uint32_t mode) try {
  const uint32_t wanted = mode == 1 ? platform::kServiceRunning : platform::kServiceStopped;
  ServiceHandles handles(kServiceRights);
  if (!handles.Opened() || handles.State() == wanted) return 0;
  if (mode == 1) {
    handles.Start();
  } else {
    handles.Stop();
  }
  handles.WaitFor(wanted, platform::Current().Clock().NowMs());
  return 1;
} catch (...) {
  return vtr::ExceptionAtBoundary(__func__, false);
}

VtrBool VTR_IsZeroConfigON(void) try {
  if (!VTR_IsZeroConfigServiceON()) return 0;
  uint32_t flags = 0;
  // A service that runs without a setting for this adapter manages it.
  if (!VTR_GetRegistryDWORD(InterfaceKey().c_str(), kControlFlags, &flags, 0,
                            VTR_HKEY_LOCAL_MACHINE, RegistryViewFlag())) {
    return 1;
  }
  return (flags & kManagedByWindows) != 0;
} catch (...) {
  return vtr::ExceptionAtBoundary(__func__, false);
}

VtrBool VTR_EnableZeroConfig(uint32_t enable) try {
  const vtr::ZeroConfigBuild& build = vtr::ThisBuildZeroConfig();
  const bool handOver = enable == 1;
  ServiceHandles handles(kServiceRights);
  if (!handles.Opened()) return 0;
  const uint64_t startMs = platform::Current().Clock().NowMs();

  // The service reads the flags only when it starts, so it must be stopped while they change.
  if (handles.State() == platform::kServiceRunning) handles.Stop();
  handles.WaitFor(platform::kServiceStopped, startMs);

  const std::string key = InterfaceKey();
  const uint32_t view = RegistryViewFlag();
  uint32_t flags = 0;
  VtrBool written = 0;
  if (VTR_GetRegistryDWORD(key.c_str(), kControlFlags, &flags, 0, VTR_HKEY_LOCAL_MACHINE, view)) {
    flags = handOver ? flags | kManagedByWindows : flags & ~kManagedByWindows;
    const bool hasSupplicant = build.supplicantPortAttached != nullptr;
    if (hasSupplicant && handOver && build.supplicantPortAttached()) {
      build.stopAndDetachSupplicant();
    } else if (hasSupplicant && !handOver && !build.supplicantPortAttached()) {
      build.bringUpSupplicant();
    }
    written = VTR_SetRegistryDWORD(key.c_str(), kControlFlags, flags, VTR_HKEY_LOCAL_MACHINE, view);
  }

  if (handOver || build.restartWhenTakingBack) {
    handles.Start();
    handles.WaitFor(platform::kServiceRunning, startMs);
  }
  return written;
} catch (...) {
  return vtr::ExceptionAtBoundary(__func__, false);
}

VtrBool VTR_SetZeroConfigControlMode(uint32_t /*mode*/) try {
  const vtr::ZeroConfigBuild& build = vtr::ThisBuildZeroConfig();
  if (build.showWirelessNetworksFolder != nullptr) build.showWirelessNetworksFolder();
  return 1;
} catch (...) {
  return vtr::ExceptionAtBoundary(__func__, false);
}
