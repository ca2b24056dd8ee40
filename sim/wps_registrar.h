// Wi-Fi Protected Setup registrations as the adapter's driver runs them with the access points
// around it: push button (an access point is in push-button mode for its walk time after a
// press, or always when its description selects a push-button registrar), the access point's
// own PIN, and a registrar that takes the station's PIN once it was entered there.
//
// A registration moves through the driver's statuses on the machine clock: a scan, then with the
// one access point it found association, EAPOL start and the M1..M8 exchange, and "configured"
// with the credential table made from the network's own security. The driver associates with
// the network on success. Failures are those of a real registration: no access point in
// push-button mode, two at once, a PIN that does not match, an access point that answers with a
// NACK, an access point asked for by name that is not there.
//
// The registration is settled whenever the driver's WPS status is asked for, so the status read
// is the one due at that moment of machine time.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sim/adapter_state.h"

namespace sim {

// How long an access point stays in push-button mode after its button was pressed.
inline constexpr uint64_t kWpsWalkTimeMs = 120'000;

// A start message (56 bytes): the registration starts over.
void BeginWpsRegistration(AdapterState& state, const uint8_t* message, uint64_t nowMs);
// Disassociation or the WPS mode word set to 0: the registration is over.
void EndWpsRegistration(AdapterState& state);
// Moves a registration to where it is at nowMs.
void AdvanceWpsRegistration(const AdapterDescription& adapter, AdapterState& state,
                            const MachineDescription& machine, uint64_t nowMs);

// The driver's answers: the status, the credential table (996 bytes) and the channel of the
// access point that handed it out.
uint32_t WpsStatusOf(const AdapterState& state);
std::vector<uint8_t> WpsCredentialTableOf(const AdapterState& state);
uint32_t WpsChannelOf(const AdapterState& state);

// The credential table an access point of this network hands out.
std::vector<uint8_t> WpsCredentialTable(const NetworkDescription& network);

// Whether an access point is in push-button mode at nowMs.
bool WpsPushButtonActive(const NetworkDescription& network, const AdapterState& state,
                         uint64_t nowMs);

// The air: a press of an access point's button, a station's PIN typed into its registrar.
void PressWpsButton(AdapterState& state, const std::array<uint8_t, 6>& bssid, uint64_t nowMs);
void EnterWpsPin(AdapterState& state, const std::array<uint8_t, 6>& bssid, const std::string& pin,
                 uint64_t nowMs);

}  // namespace sim
