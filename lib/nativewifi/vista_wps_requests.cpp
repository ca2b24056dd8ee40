#include "lib/nativewifi/vista_wps_requests.h"

#include "lib/common/adapter_device.h"
#include "lib/nativewifi/protocol_channel.h"
#include "lib/nativewifi/vista_state.h"
#include "platform/ndis_802_11.h"
#include "platform/protocol_driver.h"
#include "platform/services.h"

namespace vtr {
namespace {

using namespace platform;

// The stopped engine's adapter is given a moment before it is taken off the network.
constexpr uint32_t kStopPauseMs = 1200;

uint32_t CodeOf(wps::DriverStep step) {
  switch (step) {
    case wps::DriverStep::kStart:
      return kRequestWpsStart;
    case wps::DriverStep::kCredentialBuffer:
      return kRequestWpsCredentialBuffer;
    case wps::DriverStep::kFirstValue:
      return kRequestWpsFirstValue;
    case wps::DriverStep::kSecondValue:
      return kRequestWpsSecondValue;
    case wps::DriverStep::kStatus:
      return kRequestWpsStatus;
    case wps::DriverStep::kCredentialTable:
      return kRequestWpsCredentialTable;
  }
  return 0;
}

}  // namespace

VistaWpsRequests::VistaWpsRequests(CBaseVistaLib& backend,
                                   const std::atomic<DeviceHandle>& driverHandle)
    : backend_(backend), driverHandle_(driverHandle) {}

bool VistaWpsRequests::Set(wps::DriverStep step, void* data, uint32_t length) {
  // The set codes carry the set bit already, as the device request wants it.
  return AdapterDeviceRequest(VistaAdapter().name, CodeOf(step) | kOidSetBit, data, length,
                              nullptr);
}

bool VistaWpsRequests::Query(wps::DriverStep step, void* data, uint32_t length) {
  return ProtocolQuery(driverHandle_.load(), CodeOf(step), data, length);
}

void VistaWpsRequests::PrepareAdapter() {
  backend_.DisConnectToAP();
}

void VistaWpsRequests::AfterStop() {
  Current().Clock().SleepMs(kStopPauseMs);
  backend_.DisConnectToAP();
}

}  // namespace vtr
