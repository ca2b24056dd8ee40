// Device objects of the machine. A machine without an adapter driver has none to open.
#pragma once

#include "platform/device_io.h"

namespace sim {

class SimDevices : public platform::DevicePort {
 public:
  long OpenDevice(std::string_view path, platform::DeviceHandle& handle) override;
  bool DeviceIoControl(platform::DeviceHandle handle, uint32_t code, const void* in,
                       uint32_t inLength, void* out, uint32_t outLength,
                       uint32_t* returned) override;
  void CloseHandle(platform::DeviceHandle handle) override;
};

}  // namespace sim
