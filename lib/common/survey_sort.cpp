#include "lib/common/survey_sort.h"

#include <cstring>
#include <utility>
#include <vector>

namespace vtr {
namespace {

// Byte by byte as signed characters up to the first difference; a text that is the beginning
// of the other is the smaller one. A text field need not be terminated, so its size bounds it.
template <size_t N>
int CompareText(const char (&a)[N], const char (&b)[N]) {
  for (size_t i = 0; i < N; ++i) {
    const auto ca = static_cast<signed char>(a[i]);
    const auto cb = static_cast<signed char>(b[i]);
    if (ca == cb) {
      if (ca == 0) return 0;
      continue;
    }
    // The terminator is not compared as a character: the text that ends first is smaller,
    // even against bytes that are negative as signed characters.
    if (ca == 0) return -1;
    if (cb == 0) return 1;
    return ca < cb ? -1 : 1;
  }
  return 0;
}

uint32_t SecurityWord(const VtrSurveyEntry& entry) {
  return (entry.authMask & 0xFFFFu) << 16 | (entry.cipherMask & 0xFFFFu);
}

// The value compared for the number columns, as the signed (or, for WPS, unsigned byte) value.
int64_t NumberKey(uint32_t sortKey, const VtrSurveyEntry& entry) {
  switch (sortKey) {
    case kSortByWps:
      return entry.hasWps;
    case kSortByChannel:
      return static_cast<int32_t>(entry.channel);
    case kSortBySignal:
      return entry.signal;
    default:
      return static_cast<int32_t>(entry.networkType);
  }
}

// Whether the earlier of two neighbours and the later one are exchanged.
bool Exchange(uint32_t sortKey, bool descending, const VtrSurveyEntry& earlier,
              const VtrSurveyEntry& later) {
  int order = 0;  // sign of earlier - later
  switch (sortKey) {
    case kSortByName:
      order = CompareText(earlier.ssid, later.ssid);
      break;
    case kSortByBssid:
      order = CompareText(earlier.bssid, later.bssid);
      break;
    case kSortByFrequency:
      order = CompareText(earlier.frequency, later.frequency);
      break;
    case kSortBySecurity: {
      const uint32_t a = SecurityWord(earlier);
      const uint32_t b = SecurityWord(later);
      order = a < b ? -1 : (a > b ? 1 : 0);
      break;
    }
    default: {
      const int64_t a = NumberKey(sortKey, earlier);
      const int64_t b = NumberKey(sortKey, later);
      return descending ? a <= b : a >= b;
    }
  }
  return descending ? order < 0 : order > 0;
}

}  // namespace

void SortEntries(uint32_t sortKey, uint32_t sortDescending, uint32_t count,
                 VtrSurveyEntry* entries) {
  if (sortKey > kSortByFrequency || count < 2 || entries == nullptr) return;
  const bool descending = sortDescending != 0;
  // The passes run over positions into the entries, so an exchange moves four bytes instead of
  // a whole 316-byte entry; the entries are put in their final places once at the end. The
  // passes and exchanges are exactly those of the bubble sort over the entries themselves.
  std::vector<uint32_t> order(count);
  for (uint32_t i = 0; i < count; ++i) order[i] = i;
  for (uint32_t pass = 0; pass < count; ++pass) {
    for (uint32_t j = 0; j + 1 < count - pass; ++j) {
      if (Exchange(sortKey, descending, entries[order[j]], entries[order[j + 1]])) {
        std::swap(order[j], order[j + 1]);
      }
    }
  }
  const std::vector<VtrSurveyEntry> before(entries, entries + count);
  for (uint32_t i = 0; i < count; ++i) entries[i] = before[order[i]];
}

}  // namespace vtr
