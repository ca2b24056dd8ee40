// Turning the Native Wi-Fi service's BSS list into survey entries: band, filters, name, address,
// signal, channel and frequency, security, 802.11n and WPS.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/native_wifi.h"
#include "vtrlib.h"

namespace vtr {

// The most entries a survey writes: the capacity of the array the utility passes.
inline constexpr uint32_t kMaxSurveyEntries = 128;

struct BssSurveyOptions {
  uint32_t filterMask = 0;
  uint32_t signalFormat = 0;
  // Chipset code 4 reports each BSSID once, though the service may list it per band or name.
  bool reportBssidOnce = false;
};

// The band mode of a PHY type; HT by its centre frequency.
uint32_t SurveyPhyMode(uint32_t phyType, uint32_t centerFrequencyKhz);

// Writes the entries of the list that pass the filter into entries (at most kMaxSurveyEntries),
// in the service's order, adding each written BSSID text to reported; returns how many. The
// entries are not sorted.
uint32_t WriteBssEntries(const platform::WlanBssList& list, const BssSurveyOptions& options,
                         VtrSurveyEntry* entries, std::vector<std::string>& reported);

}  // namespace vtr
