#include "lib/driver/wps_driver_requests.h"

#include "lib/common/diagnostic_log.h"
#include "lib/driver/lib_state.h"
#include "lib/driver/oid_channel.h"
#include "lib/driver/supplicant_binding.h"
#include "vtrlib.h"

namespace vtr {
namespace {

using namespace platform;

uint32_t OidOf(wps::DriverStep step) {
  switch (step) {
    case wps::DriverStep::kStart:
      return VendorSetNumber(kOidVendorWpsStart);
    case wps::DriverStep::kCredentialBuffer:
      return VendorSetNumber(kOidVendorWpsCredentials);
    case wps::DriverStep::kFirstValue:
      return VendorSetNumber(kOidVendorWpsFirstValue);
    case wps::DriverStep::kSecondValue:
      return VendorSetNumber(kOidVendorWpsSecondValue);
    case wps::DriverStep::kStatus:
      return kOidVendorWpsStatus;
    case wps::DriverStep::kCredentialTable:
      return kOidVendorWpsCredentials;
  }
  return 0;
}

void SetU32(uint32_t oid, uint32_t value) {
  SetOid(oid, &value, sizeof value, nullptr);
}

}  // namespace

bool OidWpsRequests::Set(wps::DriverStep step, void* data, uint32_t length) {
  return SetOid(OidOf(step), data, length, nullptr) != 0;
}

bool OidWpsRequests::Query(wps::DriverStep step, void* data, uint32_t length) {
  return QueryOid(OidOf(step), data, length, nullptr) != 0;
}

void OidWpsRequests::PrepareAdapter() {
  supplicant::StopPort();
  SetU32(kOid802_11AuthenticationMode, kAuthOpen);
  uint8_t nothing = 0;
  SetOid(kOid802_11Disassociate, &nothing, 0, nullptr);
  SetU32(VendorSetNumber(kOidVendorWpsControl), kWpsControlEnrollee);
}

void OidWpsRequests::Trace(const char* statusName) {
  WriteLogLine(statusName);
}

uint32_t OidWpsRequests::SurveyChannel() {
  uint32_t channel = 0;
  QueryOid(kOidVendorWpsChannel, &channel, sizeof channel, nullptr);
  return channel;
}

void OidWpsRequests::AfterSuccess() {
  LibState().wpsCredentialReceived = true;
  SetU32(kOidVendorWpsModeSet, 0);
}

void OidWpsRequests::AfterStop() {
  supplicant::StopPort();
  VTR_DisConnectToAP();
}

}  // namespace vtr
