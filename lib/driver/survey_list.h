// Turning the driver's BSSID list (NDIS_802_11_BSSID_LIST_EX) into survey entries.
#pragma once

#include <cstddef>
#include <cstdint>

#include "vtrlib/adapter_records.h"

namespace vtr {

// The utility's survey array holds 128 entries and the export has no capacity argument, so no
// survey writes more: a full list describes up to 192 networks, and those that pass the filter
// after the 128th are dropped, in the driver's order.
inline constexpr uint32_t kSurveyCapacity = 128;

// filterMask bits: networks left out of the survey.
inline constexpr uint32_t kFilterAdHoc = 1;
inline constexpr uint32_t kFilter11a = 2;
inline constexpr uint32_t kFilter11b = 4;
inline constexpr uint32_t kFilter11g = 8;
// signalFormat bit: the driver's dBm instead of a percentage.
inline constexpr uint32_t kSignalFormatDbm = 1;

// Fills entries[0..capacity) from the list's items, in list order, leaving out the filtered
// ones; returns the number written. Only the bytes of the list are read: the walk ends at an
// item whose length is shorter than an item's fixed part (a length of 0 included) or runs past
// the list, and each item's elements are read only within both IELength and the item.
uint32_t BuildSurveyEntries(const uint8_t* list, size_t length, uint32_t filterMask,
                            uint32_t signalFormat, VtrSurveyEntry* entries, uint32_t capacity);

// Copies the list's count field and its leading whole items into `into`, as many as fit in
// capacity bytes, and sets the count to the items copied: a list of more networks than the
// survey's buffer holds becomes the list of its first ones. The walk ends as BuildSurveyEntries'
// does. Returns the bytes written (0 when capacity cannot hold the count).
size_t KeepLeadingItems(const uint8_t* list, size_t length, uint8_t* into, size_t capacity);

}  // namespace vtr
