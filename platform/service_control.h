// The service control manager, as OpenSCManager, OpenService, QueryServiceStatus, StartService,
// ControlService and CloseServiceHandle offer it. Failures answer 0 or false and set the last
// error (platform::GetLastError), as the Windows calls do.
#pragma once

#include <cstdint>
#include <string_view>

namespace platform {

inline constexpr uint32_t kServiceStopped = 1;
inline constexpr uint32_t kServiceStartPending = 2;
inline constexpr uint32_t kServiceStopPending = 3;
inline constexpr uint32_t kServiceRunning = 4;

inline constexpr uint32_t kScManagerConnect = 0x0001;
inline constexpr uint32_t kServiceQueryStatus = 0x0004;
inline constexpr uint32_t kServiceStart = 0x0010;
inline constexpr uint32_t kServiceStop = 0x0020;

inline constexpr uint32_t kServiceControlStop = 1;

inline constexpr long kErrorServiceRequestTimeout = 1053;
inline constexpr long kErrorServiceAlreadyRunning = 1056;
inline constexpr long kErrorServiceDoesNotExist = 1060;
inline constexpr long kErrorServiceCannotAcceptControl = 1061;
inline constexpr long kErrorServiceNotActive = 1062;

// SC_HANDLE; 0 is no handle.
using ScHandle = uintptr_t;

// SERVICE_STATUS.
struct ServiceStatus {
  uint32_t serviceType = 0;
  uint32_t currentState = 0;
  uint32_t controlsAccepted = 0;
  uint32_t win32ExitCode = 0;
  uint32_t serviceSpecificExitCode = 0;
  uint32_t checkPoint = 0;
  uint32_t waitHint = 0;
};
static_assert(sizeof(ServiceStatus) == 28);

class ServiceControlPort {
 public:
  virtual ~ServiceControlPort() = default;
  // The local machine's service control manager, its active database.
  virtual ScHandle OpenScManager(uint32_t access) = 0;
  // Service names compare without regard to case.
  virtual ScHandle OpenService(ScHandle manager, std::string_view serviceName, uint32_t access) = 0;
  virtual bool QueryServiceStatus(ScHandle service, ServiceStatus* status) = 0;
  // StartService without arguments. The service is start-pending when it returns.
  virtual bool StartService(ScHandle service) = 0;
  // The status after the control was accepted is written to status.
  virtual bool ControlService(ScHandle service, uint32_t control, ServiceStatus* status) = 0;
  virtual bool CloseServiceHandle(ScHandle handle) = 0;
};

}  // namespace platform
