// Building, filtering and sorting survey entries from a full BSSID list, as VTR_SiteSurveyEx
// does when it re-reads the last list (any scan mode but 1): no driver request, no scan wait.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

// The survey lives inside the adapter library with hidden visibility; the benchmark builds its
// own copy of it, export included (bench/CMakeLists.txt).
#include "lib/common/channel_table.h"
#include "lib/common/information_elements.h"
#include "lib/common/information_elements_ht.h"
#include "lib/common/information_elements_security.h"
#include "lib/common/information_elements_wps.h"
#include "lib/common/signal_percent.h"
#include "lib/common/survey_sort.h"
#include "lib/driver/lib_state.h"
#include "lib/driver/oid_channel.h"
#include "lib/driver/site_survey.h"
#include "lib/driver/survey_band_mode.h"
#include "lib/driver/survey_list.h"
#include "vtrlib.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Element(uint8_t id, const Bytes& body) {
  Bytes element(2 + body.size());
  element[0] = id;
  element[1] = static_cast<uint8_t>(body.size());
  std::copy(body.begin(), body.end(), element.begin() + 2);
  return element;
}

// Security, 802.11n and WPS elements as a WPA2 access point of the time sends them.
Bytes BeaconElements(const char* ssid) {
  Bytes all = Element(0, Bytes(ssid, ssid + std::strlen(ssid)));
  auto add = [&all](const Bytes& element) {
    const size_t at = all.size();
    all.resize(at + element.size());
    std::copy(element.begin(), element.end(), all.begin() + static_cast<std::ptrdiff_t>(at));
  };
  add(Element(1, {0x82, 0x84, 0x8B, 0x96, 0x0C, 0x12, 0x18, 0x24}));
  add(Element(48, {1, 0,    0,    0x0F, 0xAC, 2, 2, 0,    0,    0x0F, 0xAC, 2,
                   0, 0x0F, 0xAC, 4,    1,    0, 0, 0x0F, 0xAC, 2,    0,    0}));
  add(Element(221, {0, 0x50, 0xF2, 1,    1, 0, 0, 0x50, 0xF2, 2,    1,
                    0, 0,    0x50, 0xF2, 2, 1, 0, 0,    0x50, 0xF2, 2}));
  add(Element(45, Bytes(26, 0)));
  add(Element(61, Bytes(22, 0)));
  add(Element(221, {0, 0x50, 0xF2, 4, 0x10, 0x4A, 0,    1,    0x10, 0x10, 0x44, 0, 1,
                    2, 0x10, 0x41, 0, 1,    1,    0x10, 0x12, 0,    2,    0,    4}));
  return all;
}

// Fills ScanBuffer with as many items as fit (at most maxItems) and returns their number.
uint32_t FillScanBuffer(bool withElements, uint32_t maxItems) {
  static const uint32_t kFrequencies[] = {2412000, 2437000, 2462000, 5180000, 5745000, 2484000};
  auto buffer = vtr::ScanBuffer();
  std::memset(buffer.data(), 0, buffer.size());
  size_t offset = platform::kBssidListHeaderSize;
  uint32_t count = 0;
  for (; count < maxItems; ++count) {
    char ssid[33];
    std::snprintf(ssid, sizeof(ssid), "Network-%03u", count);
    const Bytes elements = withElements ? BeaconElements(ssid) : Bytes{};
    const size_t ieLength = platform::kFixedIeFieldsSize + elements.size();
    const size_t length = platform::kNdisWlanBssidExHeaderSize + ieLength;
    if (offset + length > buffer.size()) break;
    platform::NdisWlanBssidEx item{};
    item.length = static_cast<uint32_t>(length);
    const uint8_t mac[6] = {
        0x00, 0x0C, 0x43, 0x10, static_cast<uint8_t>(count >> 8), static_cast<uint8_t>(count)};
    std::memcpy(item.macAddress, mac, sizeof(mac));
    item.ssid.ssidLength = static_cast<uint32_t>(std::strlen(ssid));
    std::memcpy(item.ssid.ssid, ssid, item.ssid.ssidLength);
    item.privacy = count % 3 != 0;
    item.rssi = -30 - static_cast<int32_t>((count * 7) % 65);
    item.configuration.dsConfig = kFrequencies[count % 6];
    item.infrastructureMode = count % 10 == 9 ? platform::kModeIbss : platform::kModeInfrastructure;
    const uint8_t rates[] = {0x82, 0x84, 0x8B, 0x96, 0x0C, 0x12, 0x18, 0x24};
    std::memcpy(item.supportedRates, rates, count % 4 == 0 ? 4 : sizeof(rates));
    item.ieLength = static_cast<uint32_t>(ieLength);
    std::memcpy(buffer.data() + offset, &item, platform::kNdisWlanBssidExHeaderSize);
    std::memcpy(buffer.data() + offset + platform::kNdisWlanBssidExHeaderSize +
                    platform::kFixedIeFieldsSize,
                elements.data(), elements.size());
    offset += length;
  }
  std::memcpy(buffer.data(), &count, sizeof(count));
  return count;
}

void Survey(benchmark::State& state, bool withElements, uint32_t sortKey, uint32_t descending) {
  vtr::LibState().osClass = vtr::kOsWindowsXp;
  const uint32_t items = FillScanBuffer(withElements, 192);
  std::vector<VtrSurveyEntry> entries(vtr::kSurveyCapacity);
  int32_t written = 0;
  for (auto _ : state) {
    written = VTR_SiteSurveyEx(0, sortKey, descending, 0, entries.data(), 0);
    benchmark::DoNotOptimize(written);
    benchmark::ClobberMemory();
  }
  state.counters["items"] = items;
  state.counters["written"] = written;
}

// 192 items of the fixed part and the beacon's fixed fields fill the 24,584-byte buffer; every
// column in both directions, and the list unsorted, in one run so that they compare.
[[maybe_unused]] const bool registered = [] {
  static const char* const kColumns[] = {"name",    "bssid",  "security",     "wps",
                                         "channel", "signal", "network_type", "frequency"};
  for (uint32_t key = 0; key < 8; ++key) {
    for (uint32_t descending : {0u, 1u}) {
      const std::string name = std::string("Survey/full_list_by_") + kColumns[key] +
                               (descending != 0 ? "_descending" : "_ascending");
      benchmark::RegisterBenchmark(name.c_str(), Survey, false, key, descending)
          ->Unit(benchmark::kMicrosecond);
    }
  }
  benchmark::RegisterBenchmark("Survey/full_list_unsorted", Survey, false, 8u, 0u)
      ->Unit(benchmark::kMicrosecond);
  // Items with the elements real beacons carry: fewer fit, each costs the parsers more.
  benchmark::RegisterBenchmark("Survey/beacons_with_elements_by_signal", Survey, true, 5u, 1u)
      ->Unit(benchmark::kMicrosecond);
  return true;
}();

}  // namespace
