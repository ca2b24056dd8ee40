// What a user does at an access point for Wi-Fi Protected Setup, as `vtrctl sim wps-button` and
// `vtrctl sim wps-pin` do it on a live machine: press its button, type a station's PIN into its
// registrar. Each goes into the adapter's state file, so the next request of any process on the
// machine sees it.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace sim {

class SimMachine;

// Each returns why it failed (no wireless adapter, no such access point, no WPS), or nothing.
std::optional<std::string> PressWpsButton(SimMachine& machine, const std::array<uint8_t, 6>& bssid);
std::optional<std::string> EnterWpsPin(SimMachine& machine, const std::array<uint8_t, 6>& bssid,
                                       const std::string& pin);

}  // namespace sim
