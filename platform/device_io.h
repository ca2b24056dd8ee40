// Device objects opened by path ("\\.\{GUID}") and driven with DeviceIoControl.
#pragma once

#include <cstdint>
#include <string_view>

namespace platform {

inline constexpr uint32_t kIoctlNdisQueryGlobalStats = 0x00170002;

using DeviceHandle = uint64_t;

class DevicePort {
 public:
  virtual ~DevicePort() = default;
  // CreateFileA(path, 0, share read|write, OPEN_EXISTING): 0 and a handle, or an error code.
  virtual long OpenDevice(std::string_view path, DeviceHandle& handle) = 0;
  // Synchronous DeviceIoControl; false with the last error set when the request fails.
  virtual bool DeviceIoControl(DeviceHandle handle, uint32_t code, const void* in,
                               uint32_t inLength, void* out, uint32_t outLength,
                               uint32_t* returned) = 0;
  virtual void CloseHandle(DeviceHandle handle) = 0;
};

}  // namespace platform
