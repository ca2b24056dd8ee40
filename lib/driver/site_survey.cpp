#include "lib/driver/site_survey.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "lib/common/export_boundary.h"
#include "lib/common/survey_sort.h"
#include "lib/driver/lib_state.h"
#include "lib/driver/oid_channel.h"
#include "lib/driver/survey_list.h"
#include "platform/services.h"
#include "platform/win_errors.h"
#include "vtrlib.h"

namespace vtr {
namespace {

// Wireless modes the scan runs in: every mode of both bands, or every 2.4 GHz mode, 802.11n
// included in both.
constexpr uint32_t kWirelessModeDualBand = 5;
constexpr uint32_t kWirelessModeAll24GHz = 9;

constexpr uint32_t kScanRetryDelayMs = 1000;
// How long the adapter takes to visit every channel before its list is worth reading.
constexpr uint32_t kScanDurationMs = 3000;

alignas(8) uint8_t scanBuffer[kScanBufferSize];

bool RequestScan() {
  uint32_t returned = 0;
  // The request carries no data; the buffer pointer goes along with length 0.
  return SetOid(platform::kOid802_11BssidListScan, scanBuffer, 0, &returned) != 0;
}

// The largest list the driver is asked for when the survey's buffer is too small: far more
// than any neighbourhood, small enough to allocate without a thought.
constexpr uint32_t kLargestList = 4u << 20;

// A neighbourhood whose list does not fit the buffer is not a failure: the driver says what size
// it needs, the list is read whole into a buffer that large (once; a list that grew again in
// between fails), and its first networks that fit are kept. Any other refusal is a failure.
bool QueryList() {
  uint32_t returned = 0;
  if (QueryOid(platform::kOid802_11BssidList, scanBuffer, kScanBufferSize, &returned) != 0) {
    return true;
  }
  const long error = platform::GetLastError();
  if ((error != platform::kErrorInsufficientBuffer && error != platform::kErrorMoreData) ||
      returned <= kScanBufferSize || returned > kLargestList) {
    return false;
  }
  std::vector<uint8_t> whole(returned);
  if (QueryOid(platform::kOid802_11BssidList, whole.data(), returned, &returned) == 0) {
    return false;
  }
  KeepLeadingItems(whole.data(), std::min<size_t>(returned, whole.size()), scanBuffer,
                   kScanBufferSize);
  return true;
}

uint32_t ListItemCount() {
  uint32_t count;
  std::memcpy(&count, scanBuffer, sizeof(count));
  return count;
}

}  // namespace

std::span<uint8_t, kScanBufferSize> ScanBuffer() {
  return std::span<uint8_t, kScanBufferSize>(scanBuffer);
}

bool ScanNetworks() {
  auto& clock = platform::Current().Clock();
  uint32_t mode = LibState().dualBand == 1 ? kWirelessModeDualBand : kWirelessModeAll24GHz;
  SetOid(kOidVendorWirelessModeSet, &mode, sizeof(mode), nullptr);
  // A first pass that fails to read the list, or reads an empty one, gets one more pass: an
  // adapter that has just come up often answers before it has heard any beacon.
  for (bool firstPass = true;; firstPass = false) {
    if (!RequestScan()) {
      clock.SleepMs(kScanRetryDelayMs);
      if (!RequestScan()) {
        // The reason is fetched, as for every failed driver request, but the survey's callers
        // only learn that it failed.
        [[maybe_unused]] const long error = platform::GetLastError();
        return false;
      }
    }
    clock.SleepMs(kScanDurationMs);
    if (!QueryList()) {
      if (firstPass) continue;
      return false;
    }
    if (ListItemCount() > 0 || !firstPass) return true;
  }
}

}  // namespace vtr

int32_t VTR_SiteSurveyEx(uint32_t filterMask, uint32_t sortKey, uint32_t sortDescending,
                         uint32_t scanMode, VtrSurveyEntry* entries, uint32_t signalFormat) try {
  const int32_t osClass = vtr::LibState().osClass;
  if (osClass == vtr::kOsWindows95 || osClass == vtr::kOsWindows98 ||
      osClass == vtr::kOsWindowsMe) {
    return -1;
  }
  if (scanMode == 1 && !vtr::ScanNetworks()) return -1;
  if (entries == nullptr) return 0;
  const auto list = vtr::ScanBuffer();
  const uint32_t count = vtr::BuildSurveyEntries(list.data(), list.size(), filterMask, signalFormat,
                                                 entries, vtr::kSurveyCapacity);
  vtr::SortEntries(sortKey, sortDescending, count, entries);
  return static_cast<int32_t>(count);
} catch (...) {
  return vtr::ExceptionAtBoundary(__func__, int32_t{-1});
}
