// The Wi-Fi Protected Setup exports of the driver build.
#include <cstring>

#include "lib/common/export_boundary.h"
#include "lib/common/wps_engine.h"
#include "lib/common/wps_pin.h"
#include "lib/driver/lib_state.h"
#include "lib/driver/wps_driver_requests.h"
#include "platform/services.h"
#include "vtrlib.h"

namespace {

vtr::wps::Engine& TheEngine() {
  // The machine's services are made first, so they outlive the engine, whose end joins a thread
  // that may still be using them.
  [[maybe_unused]] static platform::Services& services = platform::Current();
  static vtr::OidWpsRequests requests;
  static vtr::wps::Engine engine(requests);
  return engine;
}

void ClearWpsFlags() {
  auto& state = vtr::LibState();
  state.wpsBusy = false;
  state.wpsCredentialReceived = false;
}

}  // namespace

int32_t VTR_WPSInitialize(void) try { return 1; } catch (...) {
  return vtr::ExceptionAtBoundary(__func__, int32_t{-1});
}

int32_t VTR_WPSUninitialize(void) try {
  TheEngine().Stop();
  ClearWpsFlags();
  return 1;
} catch (...) {
  return vtr::ExceptionAtBoundary(__func__, int32_t{-1});
}

int32_t VTR_WPSStartEngine(WpsRequest request, VtrWpsCallback callback, uintptr_t context) try {
  auto& state = vtr::LibState();
  state.wpsCredentialReceived = false;
  state.wpsBusy = true;
  if (!TheEngine().Start(request, callback, context)) {
    state.wpsBusy = false;
    return 0;
  }
  return 1;
} catch (...) {
  return vtr::ExceptionAtBoundary(__func__, int32_t{-1});
}

int32_t VTR_WPSStopEngine(void) try {
  TheEngine().Stop();
  // A stopped run no longer holds the supplicant back.
  vtr::LibState().wpsBusy = false;
  return 1;
} catch (...) {
  return vtr::ExceptionAtBoundary(__func__, int32_t{-1});
}

int32_t VTR_WPSGetProfile(ProfileRecord* record) try {
  if (record == nullptr) return 0;
  *record = TheEngine().Profile();
  record->htEnabled = 1;
  return 1;
} catch (...) {
  return vtr::ExceptionAtBoundary(__func__, int32_t{-1});
}

int32_t VTR_WPSGeneratePin(char* text) try {
  if (text == nullptr) return 0;
  char pin[9];
  vtr::wps::NewPin(pin);
  std::memcpy(text, pin, sizeof pin);
  return 1;
} catch (...) {
  return vtr::ExceptionAtBoundary(__func__, int32_t{-1});
}
