// The wireless link as the adapter's state keeps it: the association, the address the DHCP
// client holds or is about to get, and the interface's traffic counters. Time-driven changes (an
// association completing, a lease arriving) are stored as deadlines on the machine clock and
// read against the time of each request, so a caller that sleeps sees them when it wakes.
#pragma once

#include <nlohmann/json.hpp>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sim/network_description.h"

namespace sim {

struct Association {
  std::array<uint8_t, 6> bssid{};
  std::vector<uint8_t> ssid;
  uint32_t frequencyMHz = 0;
  bool adhoc = false;
  bool ownIbss = false;    // an IBSS this adapter started; no other station is in it
  bool framesPass = true;  // the keys agree both ways, so data frames get through
  uint64_t upAtMs = 0;     // when the association completes and the medium reads connected
  TrafficDescription traffic;

  bool operator==(const Association&) const = default;
};

// What the adapter's IP interface holds: no address is "0.0.0.0".
struct IpBinding {
  std::string address = "0.0.0.0";
  std::string mask = "0.0.0.0";
  std::string gateway;
  std::string dhcpServer;  // empty for an automatic private address
  std::vector<std::string> dns;
  uint64_t obtainedMs = 0;
  uint32_t leaseSeconds = 0;

  bool Bound() const { return address != "0.0.0.0"; }
  bool operator==(const IpBinding&) const = default;
};

struct AddressState {
  IpBinding bound;
  // What the DHCP client will hold at pendingAtMs (a lease, or its private-address fallback).
  std::optional<IpBinding> pending;
  uint64_t pendingAtMs = 0;
  // Address changes so far; a change notification compares this count.
  uint64_t changes = 0;

  bool operator==(const AddressState&) const = default;
};

// Octets counted up to sinceMs; the association's traffic adds to them after that.
struct InterfaceCounters {
  uint64_t inOctets = 0;
  uint64_t outOctets = 0;
  uint64_t sinceMs = 0;

  bool operator==(const InterfaceCounters&) const = default;
};

struct LinkState {
  std::optional<Association> association;
  AddressState address;
  InterfaceCounters counters;
  uint64_t changedMs = 0;  // when the link last came up or went down

  bool operator==(const LinkState&) const = default;
};

nlohmann::json LinkStateJson(const LinkState& link);
// Faults name the field below where.
LinkState ReadLinkState(const nlohmann::json& value, const std::string& where);

}  // namespace sim
