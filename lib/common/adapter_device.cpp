#include "lib/common/adapter_device.h"

#include "platform/device_io.h"
#include "platform/services.h"

namespace vtr {

bool AdapterDeviceRequest(const std::string& adapterName, uint32_t code, void* buffer,
                          uint32_t length, uint32_t* returned) {
  auto& devices = platform::Current().Devices();
  platform::DeviceHandle handle = 0;
  if (devices.OpenDevice("\\\\.\\" + adapterName, handle) != 0) return false;
  uint32_t ignored = 0;
  uint32_t* count = returned != nullptr ? returned : &ignored;
  *count = 0;
  const bool done = devices.DeviceIoControl(handle, platform::kIoctlNdisQueryGlobalStats, &code,
                                            sizeof(code), buffer, length, count);
  devices.CloseHandle(handle);
  return done;
}

}  // namespace vtr
