#include "sim/adapter_control.h"

#include <algorithm>
#include <cstdio>
#include <functional>

#include "sim/adapter_scan.h"
#include "sim/association.h"
#include "sim/interface_counters.h"
#include "sim/sim_machine.h"

namespace sim {
namespace {

constexpr const char* kNoWirelessAdapter = "the machine has no wireless adapter";

std::vector<NetworkDescription>& EditableNeighbourhood(AdapterState& state,
                                                       const MachineDescription& machine) {
  if (!state.neighbourhood) state.neighbourhood = machine.neighbourhood;
  return *state.neighbourhood;
}

std::string StateError(long error) {
  return "the adapter's state cannot be read or written (error " + std::to_string(error) + ")";
}

}  // namespace

AdapterControl::AdapterControl(SimMachine& machine) : machine_(machine) {}

std::optional<std::string> AdapterControl::Change(
    const std::function<std::optional<std::string>(AdapterState&)>& change) {
  AdapterStateFile* file = machine_.devices().WirelessState();
  if (file == nullptr) return kNoWirelessAdapter;
  const AdapterDescription* adapter = machine_.devices().WirelessAdapter();
  const uint64_t now = machine_.Clock().NowMs();
  std::optional<std::string> failure;
  const long error = file->Modify([&](AdapterState& state) {
    AdapterState changed = state;
    failure = change(changed);
    if (failure) return;
    // The link follows the air: a network gone or out of reach drops it, one in reach may
    // bring it back.
    Reconcile(*adapter, changed, machine_.description(), now);
    state = std::move(changed);
  });
  if (error != 0) return StateError(error);
  return failure;
}

std::optional<std::string> AdapterControl::SetPresent(bool present) {
  auto failure = Change([&](AdapterState& state) -> std::optional<std::string> {
    state.present = present;
    return std::nullopt;
  });
  // A device pulled out ends the supplicant's port, and with it the link holder's reason to be.
  if (!failure && !present && !machine_.LinkHolder().EndLinkHolder()) {
    return "the adapter is out, but the link holder of the machine did not end";
  }
  return failure;
}

std::optional<std::string> AdapterControl::AddNetwork(const NetworkDescription& network) {
  return Change([&](AdapterState& state) -> std::optional<std::string> {
    auto& networks = EditableNeighbourhood(state, machine_.description());
    for (const auto& other : networks) {
      if (other.bssid == network.bssid) {
        return "a network with the address " + BssidText(network.bssid) + " is already there";
      }
    }
    networks.push_back(network);
    return std::nullopt;
  });
}

std::optional<std::string> AdapterControl::RemoveNetwork(const std::array<uint8_t, 6>& bssid) {
  return Change([&](AdapterState& state) -> std::optional<std::string> {
    auto& networks = EditableNeighbourhood(state, machine_.description());
    if (std::erase_if(networks, [&](const auto& n) { return n.bssid == bssid; }) == 0) {
      return "no network has the address " + BssidText(bssid);
    }
    return std::nullopt;
  });
}

std::optional<std::string> AdapterControl::MoveNetwork(const std::array<uint8_t, 6>& bssid,
                                                       std::optional<int32_t> rssi,
                                                       std::optional<uint32_t> channel) {
  if (rssi && (*rssi < -200 || *rssi > 0)) return "the signal must be from -200 to 0 dBm";
  if (channel && ChannelFrequencyMHz(*channel) == 0) {
    return "no such channel (1-14, 34-165, 183-196)";
  }
  return Change([&](AdapterState& state) -> std::optional<std::string> {
    auto& networks = EditableNeighbourhood(state, machine_.description());
    auto it = std::find_if(networks.begin(), networks.end(),
                           [&](const auto& n) { return n.bssid == bssid; });
    if (it == networks.end()) return "no network has the address " + BssidText(bssid);
    if (rssi) it->rssi = *rssi;
    if (channel) {
      const uint32_t frequency = ChannelFrequencyMHz(*channel);
      // A network keeps its rates within a band; one moved across bands takes the other
      // band's usual set.
      if ((frequency > 5000) != (it->frequencyMHz > 5000) && !it->rateKind.empty()) {
        it->rateKind = frequency > 5000 ? "a" : "g";
        it->rates = RatesOfKind(it->rateKind);
      }
      it->frequencyMHz = frequency;
    }
    return std::nullopt;
  });
}

std::optional<std::string> AdapterControl::SetTraffic(const std::array<uint8_t, 6>& bssid,
                                                      const TrafficDescription& traffic) {
  if (traffic.variationPercent > 100) return "the variation is a percentage of 0 to 100";
  const uint64_t now = machine_.Clock().NowMs();
  return Change([&](AdapterState& state) -> std::optional<std::string> {
    auto& networks = EditableNeighbourhood(state, machine_.description());
    auto it = std::find_if(networks.begin(), networks.end(),
                           [&](const auto& n) { return n.bssid == bssid; });
    if (it == networks.end()) return "no network has the address " + BssidText(bssid);
    it->traffic = traffic;
    std::optional<Association>& association = state.link.association;
    if (association && association->bssid == bssid && !association->ownIbss) {
      SettleCounters(state.link, now);
      association->traffic = traffic;
    }
    return std::nullopt;
  });
}

std::optional<std::string> AdapterControl::Reset() {
  AdapterStateFile* file = machine_.devices().WirelessState();
  if (file == nullptr) return kNoWirelessAdapter;
  if (const long error = file->Reset()) return StateError(error);
  // The link the holder kept is gone with the state.
  if (!machine_.LinkHolder().EndLinkHolder()) return "the link holder of the machine did not end";
  return std::nullopt;
}

std::optional<std::string> AdapterControl::Read(AdapterState& state,
                                                std::vector<NetworkDescription>& neighbourhood) {
  AdapterStateFile* file = machine_.devices().WirelessState();
  if (file == nullptr) return kNoWirelessAdapter;
  const long error = file->Read([&](const AdapterState& current) {
    state = current;
    neighbourhood = CurrentNeighbourhood(current, machine_.description());
  });
  if (error != 0) return StateError(error);
  return std::nullopt;
}

bool AdapterControl::Hears(const AdapterState& state, const NetworkDescription& network) const {
  const AdapterDescription* adapter = machine_.devices().WirelessAdapter();
  return adapter != nullptr && state.radioOn && RadioHears(adapter->radio, state, network);
}

AdapterControl CurrentAdapterControl() {
  return AdapterControl(static_cast<SimMachine&>(platform::Current()));
}

bool ParseBssid(const std::string& text, std::array<uint8_t, 6>& bssid) {
  unsigned b[6];
  char s[5];
  char tail = 0;
  if (std::sscanf(text.c_str(), "%2x%c%2x%c%2x%c%2x%c%2x%c%2x%c", &b[0], &s[0], &b[1], &s[1], &b[2],
                  &s[2], &b[3], &s[3], &b[4], &s[4], &b[5], &tail) != 11 ||
      text.size() != 17) {
    return false;
  }
  for (char separator : s) {
    if (separator != '-' && separator != ':') return false;
  }
  for (int i = 0; i < 6; ++i) bssid[i] = static_cast<uint8_t>(b[i]);
  return true;
}

}  // namespace sim
