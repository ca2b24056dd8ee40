#include "lib/driver/survey_list.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "lib/common/channel_table.h"
#include "lib/common/information_elements_survey.h"
#include "lib/common/signal_percent.h"
#include "lib/driver/survey_band_mode.h"
#include "platform/ndis_802_11.h"
#include "vtrlib/codes.h"

namespace vtr {
namespace {

using platform::kNdisWlanBssidExHeaderSize;
using platform::NdisWlanBssidEx;

uint32_t LoadLe32(const uint8_t* bytes) {
  uint32_t value;
  std::memcpy(&value, bytes, sizeof(value));
  return value;
}

// The fixed part of an item, copied out: the list's bytes carry no alignment promise.
NdisWlanBssidEx ItemHeader(const uint8_t* item) {
  NdisWlanBssidEx header{};
  std::memcpy(&header, item, kNdisWlanBssidExHeaderSize);
  return header;
}

uint32_t FilterBitOfBand(uint32_t bandMode) {
  switch (bandMode) {
    case VTR_PHY_11A:
      return kFilter11a;
    case VTR_PHY_11B:
      return kFilter11b;
    default:
      return kFilter11g;
  }
}

void FillEntry(const NdisWlanBssidEx& header, uint32_t bandMode, const uint8_t* elements,
               size_t elementsLength, uint32_t signalFormat, VtrSurveyEntry& entry) {
  entry.phyMode = bandMode;
  // Exactly the name's bytes, no terminator: a caller that zeroed its array reads a text. A
  // length beyond the 32-byte field is a broken item; only the field is copied.
  const size_t ssidLength = std::min<size_t>(header.ssid.ssidLength, sizeof(header.ssid.ssid));
  std::memcpy(entry.ssid, header.ssid.ssid, ssidLength);
  entry.signal = (signalFormat & kSignalFormatDbm) != 0 ? header.rssi : SignalPercent(header.rssi);
  const uint8_t* mac = header.macAddress;
  std::snprintf(entry.bssid, sizeof(entry.bssid), "%02X-%02X-%02X-%02X-%02X-%02X", mac[0], mac[1],
                mac[2], mac[3], mac[4], mac[5]);
  entry.networkType = header.infrastructureMode == platform::kModeIbss ? VTR_NETWORK_ADHOC
                                                                       : VTR_NETWORK_INFRASTRUCTURE;
  // Real frequencies take at most "99.999 GHz"; a broken one is cut to the field, terminated.
  char frequency[32];
  std::snprintf(frequency, sizeof(frequency), "%.3f GHz", header.configuration.dsConfig * 0.000001);
  std::snprintf(entry.frequency, sizeof(entry.frequency), "%.*s",
                static_cast<int>(sizeof(entry.frequency) - 1), frequency);
  entry.channel = ChannelForFrequency(header.configuration.dsConfig);
  const SurveyElements read = ReadSurveyElements(elements, elementsLength, header.privacy != 0);
  entry.authMask = read.security.authMask;
  entry.cipherMask = read.security.cipherMask;
  entry.isHt = read.isHt ? 1 : 0;
  entry.hasWps = read.wps.hasWps;
  entry.wpsPbcActive = read.wps.wpsPbcActive;
}

}  // namespace

uint32_t BuildSurveyEntries(const uint8_t* list, size_t length, uint32_t filterMask,
                            uint32_t signalFormat, VtrSurveyEntry* entries, uint32_t capacity) {
  if (list == nullptr || length < platform::kBssidListHeaderSize) return 0;
  const uint32_t itemCount = LoadLe32(list);
  size_t offset = platform::kBssidListHeaderSize;
  uint32_t written = 0;
  for (uint32_t i = 0; i < itemCount && written < capacity; ++i) {
    if (length - offset < kNdisWlanBssidExHeaderSize) break;
    const uint8_t* item = list + offset;
    const uint32_t itemLength = LoadLe32(item);
    // A length shorter than the fixed part would make the walk stand still or go back into the
    // item itself; one past the list's end cannot be trusted either. Both end the walk.
    if (itemLength < kNdisWlanBssidExHeaderSize || itemLength > length - offset) break;
    offset += itemLength;

    const NdisWlanBssidEx header = ItemHeader(item);
    const uint32_t bandMode = BandMode(header.configuration.dsConfig, header.supportedRates);
    const bool adHoc = header.infrastructureMode == platform::kModeIbss;
    // Ad hoc networks go by their own bit only, whatever their band.
    const uint32_t filterBit = adHoc ? kFilterAdHoc : FilterBitOfBand(bandMode);
    if ((filterMask & filterBit) != 0) continue;

    // The beacon's fixed fields come first; the elements follow them.
    const size_t ieLength =
        std::min<size_t>(header.ieLength, itemLength - kNdisWlanBssidExHeaderSize);
    const size_t elementsLength =
        ieLength > platform::kFixedIeFieldsSize ? ieLength - platform::kFixedIeFieldsSize : 0;
    const uint8_t* elements = elementsLength > 0
                                  ? item + kNdisWlanBssidExHeaderSize + platform::kFixedIeFieldsSize
                                  : nullptr;
    FillEntry(header, bandMode, elements, elementsLength, signalFormat, entries[written]);
    ++written;
  }
  return written;
}

size_t KeepLeadingItems(const uint8_t* list, size_t length, uint8_t* into, size_t capacity) {
  constexpr size_t kHeader = platform::kBssidListHeaderSize;
  if (capacity < kHeader) return 0;
  const uint32_t itemCount = list != nullptr && length >= kHeader ? LoadLe32(list) : 0;
  size_t offset = kHeader;
  uint32_t kept = 0;
  for (; kept < itemCount; ++kept) {
    if (length - offset < kNdisWlanBssidExHeaderSize) break;
    const uint32_t itemLength = LoadLe32(list + offset);
    if (itemLength < kNdisWlanBssidExHeaderSize || itemLength > length - offset) break;
    if (itemLength > capacity - offset) break;
    std::memcpy(into + offset, list + offset, itemLength);
    offset += itemLength;
  }
  std::memcpy(into, &kept, sizeof(kept));
  return offset;
}

}  // namespace vtr
