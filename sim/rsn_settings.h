// The station's side of keying a WPA network, shared by the supplicant stand-in and the WLAN
// service: how long the exchange takes, and the driver's authentication mode and cipher for the
// keys it installs.
#pragma once

#include <cstdint>

#include "sim/adapter_state.h"
#include "sim/network_description.h"

namespace sim {

// The four-way handshake after the association, and a whole 802.1X exchange before it.
inline constexpr uint64_t kHandshakeMs = 100;
inline constexpr uint64_t k8021xExchangeMs = 800;

// The stronger version the network offers (NDIS authentication mode).
uint32_t RsnAuthenticationMode(NetworkSecurity security);

// The driver's authentication mode and encryption status (NDIS values).
void SetDriverSecurity(AdapterState& state, uint32_t authenticationMode, uint32_t encryptionStatus);

// The settings a supplicant gives the driver for a network it keys: the stronger version and
// cipher the network offers.
void InstallRsnSettings(AdapterState& state, NetworkSecurity security, NetworkCiphers ciphers);

}  // namespace sim
