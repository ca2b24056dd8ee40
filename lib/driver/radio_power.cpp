// Radio on and off, and the power settings around a system suspend.
#include "lib/common/export_boundary.h"
#include "lib/driver/lib_state.h"
#include "lib/driver/oid_channel.h"
#include "platform/services.h"
#include "vtrlib.h"

namespace {

// The driver's companion setting exists from NDIS 5.1 drivers on.
constexpr uint16_t kNdis51 = 0x0501;
// The radio needs a moment to come up before the next request.
constexpr uint32_t kRadioOnSettleMs = 500;

VtrBool SetPowerMode(uint32_t mode) {
  vtr::SetOid(platform::kOid802_11PowerMode, &mode, sizeof(mode), nullptr);
  if (vtr::LibState().ndisVersion < kNdis51) return 0;
  uint32_t companion = 0;
  vtr::SetOid(vtr::kOidVendorPowerSaveCompanionSet, &companion, sizeof(companion), nullptr);
  return 1;
}

}  // namespace

VtrBool VTR_GetRadioMode(uint32_t* mode) try {
  if (!vtr::IsSupportedOsClass(vtr::LibState().osClass)) return 0;
  uint32_t radio = 0;
  if (!vtr::QueryOid(vtr::kOidVendorRadio, &radio, sizeof(radio), nullptr)) {
    return 0;
  }
  if (mode != nullptr) *mode = radio != 0 ? 1 : 0;
  return 1;
} catch (...) {
  return vtr::ExceptionAtBoundary(__func__, false);
}

VtrBool VTR_SetRadioMode(uint32_t mode) try {
  if (mode == 0) VTR_DisConnectToAP();
  if (!vtr::IsSupportedOsClass(vtr::LibState().osClass)) return 0;
  uint32_t radio = mode == 1 ? 1 : 0;
  const int done = vtr::SetOid(vtr::kOidVendorRadioSet, &radio, sizeof(radio), nullptr);
  if (mode == 1) platform::Current().Clock().SleepMs(kRadioOnSettleMs);
  return done ? 1 : 0;
} catch (...) {
  return vtr::ExceptionAtBoundary(__func__, false);
}

VtrBool VTR_SetSuspendMode(void) try { return SetPowerMode(platform::kPowerMaxPsp); } catch (...) {
  return vtr::ExceptionAtBoundary(__func__, false);
}

VtrBool VTR_SetWakeUpMode(void) try { return SetPowerMode(platform::kPowerCam); } catch (...) {
  return vtr::ExceptionAtBoundary(__func__, false);
}
