// The rates the adapter uses on its link, picked as a rate-adaptation algorithm would: the fastest
// rate both sides support whose receiver sensitivity the signal meets. Reported in the driver's
// compact rate descriptors:
//
//   bits 0-6   rate index (DSSS/CCK 0-3 for 1, 2, 5.5 and 11 Mbit/s, 8-11 the same with a short
//              preamble; OFDM 0-7 for 6 to 54 Mbit/s) or the 802.11n MCS
//   bit 7      40 MHz channel           bit 8   short (400 ns) guard interval
//   bits 14-15 family: 0 DSSS/CCK, 1 OFDM, 2 HT
#pragma once

#include <cstdint>
#include <vector>

#include "sim/adapter_state.h"

namespace sim {

inline constexpr uint32_t kRateFamilyOfdm = 1u << 14;
inline constexpr uint32_t kRateFamilyHt = 2u << 14;
inline constexpr uint32_t kRateWidth40 = 1u << 7;
inline constexpr uint32_t kRateShortGuard = 1u << 8;

struct LinkRate {
  uint32_t descriptor = 0;
  uint32_t halfMbps = 0;  // the rate in 500 kbit/s units, rounded
};

struct LinkRates {
  LinkRate transmit;
  LinkRate receive;
};

// The access point sends a little stronger than the station: what it hears is this much better.
inline constexpr int32_t kReceiveAdvantageDb = 3;

// The rates on a link at rssi dBm with network (nothing: an IBSS of the adapter's own, which
// sends at the top of its own rate set).
LinkRates RatesOnLink(const AdapterState& state, const NetworkDescription* network, int32_t rssi);

// The raw link quality the driver reports, 0-100.
uint32_t LinkQuality(int32_t rssi);

}  // namespace sim
