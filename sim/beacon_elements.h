// The information elements a network's beacons carry, built from its description the way access
// points of the time laid them out, so that the survey's parsers meet real bytes.
#pragma once

#include <cstdint>
#include <vector>

#include "sim/network_description.h"

namespace sim {

inline constexpr uint8_t kElementSsid = 0;
inline constexpr uint8_t kElementSupportedRates = 1;
inline constexpr uint8_t kElementDsParameters = 3;
inline constexpr uint8_t kElementIbssParameters = 6;
inline constexpr uint8_t kElementErp = 42;
inline constexpr uint8_t kElementHtCapabilities = 45;
inline constexpr uint8_t kElementRsn = 48;
inline constexpr uint8_t kElementExtendedRates = 50;
inline constexpr uint8_t kElementHtOperation = 61;
inline constexpr uint8_t kElementVendor = 221;

// WPS attribute types (big-endian in the element).
inline constexpr uint16_t kWpsVersion = 0x104A;
inline constexpr uint16_t kWpsState = 0x1044;
inline constexpr uint16_t kWpsSelectedRegistrar = 0x1041;
inline constexpr uint16_t kWpsDevicePasswordId = 0x1012;
inline constexpr uint16_t kWpsSelectedRegistrarConfigMethods = 0x1053;
inline constexpr uint16_t kWpsUuidE = 0x1047;

// RSN (48) or, with wpaVendor, the WPA vendor element (00-50-F2 type 1) of the same layout.
std::vector<uint8_t> SecurityElement(bool wpaVendor, NetworkCiphers ciphers, bool psk);
std::vector<uint8_t> WpsElement(const WpsDescription& wps, const std::array<uint8_t, 6>& bssid);
// Standard HT capabilities (45, 26-byte body) and operation (61, 22-byte body).
std::vector<uint8_t> HtCapabilitiesElement();
std::vector<uint8_t> HtOperationElement(uint32_t primaryChannel);
// The pre-standard vendor elements (00-90-4C type 0x33 capabilities, 0x34 information) with the
// same bodies after the four OUI/type bytes.
std::vector<uint8_t> PrestandardHtElements(uint32_t primaryChannel);

// Every variable element of the network's beacon, in beacon order; the description's raw bytes
// replace or follow them.
std::vector<uint8_t> BeaconElements(const NetworkDescription& network);

// Beacon capability bits: ESS, IBSS, privacy, short preamble, short slot time.
uint16_t BeaconCapabilities(const NetworkDescription& network);

}  // namespace sim
