#include "lib/nativewifi/bss_survey.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "lib/common/channel_table.h"
#include "lib/common/information_elements_survey.h"

namespace vtr {
namespace {

constexpr uint32_t kChannel14Khz = 2'484'000;
constexpr uint16_t kCapabilityPrivacy = 0x0010;
constexpr uint32_t kFilterAdhoc = 1;

// The filter bit that hides infrastructure networks of a band mode.
uint32_t FilterBitOfPhyMode(uint32_t phyMode) {
  switch (phyMode) {
    case 6:
      return 2;
    case 2:
      return 4;
    case 4:
      return 8;
    default:
      return 0;
  }
}

std::string BssidText(const uint8_t* bssid) {
  char text[19];
  std::snprintf(text, sizeof text, "%02X-%02X-%02X-%02X-%02X-%02X", bssid[0], bssid[1], bssid[2],
                bssid[3], bssid[4], bssid[5]);
  return text;
}

void WriteEntry(const platform::WlanBssEntry& bss, uint32_t phyMode, const std::string& bssid,
                uint32_t signalFormat, VtrSurveyEntry& entry) {
  entry.phyMode = phyMode;
  std::memset(entry.ssid, 0, sizeof entry.ssid);
  // A hidden network's name is empty, and its data pointer may be null.
  if (!bss.ssid.empty()) {
    std::memcpy(entry.ssid, bss.ssid.data(), std::min<size_t>(bss.ssid.size(), 32));
  }
  std::snprintf(entry.bssid, sizeof entry.bssid, "%s", bssid.c_str());
  entry.signal = (signalFormat & 1) != 0 ? bss.rssi : static_cast<int32_t>(bss.linkQuality);
  entry.networkType = bss.bssType == platform::kDot11BssInfrastructure ? 1 : 0;
  char frequency[32];
  std::snprintf(frequency, sizeof frequency, "%.3f GHz", bss.centerFrequencyKhz / 1'000'000.0);
  std::snprintf(entry.frequency, sizeof entry.frequency, "%.*s",
                static_cast<int>(sizeof entry.frequency - 1), frequency);
  entry.channel = ChannelForFrequency(bss.centerFrequencyKhz);
  const uint8_t* elements = bss.ies.data();
  const size_t length = bss.ies.size();
  const SurveyElements read =
      ReadSurveyElements(elements, length, (bss.capabilityInformation & kCapabilityPrivacy) != 0);
  entry.authMask = read.security.authMask;
  entry.cipherMask = read.security.cipherMask;
  entry.isHt = read.isHt ? 1 : 0;
  entry.hasWps = read.wps.hasWps;
  entry.wpsPbcActive = read.wps.wpsPbcActive;
}

}  // namespace

uint32_t SurveyPhyMode(uint32_t phyType, uint32_t centerFrequencyKhz) {
  switch (phyType) {
    case 4:
      return 6;
    case 5:
      return 2;
    case 6:
      return 4;
    case 7:
      return centerFrequencyKhz > kChannel14Khz ? 6 : 4;
    default:
      return 10;
  }
}

uint32_t WriteBssEntries(const platform::WlanBssList& list, const BssSurveyOptions& options,
                         VtrSurveyEntry* entries, std::vector<std::string>& reported) {
  uint32_t count = 0;
  for (const platform::WlanBssEntry& bss : list.entries) {
    if (count == kMaxSurveyEntries) break;
    const std::string bssid = BssidText(bss.bssid);
    if (options.reportBssidOnce &&
        std::find(reported.begin(), reported.end(), bssid) != reported.end()) {
      continue;
    }
    const uint32_t phyMode = SurveyPhyMode(bss.phyType, bss.centerFrequencyKhz);
    if (bss.bssType == platform::kDot11BssIndependent) {
      if ((options.filterMask & kFilterAdhoc) != 0) continue;
    } else if ((options.filterMask & FilterBitOfPhyMode(phyMode)) != 0) {
      continue;
    }
    WriteEntry(bss, phyMode, bssid, options.signalFormat, entries[count]);
    reported.push_back(bssid);
    ++count;
  }
  return count;
}

}  // namespace vtr
