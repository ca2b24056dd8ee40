// The band mode a BSSID list item shows in the survey, from its frequency and its rates.
#pragma once

#include <cstdint>

namespace vtr {

inline constexpr uint32_t kSupportedRatesSize = 16;

// 802.11a above 5 GHz; otherwise 802.11g when any rate is an OFDM-only one, else 802.11b.
uint32_t BandMode(uint32_t frequencyKhz, const uint8_t (&rates)[kSupportedRatesSize]);

}  // namespace vtr
