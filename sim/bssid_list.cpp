#include "sim/bssid_list.h"

#include <algorithm>
#include <cstring>

#include "platform/ndis_802_11.h"
#include "sim/beacon_elements.h"

namespace sim {
namespace {

template <typename T>
void Put(std::vector<uint8_t>& out, size_t offset, T value) {
  std::memcpy(out.data() + offset, &value, sizeof value);
}

// Each access point started at its own moment, so timestamps differ between networks the way
// they do on the air.
uint64_t TimestampUs(const NetworkDescription& network, uint64_t nowMs) {
  uint64_t started = 0;
  for (uint8_t byte : network.bssid) started = started * 31 + byte;
  return (nowMs + started % 86'400'000) * 1000;
}

}  // namespace

uint32_t NetworkTypeInUse(const NetworkDescription& network) {
  if (network.frequencyMHz > 5000) return platform::kNetworkOfdm5;
  const bool ofdm = std::any_of(network.rates.begin(), network.rates.end(), [](uint8_t rate) {
    const uint8_t r = rate & 0x7F;
    return r != 2 && r != 4 && r != 11 && r != 22;
  });
  return ofdm ? platform::kNetworkOfdm24 : platform::kNetworkDs;
}

void AppendBssidItem(std::vector<uint8_t>& list, const NetworkDescription& network,
                     uint64_t nowMs) {
  using platform::NdisWlanBssidEx;
  const std::vector<uint8_t> elements = BeaconElements(network);
  const size_t ieLength = platform::kFixedIeFieldsSize + elements.size();
  const size_t length = (platform::kNdisWlanBssidExHeaderSize + ieLength + 3) & ~size_t{3};
  const size_t at = list.size();
  list.resize(at + length, 0);

  Put(list, at + offsetof(NdisWlanBssidEx, length), static_cast<uint32_t>(length));
  std::memcpy(list.data() + at + offsetof(NdisWlanBssidEx, macAddress), network.bssid.data(), 6);
  if (!network.hidden) {
    const size_t ssidAt = at + offsetof(NdisWlanBssidEx, ssid);
    Put(list, ssidAt, static_cast<uint32_t>(network.ssid.size()));
    if (!network.ssid.empty()) {
      std::memcpy(list.data() + ssidAt + 4, network.ssid.data(), network.ssid.size());
    }
  }
  Put(list, at + offsetof(NdisWlanBssidEx, privacy), uint32_t{HasPrivacy(network) ? 1u : 0u});
  Put(list, at + offsetof(NdisWlanBssidEx, rssi), network.rssi);
  Put(list, at + offsetof(NdisWlanBssidEx, networkTypeInUse), NetworkTypeInUse(network));

  platform::Ndis80211Configuration configuration{};
  configuration.length = sizeof configuration;
  configuration.beaconPeriod = network.beaconInterval;
  configuration.dsConfig = network.frequencyMHz * 1000;
  configuration.fhConfig.length = sizeof configuration.fhConfig;
  Put(list, at + offsetof(NdisWlanBssidEx, configuration), configuration);

  Put(list, at + offsetof(NdisWlanBssidEx, infrastructureMode),
      uint32_t{network.adhoc ? platform::kModeIbss : platform::kModeInfrastructure});
  if (!network.rates.empty()) {
    std::memcpy(list.data() + at + offsetof(NdisWlanBssidEx, supportedRates), network.rates.data(),
                std::min<size_t>(network.rates.size(), 16));
  }
  Put(list, at + offsetof(NdisWlanBssidEx, ieLength), static_cast<uint32_t>(ieLength));

  const size_t ies = at + platform::kNdisWlanBssidExHeaderSize;
  Put(list, ies, TimestampUs(network, nowMs));
  Put(list, ies + 8, network.beaconInterval);
  Put(list, ies + 10, BeaconCapabilities(network));
  if (!elements.empty()) {
    std::memcpy(list.data() + ies + platform::kFixedIeFieldsSize, elements.data(), elements.size());
  }
}

std::vector<uint8_t> BuildBssidList(const std::vector<NetworkDescription>& networks,
                                    uint64_t nowMs) {
  std::vector<uint8_t> list(platform::kBssidListHeaderSize, 0);
  list.reserve(4096);
  for (const auto& network : networks) AppendBssidItem(list, network, nowMs);
  Put(list, 0, static_cast<uint32_t>(networks.size()));
  return list;
}

}  // namespace sim
