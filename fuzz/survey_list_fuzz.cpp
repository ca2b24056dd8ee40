// The BSSID list walk: any bytes as the driver's list, through entry building, filtering and
// every sort key. The walk must stay inside the list and end, whatever the lengths say.
#include <cstddef>
#include <cstdint>
#include <vector>

// The parsers live inside the adapter library with hidden visibility; the fuzz target compiles
// its own instrumented copy of them.
#include "lib/common/channel_table.h"
#include "lib/common/information_elements.h"
#include "lib/common/information_elements_ht.h"
#include "lib/common/information_elements_security.h"
#include "lib/common/information_elements_wps.h"
#include "lib/common/signal_percent.h"
#include "lib/common/survey_sort.h"
#include "lib/driver/survey_band_mode.h"
#include "lib/driver/survey_list.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Exactly the caller's capacity, so that a write past the 128th entry is caught.
  std::vector<VtrSurveyEntry> entries(vtr::kSurveyCapacity);
  // The low bits of the size pick the filter and the sort, so one input covers one of each.
  const uint32_t filterMask = static_cast<uint32_t>(size & 15);
  const uint32_t sortKey = static_cast<uint32_t>((size >> 4) % 9);
  const uint32_t count = vtr::BuildSurveyEntries(data, size, filterMask, size & 1, entries.data(),
                                                 vtr::kSurveyCapacity);
  if (count > vtr::kSurveyCapacity) __builtin_trap();
  vtr::SortEntries(sortKey, (size >> 2) & 1, count, entries.data());
  // A list cut to the first items that fit half its size: never written past, and read back
  // item for item as far as it goes.
  std::vector<uint8_t> leading(size / 2);
  const size_t kept = vtr::KeepLeadingItems(data, size, leading.data(), leading.size());
  if (kept > leading.size()) __builtin_trap();
  vtr::BuildSurveyEntries(leading.data(), kept, 0, 0, entries.data(), vtr::kSurveyCapacity);
  return 0;
}
