// The miniport's answer to OID_802_11_BSSID_LIST: an NDIS_802_11_BSSID_LIST_EX built from the
// networks the last scan heard.
#pragma once

#include <cstdint>
#include <vector>

#include "sim/network_description.h"

namespace sim {

// One NDIS_WLAN_BSSID_EX appended to list: the fixed header, the beacon's 12 fixed bytes and its
// elements. The item's length is rounded up to a multiple of four, as NDIS drivers align items.
// nowMs is the machine's time, from which the access point's timestamp counts.
void AppendBssidItem(std::vector<uint8_t>& list, const NetworkDescription& network, uint64_t nowMs);

// The whole list: the item count, then the items in the order given.
std::vector<uint8_t> BuildBssidList(const std::vector<NetworkDescription>& networks,
                                    uint64_t nowMs);

// NDIS network type in use: DS for 802.11b, OFDM24 for 802.11g, OFDM5 for 5 GHz.
uint32_t NetworkTypeInUse(const NetworkDescription& network);

}  // namespace sim
