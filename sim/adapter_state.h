// The wireless adapter's state that outlives a process: whether it is plugged in, its radio,
// region and scan, the settings and keys the library gave it, and the changes made to the air
// around it. Kept in one small file in the machine directory (see AdapterStateFile).
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "sim/link_state.h"
#include "sim/machine_description.h"
#include "sim/wps_registrar_state.h"

namespace sim {

struct StoredKey {
  uint32_t keyIndex = 0;  // as given: bit 31 transmit, bit 30 pairwise, low bits the slot
  std::array<uint8_t, 6> bssid{};
  std::vector<uint8_t> material;

  bool operator==(const StoredKey&) const = default;
};

// The pairwise keys a supplicant installed after it authenticated the station with a WPA or
// WPA2 network: from readyAtMs on, the driver may complete an association with that network.
// They go with the association: a disassociation or a stopped supplicant takes them away.
struct RsnKeys {
  std::vector<uint8_t> ssid;
  uint64_t readyAtMs = 0;

  bool operator==(const RsnKeys&) const = default;
};

struct AdapterState {
  bool present = true;
  bool radioOn = true;
  uint32_t region = 0;
  // The factory region reads with the top bit set until the library programs one of its own.
  bool regionProgrammed = false;
  // Settings given by set requests and read back by queries, by query number.
  std::map<uint32_t, std::vector<uint8_t>> settings;
  std::vector<StoredKey> keys;
  std::optional<RsnKeys> rsnKeys;
  // The last scan's start in machine time; nothing before the first scan.
  std::optional<uint64_t> scanStartMs;
  // What the scan before the running one heard: the list a query gets while a scan runs.
  std::optional<std::vector<NetworkDescription>> previousList;
  // The air as changed on the live machine; nothing while it is as the description says.
  std::optional<std::vector<NetworkDescription>> neighbourhood;
  // The association, the address and the traffic counters.
  LinkState link;
  // Wi-Fi Protected Setup: buttons pressed, PINs entered, the driver's registration.
  WpsState wps;

  bool operator==(const AdapterState&) const = default;
};

// The state of a new machine's adapter.
AdapterState InitialAdapterState(const RadioDescription& radio);

// The state file's text, and back; a fault in the text names the field.
std::string FormatAdapterState(const AdapterState& state);
std::optional<std::string> ParseAdapterState(const std::string& text, AdapterState& state);

// The networks around the adapter now: the changed air, else the description's.
const std::vector<NetworkDescription>& CurrentNeighbourhood(const AdapterState& state,
                                                            const MachineDescription& machine);

}  // namespace sim
