// Finding the supported wireless adapter among the machine's network adapters, for both builds:
// each searches with its own list of hardware ids and keeps what it found in its own state.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vtr {

// What the adapter search found.
struct FoundAdapter {
  int32_t index = -1;
  std::string name;  // the GUID text, braces included
  std::string tcpipKey;
  std::string pnpInstanceId;
  uint8_t macAddress[8] = {};
  std::string description;
};

// Searches IP Helper's adapter list for the first adapter whose PnpInstanceID contains one of
// hardwareIds (tried in order, case-sensitive). lastPnpInstanceId gets the PnpInstanceID of the
// adapter examined last, whether or not it matched.
std::optional<FoundAdapter> SearchAdapter(const std::vector<std::string>& hardwareIds,
                                          std::string& lastPnpInstanceId);

// "Name - Packet Scheduler Miniport" gives "Name": the text before the character that precedes
// the last "-"; a description without "-" stays whole.
std::string ShortAdapterDescription(const std::string& description);

}  // namespace vtr
