// Ordering survey entries by one of the Site Survey page's eight columns.
#pragma once

#include <cstdint>

#include "vtrlib/adapter_records.h"

namespace vtr {

enum SurveySortKey : uint32_t {
  kSortByName = 0,
  kSortByBssid = 1,
  kSortBySecurity = 2,
  kSortByWps = 3,
  kSortByChannel = 4,
  kSortBySignal = 5,
  kSortByNetworkType = 6,
  kSortByFrequency = 7,
};

// The result is exactly that of a bubble sort that exchanges neighbours by the key's rule:
// texts and the security word are exchanged only when strictly out of order, while the number
// columns (WPS, channel, signal, network type) are exchanged when equal as well. The order
// among equal keys is therefore part of the result, and callers and tests rely on it. Any other
// key leaves the entries as they are.
void SortEntries(uint32_t sortKey, uint32_t sortDescending, uint32_t count,
                 VtrSurveyEntry* entries);

}  // namespace vtr
