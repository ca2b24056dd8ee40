// Wi-Fi Protected Setup in the Native Wi-Fi build: the shared engine over the chipset's own
// requests (vista_wps_requests.h).
#include <cstring>

#include "lib/common/wps_pin.h"
#include "lib/nativewifi/chipset_vista_lib.h"

namespace vtr {

int32_t CChipsetVistaLib::WPSInitialize() {
  // A run left from before is ended without the stop's pause and disconnect.
  wpsEngine_.End();
  return 1;
}

int32_t CChipsetVistaLib::WPSUninitialize() {
  wpsEngine_.Stop();
  return 1;
}

int32_t CChipsetVistaLib::WPSStartEngine(const WpsRequest& request, VtrWpsCallback callback,
                                         uintptr_t context) {
  {
    std::lock_guard lock(wpsMutex_);
    wpsRequest_ = request;
  }
  return wpsEngine_.Start(request, callback, context) ? 1 : 0;
}

int32_t CChipsetVistaLib::WPSStopEngine() {
  wpsEngine_.Stop();
  return 1;
}

int32_t CChipsetVistaLib::WPSGetProfile(ProfileRecord* record) {
  if (record == nullptr) return 0;
  *record = wpsEngine_.Profile();
  return 1;
}

int32_t CChipsetVistaLib::WPSGeneratePin(char* text) {
  if (text == nullptr) return 0;
  char pin[9];
  wps::NewPin(pin);
  std::memcpy(text, pin, sizeof pin);
  return 1;
}

}  // namespace vtr
