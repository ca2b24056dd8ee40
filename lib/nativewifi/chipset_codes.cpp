#include "lib/nativewifi/chipset_codes.h"

namespace vtr {

const std::vector<ChipsetGroup>& ChipsetGroups() {
  static const std::vector<ChipsetGroup> groups = {
      {{"PCI\\VEN_11AB&DEV_2A", "USB\\VID_1799&PID_8051", "USB\\VID_1286&PID_2006",
        "PCI\\VEN_11AB&DEV_1F"},
       2},
      {{"USB\\VID_0BDA&PID_8187", "USB\\VID_0BDA&PID_8189", "USB\\VID_0846&PID_6A00",
        "PCI\\VEN_10EC&DEV_8185"},
       1},
      {{"PCI\\VEN_14E4&DEV_4318"}, 5},
      {{"PCI\\VEN_168C&DEV_0013", "PCI\\VEN_168C&DEV_0023", "USB\\VID_0CF3&PID_9170"}, 3},
      {{"USB\\VID_148F&PID_2870", "USB\\VID_148F&PID_2770", "PCI\\VEN_1814&DEV_0201",
        "PCI\\VEN_1814&DEV_0601", "PCI\\VEN_1814&DEV_0701"},
       4},
      {{"USB\\VID_0ACE&PID_1215"}, 6},
      {{"PCI\\VEN_17CB&DEV_0002"}, 0},
  };
  return groups;
}

int32_t ChipsetCode(const std::string& hardwareId) {
  for (const ChipsetGroup& group : ChipsetGroups()) {
    for (const std::string& id : group.hardwareIds) {
      if (hardwareId.find(id) != std::string::npos) return group.code;
    }
  }
  return -1;
}

}  // namespace vtr
