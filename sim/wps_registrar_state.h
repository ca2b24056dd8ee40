// What the air and the adapter's driver keep of Wi-Fi Protected Setup between requests: buttons
// pressed on access points, PINs entered at their registrars, and the registration the driver
// runs. It is hardware state, kept in the adapter's state file with the rest.
#pragma once

#include <nlohmann/json.hpp>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace sim {

// A press of an access point's WPS button opens its walk time.
struct WpsButtonPress {
  std::array<uint8_t, 6> bssid{};
  uint64_t atMs = 0;

  bool operator==(const WpsButtonPress&) const = default;
};

// A station's PIN typed into an access point's registrar.
struct WpsEnteredPin {
  std::array<uint8_t, 6> bssid{};
  std::string pin;
  uint64_t atMs = 0;

  bool operator==(const WpsEnteredPin&) const = default;
};

enum class WpsMethod { kPushButton, kStationPin, kAccessPointPin };

// The enrollee registration the driver runs after a start message.
struct WpsRegistration {
  WpsMethod method = WpsMethod::kPushButton;
  std::string pin;                 // PIN methods
  std::vector<uint8_t> ssid;       // PIN methods: the access point asked for, by name
  std::array<uint8_t, 6> bssid{};  // PIN methods: and by address; all zero for none
  uint64_t startedMs = 0;
  // The access point the exchange runs with, once the scan found it.
  std::optional<std::array<uint8_t, 6>> registrar;
  // When the exchange's timeline starts; a registrar that got its PIN late moves it.
  uint64_t exchangeMs = 0;
  // Whether the registrar was still waiting for the station's PIN at the last look.
  bool awaitingPin = false;
  uint32_t status = 0;  // the driver's status at the last look
  bool finished = false;
  std::vector<uint8_t> credentials;  // the credential table after a success
  uint32_t channel = 0;              // the registrar's channel after a success

  bool operator==(const WpsRegistration&) const = default;
};

struct WpsState {
  std::vector<WpsButtonPress> presses;
  std::vector<WpsEnteredPin> pins;
  std::optional<WpsRegistration> registration;

  bool Empty() const { return presses.empty() && pins.empty() && !registration; }
  bool operator==(const WpsState&) const = default;
};

nlohmann::json WpsStateJson(const WpsState& state);
// Faults name the field below where.
WpsState ReadWpsState(const nlohmann::json& value, const std::string& where);

}  // namespace sim
