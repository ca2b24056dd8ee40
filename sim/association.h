// Joining networks by the rules of 802.11, as the adapter's driver does once it is given an SSID:
// the network must be heard, strong enough, of the mode asked for (infrastructure or IBSS) and of
// the same privacy; a WEP access point authenticates open system or shared key as it is set up,
// and a shared-key challenge fails with a key that is not the access point's. Open system with a
// wrong key associates all the same, but no data frame gets through. A WPA or WPA2 network
// associates only once a supplicant has authenticated the station with it and installed the
// keys (RsnKeys): the link completes when both the association and the keys are done.
//
// The driver keeps trying the SSID it was given: the link drops when its network goes away, out
// of range or off the channel, or when the radio goes off, and comes back when it can.
#pragma once

#include <cstdint>
#include <optional>

#include "sim/adapter_state.h"

namespace sim {

// The weakest signal an association holds at; scans still list weaker networks.
inline constexpr int32_t kJoinSensitivityDbm = -90;

// The name the library parks the adapter on; no network is ever joined by it.
inline constexpr uint8_t kParkingSsid[4] = {0xFF, 0xBA, 0xBE, 0xFF};

enum class JoinResult {
  kJoined,
  kStartedIbss,
  kNoSsid,                 // no SSID given, or the parking name
  kRadioOff,               // off, or the adapter is pulled
  kNoNetwork,              // nothing of that name and mode is heard strongly enough
  kPrivacyMismatch,        // the station's encryption does not fit the network's privacy
  kAuthenticationRefused,  // the access point does not offer the algorithm asked for
  kChallengeFailed,        // shared key: the station's key is not the access point's
  kNeedsSupplicant,        // WPA or WPA2: no supplicant installed keys for this network
  kNoChannel,              // an IBSS to start on a channel the radio cannot use
};

struct JoinAttempt {
  JoinResult result = JoinResult::kNoSsid;
  std::optional<Association> association;
};

// What the driver would join now with the settings and keys it holds; changes nothing.
JoinAttempt Join(const AdapterDescription& adapter, const AdapterState& state,
                 const MachineDescription& machine, uint64_t nowMs);

// The SSID request: leaves the current network and joins by the SSID now set.
void Associate(const AdapterDescription& adapter, AdapterState& state,
               const MachineDescription& machine, uint64_t nowMs);

// Disassociation: the link drops at once, the supplicant's keys go with it; the driver stops
// looking for a network.
void Disassociate(AdapterState& state, uint64_t nowMs);

// Brings the link in line with the adapter and the air after any change: drops an association
// that can no longer hold and joins the SSID set when it can.
void Reconcile(const AdapterDescription& adapter, AdapterState& state,
               const MachineDescription& machine, uint64_t nowMs);

// Whether the association has completed by nowMs (the medium reads connected).
bool LinkUp(const AdapterState& state, uint64_t nowMs);

// The joined network in the air now; nothing for an IBSS of the adapter's own or without a link.
const NetworkDescription* AssociatedNetwork(const AdapterState& state,
                                            const MachineDescription& machine);

}  // namespace sim
