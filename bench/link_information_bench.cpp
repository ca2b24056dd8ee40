// One VTR_APLinkInformation call against a driver that answers at once: what the library itself
// costs per link poll (ten requests' worth of decoding, two rates through CHTTable), without the
// channel to a device. The utility polls every second; the target is under 50 µs a call.
#include <benchmark/benchmark.h>

#include <cstring>

#include "lib/driver/lib_state.h"
#include "lib/driver/oid_channel.h"
#include "platform/ndis_802_11.h"
#include "vtrlib.h"

// The benchmark builds its own copy of the link information (bench/CMakeLists.txt) and stands in
// for the driver channel and the adapter check below.
namespace vtr {

int QueryOid(uint32_t oid, void* buffer, uint32_t length, uint32_t* returned) {
  using namespace platform;
  auto answer = [&](const void* data, uint32_t size) {
    if (length < size) return 0;
    std::memcpy(buffer, data, size);
    if (returned != nullptr) *returned = size;
    return 1;
  };
  auto u32 = [&](uint32_t value) { return answer(&value, 4); };
  switch (oid) {
    case kOidGenMediaConnectStatus:
      return u32(kMediaConnected);
    case kOid802_11Ssid: {
      Ndis80211Ssid ssid{};
      ssid.ssidLength = 7;
      std::memcpy(ssid.ssid, "HomeNet", 7);
      return answer(&ssid, sizeof(ssid));
    }
    case kOid802_11Bssid: {
      const uint8_t bssid[6] = {0x00, 0x14, 0x6C, 0x3A, 0x51, 0x02};
      return answer(bssid, 6);
    }
    case kOid802_11AuthenticationMode:
      return u32(kAuthWpa2Psk);
    case kOid802_11EncryptionStatus:
      return u32(kAesEnabled);
    case kOid802_11InfrastructureMode:
      return u32(kModeInfrastructure);
    case kOid802_11Configuration: {
      Ndis80211Configuration configuration{};
      configuration.length = sizeof(configuration);
      configuration.dsConfig = 2437000;
      return answer(&configuration, sizeof(configuration));
    }
    case kOidVendorLinkStatistics: {
      const uint32_t statistics[5] = {108, 80, 0, 0, 0};
      return answer(statistics, sizeof(statistics));
    }
    case kOid802_11Rssi:
      return u32(static_cast<uint32_t>(-55));
    case kOidVendorTxRate:
      return u32((2u << 14) | 0x180 | 15);  // HT, 40 MHz, short guard, MCS 15
    case kOidVendorRxRate:
      return u32((1u << 14) | 7);  // OFDM 54 Mbit/s
    default:
      return 0;
  }
}

int SetOid(uint32_t, void*, uint32_t, uint32_t*) {
  return 0;
}

}  // namespace vtr

VtrBool VTR_IsCardConnect(void) {
  return 1;
}

namespace {

void BM_LinkInformation(benchmark::State& state) {
  vtr::LibState().osClass = vtr::kOsWindowsXp;
  const uint32_t flags = static_cast<uint32_t>(state.range(0));
  VtrLinkInfo link{};
  for (auto _ : state) {
    VTR_APLinkInformation(&link, flags);
    benchmark::DoNotOptimize(link);
  }
  if (link.linkState != 1 || link.txRate != 3000 || link.rxRate != 540) {
    state.SkipWithError("the link was not decoded");
  }
}
BENCHMARK(BM_LinkInformation)->Arg(0)->Arg(1)->ArgNames({"dbm"});

}  // namespace
