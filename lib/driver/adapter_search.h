// Finding the supported wireless adapter among the machine's network adapters.
#pragma once

#include <cstdint>
#include <string>

#include "lib/driver/lib_state.h"

namespace vtr {

// Searches IP Helper's adapter list for the first adapter whose PnpInstanceID contains one of
// the supported hardware ids. On a match the adapter's fields are stored in the library state;
// returns the adapter's interface index, or -1.
int32_t FindAdapter();

// "Name - Packet Scheduler Miniport" gives "Name": the text before the character that precedes
// the last "-"; a description without "-" stays whole.
std::string ShortAdapterDescription(const std::string& description);

}  // namespace vtr
