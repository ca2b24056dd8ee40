// The DHCP client of the wireless adapter's IP interface, on the machine clock: once an
// association completes it gets the network's lease after the server's delay, or, when no answer
// can come (no server, or keys that let no frame through), falls back to an automatic private
// 169.254 address; a lost link or a release leaves it without an address. Every change of the
// address counts, so an address-change notification can tell that one happened.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sim/link_state.h"
#include "sim/machine_description.h"

namespace sim {

// The 169.254.x.y address Windows would pick for this hardware address; the same each time, so
// that tests and users can expect it.
std::string AutonetAddress(const std::vector<uint8_t>& mac);

// Schedules what the client gets once the association in link completes. network is the joined
// network; nothing for an IBSS of the adapter's own.
void StartAddressing(const AdapterDescription& adapter, LinkState& link,
                     const NetworkDescription* network);

// Applies an address change that is due by now.
void SettleAddress(LinkState& link, uint64_t nowMs);

// The address the interface holds at nowMs, and how many changes it has seen by then.
const IpBinding& CurrentAddress(const LinkState& link, uint64_t nowMs);
uint64_t AddressChanges(const LinkState& link, uint64_t nowMs);
// When the next address change is due, if one is scheduled after nowMs.
std::optional<uint64_t> NextAddressChangeMs(const LinkState& link, uint64_t nowMs);

// IpReleaseAddress: gives up the address held now (a scheduled acquisition goes on, as the
// client restarts discovery on the new link anyway). False when there was nothing to release.
bool ReleaseAddress(LinkState& link, uint64_t nowMs);

// The link is gone: no address, nothing scheduled.
void ClearAddress(LinkState& link, uint64_t nowMs);

}  // namespace sim
