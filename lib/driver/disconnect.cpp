// Leaving a network: disassociate, then park the adapter on a name no network carries, so the
// driver does not roam to some network on its own.
#include "lib/common/export_boundary.h"
#include "lib/driver/oid_channel.h"
#include "vtrlib.h"

VtrBool VTR_DisConnectToAP(void) try {
  uint8_t nothing = 0;
  if (!vtr::SetOid(platform::kOid802_11Disassociate, &nothing, 0, nullptr)) {
    return 0;
  }
  platform::Ndis80211Ssid parking{};
  parking.ssidLength = 4;
  parking.ssid[0] = 0xFF;
  parking.ssid[1] = 0xBA;
  parking.ssid[2] = 0xBE;
  parking.ssid[3] = 0xFF;
  vtr::SetOid(platform::kOid802_11Ssid, &parking, sizeof(parking), nullptr);
  return 1;
} catch (...) {
  return vtr::ExceptionAtBoundary(__func__, false);
}
