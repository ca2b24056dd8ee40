// What the WLAN service makes of a readable profile: the network it is for (the strongest one of
// its name and kind heard now), whether the profile fits that network's security and carries a
// key or credentials the network takes, and the terms the adapter is then given.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/native_wifi.h"
#include "sim/adapter_state.h"
#include "sim/machine_description.h"
#include "sim/wlan_profile_reader.h"

namespace sim {

class SimCertificates;

// What a profile asks the adapter to do, once read: the driver settings of the network to join.
struct JoinTerms {
  std::vector<uint8_t> ssid;
  bool adhoc = false;
  uint32_t authenticationMode = 0;  // NDIS: 0 open, 1 shared, 4 WPA-PSK, 6 WPA2, 7 WPA2-PSK...
  uint32_t encryptionStatus = 1;    // NDIS: 0 WEP, 1 disabled, 4 TKIP, 6 AES
  std::vector<uint8_t> wepKey;      // with WEP
  uint32_t wepKeyIndex = 0;
  // WPA and WPA2: the station authenticated with the network; its keys are in place this long
  // after the join starts.
  std::optional<uint64_t> rsnKeysAfterMs;
  std::string profileName;
  uint32_t connectionMode = platform::kWlanConnectionModeTemporaryProfile;
};

// The strongest network of the profile's name and kind the radio hears now, strongly enough to
// join; a hidden one only when the profile says to probe for it.
std::optional<NetworkDescription> ProfileNetwork(const WlanProfile& profile,
                                                 const AdapterDescription& adapter,
                                                 const AdapterState& state,
                                                 const MachineDescription& machine);

// The terms to join by, or nothing when the profile does not fit the network. An ad hoc profile
// without a network heard starts its own. Open and WEP networks are left to 802.11's own rules
// (a WEP access point refuses an authentication it does not offer; open system with a wrong key
// associates), the WPA modes are settled here as the supplicant would: the version and cipher
// must be the network's, and the pre-shared key, the user's logon (PEAP) or certificate (TLS)
// must be accepted.
std::optional<JoinTerms> TermsOfProfile(const WlanProfile& profile,
                                        const std::optional<NetworkDescription>& network,
                                        const MachineDescription& machine,
                                        SimCertificates& certificates);

}  // namespace sim
