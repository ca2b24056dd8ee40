// AdhocChannelList: the channels an ad hoc network can be started on, by position. A profile's
// adhocChannel holds a position in this list; for 2.4 GHz the position is the channel number.
#pragma once

#include <cstdint>
#include <span>

namespace vtr {

struct AdhocChannel {
  uint32_t channel;
  uint32_t frequencyKhz;
};

// The 46 entries; position p (counted from 1) is element p - 1.
std::span<const AdhocChannel> AdhocChannelList();

// The centre frequency (kHz) at a position 1 to 46; 0 for any other position, which a damaged
// profile can hold.
uint32_t AdhocChannelFrequency(uint32_t position);

}  // namespace vtr
