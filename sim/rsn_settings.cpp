#include "sim/rsn_settings.h"

#include <cstring>

#include "platform/ndis_802_11.h"

namespace sim {

using namespace platform;

uint32_t RsnAuthenticationMode(NetworkSecurity security) {
  switch (security) {
    case NetworkSecurity::kWpaPsk:
      return kAuthWpaPsk;
    case NetworkSecurity::kWpa2Psk:
    case NetworkSecurity::kWpaWpa2Psk:
      return kAuthWpa2Psk;
    case NetworkSecurity::kWpa:
      return kAuthWpa;
    default:
      return kAuthWpa2;
  }
}

void SetDriverSecurity(AdapterState& state, uint32_t authenticationMode,
                       uint32_t encryptionStatus) {
  auto store = [&state](uint32_t oid, uint32_t value) {
    auto& setting = state.settings[oid];
    setting.resize(sizeof value);
    std::memcpy(setting.data(), &value, sizeof value);
  };
  store(kOid802_11AuthenticationMode, authenticationMode);
  store(kOid802_11EncryptionStatus, encryptionStatus);
}

void InstallRsnSettings(AdapterState& state, NetworkSecurity security, NetworkCiphers ciphers) {
  const uint32_t encryption = ciphers == NetworkCiphers::kTkip ? kTkipEnabled : kAesEnabled;
  SetDriverSecurity(state, RsnAuthenticationMode(security), encryption);
}

}  // namespace sim
