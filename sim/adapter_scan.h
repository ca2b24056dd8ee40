// The adapter's scan: which networks its radio hears, when a scan is done, and which list a
// BSSID list query gets meanwhile.
#pragma once

#include <cstdint>
#include <vector>

#include "sim/adapter_state.h"

namespace sim {

// The vendor wireless-mode request (query number) the scan's bands depend on.
inline constexpr uint32_t kOidVendorWirelessMode = 0x0D71010C;

// A single-band radio hears 2.4 GHz only; the wireless mode the library chose narrows that
// further (1 802.11b, 0 and 9 the 2.4 GHz modes, 2 802.11a only, 5 everything).
bool RadioHears(const RadioDescription& radio, const AdapterState& state,
                const NetworkDescription& network);

// The networks in range now that the radio hears, in the neighbourhood's order.
std::vector<NetworkDescription> HeardNetworks(const RadioDescription& radio,
                                              const AdapterState& state,
                                              const MachineDescription& machine);

bool ScanRunning(const RadioDescription& radio, const AdapterState& state, uint64_t nowMs);

// A scan request. A request while a scan runs changes nothing, as drivers ignore it; otherwise
// what the finished scan heard becomes the list shown while the new one runs.
void StartScan(const RadioDescription& radio, AdapterState& state,
               const MachineDescription& machine, uint64_t nowMs);

// What a BSSID list query answers: nothing before the first scan or with the radio off; the
// previous scan's list while a scan runs; afterwards the networks heard now.
std::vector<NetworkDescription> ListedNetworks(const RadioDescription& radio,
                                               const AdapterState& state,
                                               const MachineDescription& machine, uint64_t nowMs);

}  // namespace sim
