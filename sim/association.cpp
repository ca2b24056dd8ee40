#include "sim/association.h"

#include <algorithm>
#include <cstring>

#include "platform/ndis_802_11.h"
#include "sim/adapter_scan.h"
#include "sim/dhcp_client.h"
#include "sim/interface_counters.h"

namespace sim {
namespace {

using namespace platform;

uint32_t SettingU32(const AdapterState& state, uint32_t oid, uint32_t fallback) {
  auto it = state.settings.find(oid);
  if (it == state.settings.end() || it->second.size() < 4) return fallback;
  uint32_t value = 0;
  std::memcpy(&value, it->second.data(), 4);
  return value;
}

// The SSID the driver was given; nothing when none is set.
std::optional<std::vector<uint8_t>> DesiredSsid(const AdapterState& state) {
  auto it = state.settings.find(kOid802_11Ssid);
  if (it == state.settings.end() || it->second.size() < sizeof(Ndis80211Ssid)) {
    return std::nullopt;
  }
  Ndis80211Ssid ssid{};
  std::memcpy(&ssid, it->second.data(), sizeof ssid);
  return std::vector<uint8_t>(ssid.ssid, ssid.ssid + std::min<uint32_t>(ssid.ssidLength, 32));
}

bool IsParking(const std::vector<uint8_t>& ssid) {
  return ssid.size() == sizeof kParkingSsid &&
         std::equal(ssid.begin(), ssid.end(), std::begin(kParkingSsid));
}

// A group (default) key the station holds in a slot.
const StoredKey* KeyAt(const AdapterState& state, uint32_t slot) {
  const StoredKey* found = nullptr;
  for (const auto& key : state.keys) {
    if ((key.keyIndex & kKeyIndexPairwise) == 0 && (key.keyIndex & 0xFF) == slot) found = &key;
  }
  return found;
}

const StoredKey* TransmitKey(const AdapterState& state) {
  const StoredKey* found = nullptr;
  for (const auto& key : state.keys) {
    if ((key.keyIndex & kKeyIndexPairwise) == 0 && (key.keyIndex & kKeyIndexTransmit) != 0) {
      found = &key;
    }
  }
  return found;
}

bool SameKey(const StoredKey* station, const NetworkCredentials& ap, uint32_t slot) {
  return station != nullptr && slot < ap.wepKeys.size() && station->material == ap.wepKeys[slot];
}

// The station encrypts with its transmit key; the access point decrypts with its key of the same
// slot. Shared-key authentication is that check on the challenge.
bool StationKeyAccepted(const AdapterState& state, const NetworkCredentials& ap) {
  const StoredKey* transmit = TransmitKey(state);
  return transmit != nullptr && SameKey(transmit, ap, transmit->keyIndex & 0xFF);
}

// Frames from the access point come under its own transmit key, which the station must hold too.
bool FramesPassBothWays(const AdapterState& state, const NetworkCredentials& ap) {
  return StationKeyAccepted(state, ap) && SameKey(KeyAt(state, ap.wepKeyIndex), ap, ap.wepKeyIndex);
}

bool IsRsn(NetworkSecurity security) {
  return security != NetworkSecurity::kOpen && security != NetworkSecurity::kWep;
}

bool ModeFits(uint32_t mode, const NetworkDescription& network) {
  if (mode == kModeIbss) return network.adhoc;
  if (mode == kModeInfrastructure) return !network.adhoc;
  return true;
}

// 802.11 authentication and association with one network; the result says why it failed.
JoinResult TryNetwork(const AdapterState& state, const NetworkDescription& network,
                      bool& framesPass) {
  const bool stationWep =
      SettingU32(state, kOid802_11EncryptionStatus, kEncryptionDisabled) == kWepEnabled;
  const uint32_t authentication = SettingU32(state, kOid802_11AuthenticationMode, kAuthOpen);
  if (IsRsn(network.security)) {
    // The supplicant checked the credentials against this network before it installed keys.
    const bool keyed = state.rsnKeys && state.rsnKeys->ssid == network.ssid;
    return keyed ? JoinResult::kJoined : JoinResult::kNeedsSupplicant;
  }
  if (HasPrivacy(network) != stationWep) return JoinResult::kPrivacyMismatch;
  if (authentication > kAuthAutoSwitch) return JoinResult::kAuthenticationRefused;
  framesPass = true;
  if (!stationWep) {
    // An access point without privacy offers open system only.
    return authentication == kAuthShared ? JoinResult::kAuthenticationRefused : JoinResult::kJoined;
  }
  const NetworkCredentials& ap = network.credentials;
  const bool apOpen = network.wepAuthentication != WepAuthentication::kShared;
  const bool apShared = network.wepAuthentication != WepAuthentication::kOpen;
  framesPass = FramesPassBothWays(state, ap);
  // Automatic switching tries shared key first and falls back to open system.
  if (authentication == kAuthShared || (authentication == kAuthAutoSwitch && !apOpen)) {
    if (!apShared) return JoinResult::kAuthenticationRefused;
    return StationKeyAccepted(state, ap) ? JoinResult::kJoined : JoinResult::kChallengeFailed;
  }
  if (authentication == kAuthAutoSwitch && apShared && StationKeyAccepted(state, ap)) {
    return JoinResult::kJoined;
  }
  return apOpen ? JoinResult::kJoined : JoinResult::kAuthenticationRefused;
}

// A station's own IBSS address: locally administered, from its own address and the name.
std::array<uint8_t, 6> IbssBssid(const AdapterDescription& adapter,
                                 const std::vector<uint8_t>& ssid) {
  uint32_t hash = 2166136261u;
  auto mix = [&](uint8_t byte) { hash = (hash ^ byte) * 16777619u; };
  for (uint8_t byte : adapter.mac) mix(byte);
  for (uint8_t byte : ssid) mix(byte);
  std::array<uint8_t, 6> bssid{};
  bssid[0] = 0x02;
  bssid[1] = adapter.mac.size() > 5 ? adapter.mac[5] : 0;
  for (int i = 2; i < 6; ++i) bssid[i] = static_cast<uint8_t>(hash >> (8 * (i - 2)));
  return bssid;
}

JoinAttempt StartIbss(const AdapterDescription& adapter, const AdapterState& state,
                      const std::vector<uint8_t>& ssid, uint64_t nowMs) {
  uint32_t dsConfigKHz = 2437000;
  auto it = state.settings.find(kOid802_11Configuration);
  if (it != state.settings.end() && it->second.size() >= sizeof(Ndis80211Configuration)) {
    std::memcpy(&dsConfigKHz, it->second.data() + offsetof(Ndis80211Configuration, dsConfig), 4);
  }
  NetworkDescription channel;
  channel.frequencyMHz = dsConfigKHz / 1000;
  if (FrequencyChannel(channel.frequencyMHz) == 0 || !RadioHears(adapter.radio, state, channel)) {
    return {JoinResult::kNoChannel, std::nullopt};
  }
  Association association;
  association.bssid = IbssBssid(adapter, ssid);
  association.ssid = ssid;
  association.frequencyMHz = channel.frequencyMHz;
  association.adhoc = true;
  association.ownIbss = true;
  association.upAtMs = nowMs + adapter.radio.associationTimeMs;
  association.traffic = {0, 0};
  return {JoinResult::kStartedIbss, association};
}

// Whether the association can still hold in the air as it is now.
bool Holds(const AdapterDescription& adapter, const AdapterState& state,
           const MachineDescription& machine) {
  const Association& association = *state.link.association;
  if (!state.present || !state.radioOn) return false;
  if (association.ownIbss) return true;
  const NetworkDescription* network = AssociatedNetwork(state, machine);
  return network != nullptr && network->ssid == association.ssid &&
         network->frequencyMHz == association.frequencyMHz &&
         network->rssi >= kJoinSensitivityDbm && RadioHears(adapter.radio, state, *network);
}

void DropLink(AdapterState& state, uint64_t nowMs) {
  if (!state.link.association) return;
  SettleCounters(state.link, nowMs);
  state.link.association.reset();
  ClearAddress(state.link, nowMs);
  state.link.changedMs = nowMs;
}

void TakeUp(const AdapterDescription& adapter, AdapterState& state,
            const MachineDescription& machine, const JoinAttempt& attempt, uint64_t nowMs) {
  if (!attempt.association) return;
  SettleCounters(state.link, nowMs);
  state.link.association = attempt.association;
  state.link.changedMs = nowMs;
  StartAddressing(adapter, state.link, AssociatedNetwork(state, machine));
}

}  // namespace

JoinAttempt Join(const AdapterDescription& adapter, const AdapterState& state,
                 const MachineDescription& machine, uint64_t nowMs) {
  const auto ssid = DesiredSsid(state);
  if (!ssid || IsParking(*ssid)) return {JoinResult::kNoSsid, std::nullopt};
  if (!state.present || !state.radioOn) return {JoinResult::kRadioOff, std::nullopt};
  const uint32_t mode = SettingU32(state, kOid802_11InfrastructureMode, kModeInfrastructure);
  // An empty SSID asks for any network that fits the settings.
  std::vector<const NetworkDescription*> candidates;
  bool ibssOfThatName = false;
  for (const auto& network : CurrentNeighbourhood(state, machine)) {
    if (!ssid->empty() && network.ssid != *ssid) continue;
    if (IsParking(network.ssid)) continue;
    if (!RadioHears(adapter.radio, state, network)) continue;
    if (network.adhoc && !ssid->empty()) ibssOfThatName = true;
    if (network.rssi < kJoinSensitivityDbm || !ModeFits(mode, network)) continue;
    candidates.push_back(&network);
  }
  std::stable_sort(candidates.begin(), candidates.end(),
                   [](const auto* a, const auto* b) { return a->rssi > b->rssi; });
  JoinResult failure = JoinResult::kNoNetwork;
  for (const NetworkDescription* network : candidates) {
    bool framesPass = true;
    const JoinResult result = TryNetwork(state, *network, framesPass);
    if (result != JoinResult::kJoined) {
      // The strongest network's refusal is the one to tell.
      if (failure == JoinResult::kNoNetwork) failure = result;
      continue;
    }
    Association association;
    association.bssid = network->bssid;
    association.ssid = network->ssid;
    association.frequencyMHz = network->frequencyMHz;
    association.adhoc = network->adhoc;
    association.framesPass = framesPass;
    association.upAtMs = nowMs + adapter.radio.associationTimeMs;
    if (IsRsn(network->security)) {
      association.upAtMs = std::max(association.upAtMs, state.rsnKeys->readyAtMs);
    }
    association.traffic = network->traffic;
    return {JoinResult::kJoined, association};
  }
  if (mode == kModeIbss && !ssid->empty() && !ibssOfThatName) {
    return StartIbss(adapter, state, *ssid, nowMs);
  }
  return {failure, std::nullopt};
}

void Associate(const AdapterDescription& adapter, AdapterState& state,
               const MachineDescription& machine, uint64_t nowMs) {
  DropLink(state, nowMs);
  TakeUp(adapter, state, machine, Join(adapter, state, machine, nowMs), nowMs);
}

void Disassociate(AdapterState& state, uint64_t nowMs) {
  DropLink(state, nowMs);
  state.rsnKeys.reset();
  state.settings.erase(kOid802_11Ssid);
}

void Reconcile(const AdapterDescription& adapter, AdapterState& state,
               const MachineDescription& machine, uint64_t nowMs) {
  SettleAddress(state.link, nowMs);
  if (state.link.association && !Holds(adapter, state, machine)) DropLink(state, nowMs);
  if (!state.link.association) {
    TakeUp(adapter, state, machine, Join(adapter, state, machine, nowMs), nowMs);
  }
}

bool LinkUp(const AdapterState& state, uint64_t nowMs) {
  return state.link.association && nowMs >= state.link.association->upAtMs;
}

const NetworkDescription* AssociatedNetwork(const AdapterState& state,
                                            const MachineDescription& machine) {
  if (!state.link.association || state.link.association->ownIbss) return nullptr;
  for (const auto& network : CurrentNeighbourhood(state, machine)) {
    if (network.bssid == state.link.association->bssid) return &network;
  }
  return nullptr;
}

}  // namespace sim
