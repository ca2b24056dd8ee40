// The Vista build's site survey: a fresh scan when asked, then the service's BSS list as survey
// entries, sorted.
#include "lib/common/survey_sort.h"
#include "lib/nativewifi/base_vista_lib.h"
#include "lib/nativewifi/bss_survey.h"
#include "lib/nativewifi/vista_state.h"
#include "lib/nativewifi/vista_trace.h"
#include "lib/nativewifi/wlan_memory.h"
#include "platform/services.h"

namespace vtr {
namespace {

constexpr int32_t kChipsetShortScan = 1;
constexpr int32_t kChipsetReportsBssidOnce = 4;
constexpr uint32_t kShortScanWaitMs = 10'000;
constexpr uint32_t kScanWaitMs = 30'000;

}  // namespace

int32_t CBaseVistaLib::SiteSurveyEx(uint32_t filterMask, uint32_t sortKey, uint32_t sortDescending,
                                    uint32_t scanMode, VtrSurveyEntry* entries,
                                    uint32_t signalFormat) {
  auto& wlan = platform::Current().NativeWifi();
  auto& events = platform::Current().Events();
  const platform::WlanGuid guid = VistaInterfaceGuid();
  const bool shortScan = chipsetCode_ == kChipsetShortScan;
  if (scanMode == 1) {
    VistaTrace("call WlanScan()");
    const platform::EventHandle scanComplete = VistaState().scanComplete;
    events.ResetEvent(scanComplete);
    if (wlan.WlanScan(wlanHandle_, guid) != 0) return 0;
    if (events.WaitForSingleObject(scanComplete, shortScan ? kShortScanWaitMs : kScanWaitMs) !=
        platform::kWaitObject0) {
      VistaTrace(shortScan ? "call WlanScan() 10 Sec TIMEOUT" : "call WlanScan() TIMEOUT");
      return 0;
    }
  }
  platform::WlanBssList* raw = nullptr;
  if (wlan.WlanGetNetworkBssList(wlanHandle_, guid, platform::kDot11BssAny, false, &raw) != 0) {
    return 0;
  }
  const WlanMemory<platform::WlanBssList> list(raw);
  if (entries == nullptr) return 0;
  BssSurveyOptions options;
  options.filterMask = filterMask;
  options.signalFormat = signalFormat;
  options.reportBssidOnce = chipsetCode_ == kChipsetReportsBssidOnce;
  uint32_t count = 0;
  {
    std::lock_guard lock(listMutex_);
    reportedBssids_.clear();
    count = WriteBssEntries(*list, options, entries, reportedBssids_);
  }
  SortEntries(sortKey, sortDescending, count, entries);
  return static_cast<int32_t>(count);
}

}  // namespace vtr
