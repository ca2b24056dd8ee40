#include "sim/link_rates.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/ndis_802_11.h"
#include "sim/miniport.h"

namespace sim {
namespace {

struct LegacyRate {
  uint8_t halfMbps;
  int32_t sensitivityDbm;
  uint32_t descriptor;  // index and family
  bool dsss;
};

constexpr LegacyRate kLegacyRates[] = {
    {2, -94, 0, true},
    {4, -91, 1, true},
    {11, -89, 2, true},
    {22, -86, 3, true},
    {12, -87, kRateFamilyOfdm | 0, false},
    {18, -86, kRateFamilyOfdm | 1, false},
    {24, -84, kRateFamilyOfdm | 2, false},
    {36, -82, kRateFamilyOfdm | 3, false},
    {48, -79, kRateFamilyOfdm | 4, false},
    {72, -75, kRateFamilyOfdm | 5, false},
    {96, -71, kRateFamilyOfdm | 6, false},
    {108, -69, kRateFamilyOfdm | 7, false},
};

// 802.11n, one spatial stream, 20 MHz with the long guard interval; two streams (MCS 8-15) carry
// twice as much and need 3 dB more, as does a 40 MHz channel.
constexpr double kHt20Mbps[8] = {6.5, 13, 19.5, 26, 39, 52, 58.5, 65};
constexpr double kHt40Mbps[8] = {13.5, 27, 40.5, 54, 81, 108, 121.5, 135};
constexpr int32_t kHtSensitivityDbm[8] = {-85, -82, -80, -77, -73, -69, -67, -65};

// Driver wireless modes (vendor request 0x0DF1010C).
constexpr uint32_t kModeBOnly = 1;
constexpr uint32_t kModeABGN = 5;
constexpr uint32_t kModeBGN = 9;

// The preamble setting 0x0DF10101: 0 long, 1 short, 2 automatic.
constexpr uint32_t kPreambleLong = 0;

std::vector<uint8_t> SettingBytes(const AdapterState& state, uint32_t oid,
                                  std::vector<uint8_t> fallback) {
  auto it = state.settings.find(oid);
  return it != state.settings.end() ? it->second : fallback;
}

uint32_t SettingU32(const AdapterState& state, uint32_t oid, uint32_t fallback) {
  const auto bytes = SettingBytes(state, oid, {});
  if (bytes.size() < 4) return fallback;
  uint32_t value = 0;
  std::memcpy(&value, bytes.data(), 4);
  return value;
}

const LegacyRate* FindLegacy(uint8_t halfMbps) {
  for (const auto& rate : kLegacyRates) {
    if (rate.halfMbps == halfMbps) return &rate;
  }
  return nullptr;
}

std::vector<uint8_t> DesiredRates(const AdapterState& state) {
  std::vector<uint8_t> rates;
  for (uint8_t rate :
       SettingBytes(state, platform::kOid802_11DesiredRates, {108, 96, 72, 48, 22, 11, 4, 2})) {
    if ((rate & 0x7F) != 0) rates.push_back(rate & 0x7F);
  }
  return rates;
}

// The legacy rates both sides can use; never empty while the network lists any rate.
std::vector<const LegacyRate*> CommonLegacyRates(const AdapterState& state,
                                                 const std::vector<uint8_t>& offered) {
  const auto desired = DesiredRates(state);
  const bool bOnly = SettingU32(state, kOidVendorWirelessModeSetting, kModeBGN) == kModeBOnly;
  std::vector<const LegacyRate*> common;
  const LegacyRate* lowest = nullptr;
  for (uint8_t byte : offered) {
    const LegacyRate* rate = FindLegacy(byte & 0x7F);
    if (rate == nullptr) continue;
    if (lowest == nullptr || rate->halfMbps < lowest->halfMbps) lowest = rate;
    if (bOnly && !rate->dsss) continue;
    if (std::find(desired.begin(), desired.end(), rate->halfMbps) == desired.end()) continue;
    common.push_back(rate);
  }
  // With nothing in common the station still talks at the network's lowest rate.
  if (common.empty() && lowest != nullptr) common.push_back(lowest);
  return common;
}

LinkRate LegacyAt(const AdapterState& state, const std::vector<const LegacyRate*>& rates,
                  int32_t rssi) {
  // The fastest rate the signal carries; below them all, the slowest there is.
  const LegacyRate* chosen = nullptr;
  const LegacyRate* slowest = nullptr;
  for (const LegacyRate* rate : rates) {
    if (slowest == nullptr || rate->halfMbps < slowest->halfMbps) slowest = rate;
    if (rate->sensitivityDbm <= rssi && (chosen == nullptr || rate->halfMbps > chosen->halfMbps)) {
      chosen = rate;
    }
  }
  if (chosen == nullptr) chosen = slowest;
  if (chosen == nullptr) return {};
  uint32_t descriptor = chosen->descriptor;
  const bool shortPreamble = SettingU32(state, kOidVendorPreamble, kPreambleLong) != kPreambleLong;
  if (chosen->dsss && chosen->halfMbps != 2 && shortPreamble) descriptor += 8;
  return {descriptor, chosen->halfMbps};
}

bool HtUsable(const AdapterState& state, const NetworkDescription& network) {
  if (network.ht == HtKind::kNone) return false;
  const uint32_t mode = SettingU32(state, kOidVendorWirelessModeSetting, kModeBGN);
  if (mode != kModeABGN && mode != kModeBGN) return false;
  // A single desired rate is a fixed rate: no rate adaptation, no MCS.
  return DesiredRates(state).size() > 1;
}

std::optional<LinkRate> HtAt(const AdapterState& state, int32_t rssi) {
  const auto record =
      SettingBytes(state, kOidVendorHtSettings, {9, 0, 0, 0, 2, 0, 0, 33, 0, 1, 1, 0});
  const bool wide = record.size() > 8 && record[8] == 1;
  const bool shortGuard = record.size() > 10 && record[10] == 1;
  const double* rates = wide ? kHt40Mbps : kHt20Mbps;
  double best = 0;
  uint32_t bestMcs = 0;
  for (uint32_t mcs = 0; mcs < 16; ++mcs) {
    const int32_t needed = kHtSensitivityDbm[mcs % 8] + (mcs >= 8 ? 3 : 0) + (wide ? 3 : 0);
    if (needed > rssi) continue;
    double mbps = rates[mcs % 8] * (mcs >= 8 ? 2 : 1);
    if (shortGuard) mbps = mbps * 10 / 9;
    if (mbps > best) {
      best = mbps;
      bestMcs = mcs;
    }
  }
  if (best == 0) return std::nullopt;
  LinkRate rate;
  rate.descriptor =
      kRateFamilyHt | bestMcs | (wide ? kRateWidth40 : 0) | (shortGuard ? kRateShortGuard : 0);
  rate.halfMbps = static_cast<uint32_t>(std::lround(best * 2));
  return rate;
}

LinkRate RateAt(const AdapterState& state, const NetworkDescription& network, int32_t rssi) {
  if (HtUsable(state, network)) {
    if (auto ht = HtAt(state, rssi)) return *ht;
  }
  return LegacyAt(state, CommonLegacyRates(state, network.rates), rssi);
}

}  // namespace

LinkRates RatesOnLink(const AdapterState& state, const NetworkDescription* network, int32_t rssi) {
  if (network == nullptr) {
    // Alone in its IBSS the station sends at the top of the rate record it was given.
    const auto record = SettingBytes(state, kOidVendorAdhocRates, {4, 0x82, 0x84, 0x8B, 0x96});
    std::vector<uint8_t> own;
    for (size_t i = 1; i < record.size() && i <= std::min<size_t>(record[0], 12); ++i) {
      own.push_back(record[i]);
    }
    if (record.size() == 26) {
      for (size_t i = 14; i < 26 && i < 14u + std::min<size_t>(record[13], 12); ++i) {
        own.push_back(record[i]);
      }
    }
    const LinkRate top = LegacyAt(state, CommonLegacyRates(state, own), 0);
    return {top, top};
  }
  return {RateAt(state, *network, rssi), RateAt(state, *network, rssi + kReceiveAdvantageDb)};
}

uint32_t LinkQuality(int32_t rssi) {
  return static_cast<uint32_t>(std::clamp(2 * (rssi + 100), 0, 100));
}

}  // namespace sim
