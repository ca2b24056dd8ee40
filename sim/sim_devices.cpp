#include "sim/sim_devices.h"

#include "platform/win_errors.h"

namespace sim {

long SimDevices::OpenDevice(std::string_view, platform::DeviceHandle& handle) {
  handle = 0;
  platform::SetLastError(platform::kErrorFileNotFound);
  return platform::kErrorFileNotFound;
}

bool SimDevices::DeviceIoControl(platform::DeviceHandle, uint32_t, const void*, uint32_t, void*,
                                 uint32_t, uint32_t*) {
  platform::SetLastError(platform::kErrorInvalidHandle);
  return false;
}

void SimDevices::CloseHandle(platform::DeviceHandle) {}

}  // namespace sim
