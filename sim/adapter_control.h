// Changes to a live machine's wireless adapter and to the air around it, as `vtrctl sim` makes
// them: pull or plug the adapter, add, remove or move a network. Each change goes into the
// adapter's state file, so the next request of any process on the machine sees it.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "sim/adapter_state.h"

namespace sim {

class SimMachine;

class AdapterControl {
 public:
  explicit AdapterControl(SimMachine& machine);

  // Each returns why it failed (no wireless adapter, no such network, ...), or nothing.
  std::optional<std::string> SetPresent(bool present);
  std::optional<std::string> AddNetwork(const NetworkDescription& network);
  std::optional<std::string> RemoveNetwork(const std::array<uint8_t, 6>& bssid);
  // Moves a network to another signal strength and/or channel.
  std::optional<std::string> MoveNetwork(const std::array<uint8_t, 6>& bssid,
                                         std::optional<int32_t> rssi,
                                         std::optional<uint32_t> channel);
  // Gives a network other background traffic; a link to it carries the new traffic from now on,
  // and what it carried so far stays counted.
  std::optional<std::string> SetTraffic(const std::array<uint8_t, 6>& bssid,
                                        const TrafficDescription& traffic);
  // The adapter and the air as the description made them.
  std::optional<std::string> Reset();

  // The adapter's state now, and the networks around it.
  std::optional<std::string> Read(AdapterState& state,
                                  std::vector<NetworkDescription>& neighbourhood);
  // Whether the radio hears a network (band and wireless mode).
  bool Hears(const AdapterState& state, const NetworkDescription& network) const;

 private:
  std::optional<std::string> Change(
      const std::function<std::optional<std::string>(AdapterState&)>& change);

  SimMachine& machine_;
};

// The control of this process's machine.
AdapterControl CurrentAdapterControl();

// "00-0C-43-12-34-56" (or with colons) into six bytes; false when it is not one.
bool ParseBssid(const std::string& text, std::array<uint8_t, 6>& bssid);

}  // namespace sim
