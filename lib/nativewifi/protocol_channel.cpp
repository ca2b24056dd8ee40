#include "lib/nativewifi/protocol_channel.h"

#include <cstring>
#include <vector>

#include "platform/protocol_driver.h"
#include "platform/services.h"

namespace vtr {
namespace {

// The longest adapter name the open frame carries, in characters.
constexpr size_t kMaxDeviceNameLength = 255;

std::vector<uint8_t> Frame(uint32_t request, const void* data, uint32_t length) {
  platform::ProtocolFrameHeader header;
  header.request = request;
  if (length == sizeof(uint32_t) && data != nullptr) std::memcpy(&header.word, data, length);
  std::vector<uint8_t> frame(sizeof header + length, 0);
  std::memcpy(frame.data(), &header, sizeof header);
  if (data != nullptr && length > 0) std::memcpy(frame.data() + sizeof header, data, length);
  return frame;
}

}  // namespace

platform::DeviceHandle OpenProtocolDriver(const std::string& driverName,
                                          const std::string& adapterGuidText) {
  auto& devices = platform::Current().Devices();
  platform::DeviceHandle handle = 0;
  if (devices.OpenDevice("\\\\.\\" + driverName, handle) != 0) return kNoDriverHandle;
  uint32_t returned = 0;
  if (!devices.DeviceIoControl(handle, platform::kIoctlProtocolWaitBind, nullptr, 0, nullptr, 0,
                               &returned)) {
    devices.CloseHandle(handle);
    return kNoDriverHandle;
  }
  std::string name = "\\DEVICE\\" + adapterGuidText;
  if (name.size() > kMaxDeviceNameLength) name.resize(kMaxDeviceNameLength);
  std::vector<uint8_t> utf16;
  for (char c : name) {
    utf16.push_back(static_cast<uint8_t>(c));
    utf16.push_back(0);
  }
  if (!devices.DeviceIoControl(handle, platform::kIoctlProtocolOpenAdapter, utf16.data(),
                               static_cast<uint32_t>(utf16.size()), nullptr, 0, &returned)) {
    devices.CloseHandle(handle);
    return kNoDriverHandle;
  }
  return handle;
}

bool ProtocolQuery(platform::DeviceHandle handle, uint32_t request, void* data, uint32_t length) {
  if (handle == kNoDriverHandle) return false;
  std::vector<uint8_t> frame = Frame(request, nullptr, length);
  uint32_t returned = 0;
  const auto size = static_cast<uint32_t>(frame.size());
  if (!platform::Current().Devices().DeviceIoControl(handle, platform::kIoctlProtocolQuery,
                                                     frame.data(), size, frame.data(), size,
                                                     &returned)) {
    return false;
  }
  std::memcpy(data, frame.data() + sizeof(platform::ProtocolFrameHeader), length);
  return true;
}

bool ProtocolSet(platform::DeviceHandle handle, uint32_t request, const void* data,
                 uint32_t length) {
  if (handle == kNoDriverHandle) return false;
  std::vector<uint8_t> frame = Frame(request, data, length);
  uint32_t returned = 0;
  return platform::Current().Devices().DeviceIoControl(
      handle, platform::kIoctlProtocolSet, frame.data(), static_cast<uint32_t>(frame.size()),
      nullptr, 0, &returned);
}

}  // namespace vtr
