// The WLAN profile reader over any bytes: it stays inside them, and a profile it reads holds what
// the service relies on (a name, a 1-32 byte SSID, a key for WEP and the pre-shared key modes, a
// key slot of four). The UTF-8 to UTF-16 conversion of the same bytes always gives text that
// converts back.
#include <cstddef>
#include <cstdint>
#include <string>
#include <variant>

#include "sim/wlan_profile_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const char* text = reinterpret_cast<const char*>(data);
  const auto read = sim::ReadWlanProfile(text, size);
  if (const auto* profile = std::get_if<sim::WlanProfile>(&read)) {
    const bool wep = profile->encryption == sim::ProfileEncryption::kWep;
    const bool psk = profile->authentication == sim::ProfileAuthentication::kWpaPsk ||
                     profile->authentication == sim::ProfileAuthentication::kWpa2Psk;
    if (profile->name.empty() || profile->ssid.empty() || profile->ssid.size() > 32 ||
        profile->keyIndex > 3 || ((wep || psk) && !profile->sharedKey) ||
        (profile->useOneX && !profile->eapType)) {
      __builtin_trap();
    }
  } else if (std::get<sim::ProfileFault>(read).reasonCode == 0) {
    __builtin_trap();
  }
  if (!sim::Utf16ToUtf8(sim::Utf8ToUtf16(std::string(text, size)))) __builtin_trap();
  return 0;
}
