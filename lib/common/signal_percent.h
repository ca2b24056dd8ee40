// Signal strength in dBm as the percentage the survey and the link information show.
#pragma once

#include <cstdint>

namespace vtr {

// 100 at -50 dBm and above, a steep line down to 24 at -80 dBm, a second line down to 0 at
// -90 dBm, and 0 below.
int32_t SignalPercent(int32_t rssi);

}  // namespace vtr
