// Centre frequencies (kHz) and the channel numbers the utility shows for them, shared by the
// survey and the link information of both library builds.
#pragma once

#include <cstdint>
#include <span>

namespace vtr {

struct ChannelRow {
  uint32_t frequencyKhz;
  uint32_t channel;
};

// The 41 rows, 2.4 GHz first, in the order the lookup searches them.
std::span<const ChannelRow> ChannelTable();

// The channel of the first row with exactly this frequency; 0 when no row has it.
uint32_t ChannelForFrequency(uint32_t frequencyKhz);

}  // namespace vtr
