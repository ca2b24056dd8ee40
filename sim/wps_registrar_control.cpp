#include "sim/wps_registrar_control.h"

#include <algorithm>
#include <functional>

#include "sim/sim_machine.h"
#include "sim/wps_registrar.h"

namespace sim {
namespace {

// Changes the state for the WPS access point at bssid.
std::optional<std::string> AtAccessPoint(
    SimMachine& machine, const std::array<uint8_t, 6>& bssid,
    const std::function<void(AdapterState&, uint64_t)>& change) {
  AdapterStateFile* file = machine.devices().WirelessState();
  if (file == nullptr) return "the machine has no wireless adapter";
  const uint64_t now = machine.Clock().NowMs();
  std::optional<std::string> failure;
  const long error = file->Modify([&](AdapterState& state) {
    const auto& networks = CurrentNeighbourhood(state, machine.description());
    const auto it = std::find_if(networks.begin(), networks.end(),
                                 [&](const auto& n) { return n.bssid == bssid; });
    if (it == networks.end()) {
      failure = "no network has the address " + BssidText(bssid);
    } else if (!it->wps) {
      failure = "the access point " + BssidText(bssid) + " does not offer WPS";
    } else {
      change(state, now);
    }
  });
  if (error != 0) {
    return "the adapter's state cannot be read or written (error " + std::to_string(error) + ")";
  }
  return failure;
}

}  // namespace

std::optional<std::string> PressWpsButton(SimMachine& machine,
                                          const std::array<uint8_t, 6>& bssid) {
  return AtAccessPoint(machine, bssid, [&](AdapterState& state, uint64_t now) {
    PressWpsButton(state, bssid, now);
  });
}

std::optional<std::string> EnterWpsPin(SimMachine& machine, const std::array<uint8_t, 6>& bssid,
                                       const std::string& pin) {
  const bool digits = pin.size() == 8 && std::all_of(pin.begin(), pin.end(),
                                                     [](char c) { return c >= '0' && c <= '9'; });
  if (!digits) return "a WPS PIN is eight digits";
  return AtAccessPoint(machine, bssid, [&](AdapterState& state, uint64_t now) {
    EnterWpsPin(state, bssid, pin, now);
  });
}

}  // namespace sim
