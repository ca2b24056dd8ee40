// The chipset families the Vista build tells apart by the adapter's hardware id.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vtr {

struct ChipsetGroup {
  std::vector<std::string> hardwareIds;
  int32_t code;
};

// The groups in the order they are tried.
const std::vector<ChipsetGroup>& ChipsetGroups();

// The code of the first group with an id found in hardwareId; -1 when none is.
int32_t ChipsetCode(const std::string& hardwareId);

}  // namespace vtr
