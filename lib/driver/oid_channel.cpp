#include "lib/driver/oid_channel.h"

#include "lib/common/adapter_device.h"
#include "lib/driver/lib_state.h"

namespace vtr {
namespace {

int SendRequest(uint32_t oid, void* buffer, uint32_t length, uint32_t* returned) {
  return AdapterDeviceRequest(AdapterName(), oid, buffer, length, returned) ? 1 : 0;
}

}  // namespace

int QueryOid(uint32_t oid, void* buffer, uint32_t length, uint32_t* returned) {
  return SendRequest(oid, buffer, length, returned);
}

int SetOid(uint32_t oid, void* buffer, uint32_t length, uint32_t* returned) {
  return SendRequest(oid | platform::kOidSetBit, buffer, length, returned);
}

}  // namespace vtr
