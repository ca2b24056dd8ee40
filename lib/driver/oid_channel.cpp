#include "lib/driver/oid_channel.h"

#include <string>

#include "lib/driver/lib_state.h"
#include "platform/services.h"

namespace vtr {
namespace {

int SendRequest(uint32_t oid, void* buffer, uint32_t length, uint32_t* returned) {
  auto& devices = platform::Current().Devices();
  platform::DeviceHandle handle = 0;
  if (devices.OpenDevice("\\\\.\\" + AdapterName(), handle) != 0) return 0;
  uint32_t ignored = 0;
  uint32_t* count = returned != nullptr ? returned : &ignored;
  *count = 0;
  const bool done = devices.DeviceIoControl(handle, platform::kIoctlNdisQueryGlobalStats, &oid,
                                            sizeof(oid), buffer, length, count);
  devices.CloseHandle(handle);
  return done ? 1 : 0;
}

}  // namespace

int QueryOid(uint32_t oid, void* buffer, uint32_t length, uint32_t* returned) {
  return SendRequest(oid, buffer, length, returned);
}

int SetOid(uint32_t oid, void* buffer, uint32_t length, uint32_t* returned) {
  return SendRequest(oid | platform::kOidSetBit, buffer, length, returned);
}

}  // namespace vtr
