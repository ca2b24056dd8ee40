#include "sim/wps_registrar.h"

#include <algorithm>
#include <cstring>

#include "platform/ndis_802_11.h"
#include "platform/vendor_oids.h"
#include "platform/wps_driver_records.h"
#include "sim/adapter_scan.h"
#include "sim/association.h"
#include "sim/dhcp_client.h"
#include "sim/interface_counters.h"

namespace sim {
namespace {

using namespace platform;

constexpr uint16_t kPinPasswordId = 0x0000;
constexpr uint16_t kPushButtonPasswordId = 0x0004;

// The exchange with a registrar, as offsets in milliseconds from its start.
struct Step {
  uint32_t afterMs;  // after the step before
  uint32_t status;
};

enum class Outcome { kSuccess, kWrongPin, kNack, kAwaitingPin };

// Association (its time comes from the radio), EAPOL start, identity, WSC start and M1. The
// statuses a caller reports on last longer than the driver's 200 ms poll.
std::vector<Step> Opening(uint32_t associationMs) {
  return {{0, kWpsStartAssoc},     {associationMs, kWpsLinkUp},    {200, kWpsEapolStartSent},
          {300, kWpsEapRspIdSent}, {100, kWpsEapReqStartReceived}, {100, kWpsEapM1Sent}};
}

std::vector<Step> Script(Outcome outcome, uint32_t associationMs) {
  std::vector<Step> steps = Opening(associationMs);
  auto add = [&](std::initializer_list<Step> more) { steps.insert(steps.end(), more); };
  switch (outcome) {
    case Outcome::kNack:
      add({{300, kWpsEapReqNackReceived}, {500, kWpsEapFailed}});
      break;
    case Outcome::kAwaitingPin:
      // The registrar has no PIN for this station yet and answers M2D; the station keeps asking.
      add({{300, kWpsEapM2dReceived}});
      break;
    case Outcome::kWrongPin:
      // The registrar's proof of the first PIN half in M4 does not match.
      add({{300, kWpsEapM2Received},
           {100, kWpsEapM3Sent},
           {300, kWpsEapM4Received},
           {100, kWpsPasswordMismatch},
           {1000, kWpsEapFailed}});
      break;
    case Outcome::kSuccess:
      add({{300, kWpsEapM2Received},
           {100, kWpsEapM3Sent},
           {300, kWpsEapM4Received},
           {100, kWpsEapM5Sent},
           {300, kWpsEapM6Received},
           {100, kWpsEapM7Sent},
           {400, kWpsEapM8Received},
           {100, kWpsEapRspDoneSent},
           {100, kWpsEapConfigured}});
      break;
  }
  return steps;
}

// When M1 goes out, counted from the exchange's start.
uint64_t M1OffsetMs(uint32_t associationMs) {
  uint64_t at = 0;
  for (const Step& step : Opening(associationMs)) at += step.afterMs;
  return at;
}

bool Final(uint32_t status) {
  return status == kWpsEapConfigured || status == kWpsEapFailed || status == kWpsInvalidSsid;
}

bool IsZero(const std::array<uint8_t, 6>& bssid) {
  return std::all_of(bssid.begin(), bssid.end(), [](uint8_t b) { return b == 0; });
}

const WpsEnteredPin* EnteredPin(const AdapterState& state, const std::array<uint8_t, 6>& bssid) {
  for (const auto& pin : state.wps.pins) {
    if (pin.bssid == bssid) return &pin;
  }
  return nullptr;
}

// The WPS access points the radio hears well enough to run a registration with.
std::vector<const NetworkDescription*> WpsNetworksInRange(const AdapterDescription& adapter,
                                                          const AdapterState& state,
                                                          const MachineDescription& machine) {
  std::vector<const NetworkDescription*> found;
  for (const auto& network : CurrentNeighbourhood(state, machine)) {
    if (!network.wps || network.adhoc || network.rssi < kJoinSensitivityDbm) continue;
    if (!RadioHears(adapter.radio, state, network)) continue;
    found.push_back(&network);
  }
  return found;
}

const NetworkDescription* FindNetwork(const AdapterState& state, const MachineDescription& machine,
                                      const std::array<uint8_t, 6>& bssid) {
  for (const auto& network : CurrentNeighbourhood(state, machine)) {
    if (network.bssid == bssid) return &network;
  }
  return nullptr;
}

bool AnnouncesPinRegistrar(const NetworkDescription& network) {
  return network.wps->selectedRegistrar && network.wps->devicePasswordId == kPinPasswordId;
}

// The scan's result: the registrar, or the status the driver reports while it has none.
struct Search {
  const NetworkDescription* registrar = nullptr;
  uint32_t status = kWpsScanAp;
};

Search FindRegistrar(const WpsRegistration& registration,
                     const std::vector<const NetworkDescription*>& inRange,
                     const AdapterState& state, uint64_t nowMs) {
  if (registration.method == WpsMethod::kPushButton) {
    std::vector<const NetworkDescription*> active;
    for (const auto* network : inRange) {
      if (WpsPushButtonActive(*network, state, nowMs)) active.push_back(network);
    }
    if (active.empty()) return {nullptr, kWpsPbcNoAp};
    if (active.size() > 1) return {nullptr, kWpsPbcTooManyAp};
    return {active.front(), kWpsScanAp};
  }
  const bool byAddress = !IsZero(registration.bssid);
  const bool byName = !registration.ssid.empty();
  if (byAddress || byName) {
    for (const auto* network : inRange) {
      if (byAddress ? network->bssid == registration.bssid : network->ssid == registration.ssid) {
        return {network, kWpsScanAp};
      }
    }
    return {nullptr, kWpsInvalidSsid};
  }
  // No access point named: a registrar that holds a PIN for a station, or announces that it
  // does, strongest first; one where a PIN was typed in before the others.
  const NetworkDescription* best = nullptr;
  auto rank = [&](const NetworkDescription& network) {
    return EnteredPin(state, network.bssid) != nullptr ? 2 : AnnouncesPinRegistrar(network) ? 1 : 0;
  };
  for (const auto* network : inRange) {
    if (rank(*network) == 0) continue;
    if (best == nullptr || rank(*network) > rank(*best) ||
        (rank(*network) == rank(*best) && network->rssi > best->rssi)) {
      best = network;
    }
  }
  return {best, kWpsScanAp};
}

Outcome OutcomeWith(const WpsRegistration& registration, const NetworkDescription& network,
                    const AdapterState& state) {
  if (network.wps->sendsNack) return Outcome::kNack;
  switch (registration.method) {
    case WpsMethod::kPushButton:
      return Outcome::kSuccess;
    case WpsMethod::kAccessPointPin:
      return !network.wps->apPin.empty() && network.wps->apPin == registration.pin
                 ? Outcome::kSuccess
                 : Outcome::kWrongPin;
    case WpsMethod::kStationPin: {
      const WpsEnteredPin* entered = EnteredPin(state, network.bssid);
      if (entered == nullptr) return Outcome::kAwaitingPin;
      return entered->pin == registration.pin ? Outcome::kSuccess : Outcome::kWrongPin;
    }
  }
  return Outcome::kWrongPin;
}

uint32_t StatusAt(const std::vector<Step>& steps, uint64_t elapsedMs) {
  uint64_t at = 0;
  uint32_t status = steps.front().status;
  for (const Step& step : steps) {
    at += step.afterMs;
    if (at > elapsedMs) break;
    status = step.status;
  }
  return status;
}

void Forget(AdapterState& state, const std::array<uint8_t, 6>& bssid) {
  std::erase_if(state.wps.presses, [&](const auto& press) { return press.bssid == bssid; });
  std::erase_if(state.wps.pins, [&](const auto& pin) { return pin.bssid == bssid; });
}

// The driver keeps the credential and stays with the network it came from.
void JoinRegistrar(const AdapterDescription& adapter, AdapterState& state,
                   const NetworkDescription& network, uint64_t nowMs) {
  Ndis80211Ssid ssid{};
  ssid.ssidLength = static_cast<uint32_t>(std::min<size_t>(network.ssid.size(), 32));
  std::copy_n(network.ssid.begin(), ssid.ssidLength, ssid.ssid);
  auto& setting = state.settings[kOid802_11Ssid];
  setting.resize(sizeof ssid);
  std::memcpy(setting.data(), &ssid, sizeof ssid);

  Association association;
  association.bssid = network.bssid;
  association.ssid = network.ssid;
  association.frequencyMHz = network.frequencyMHz;
  association.upAtMs = nowMs;
  association.traffic = network.traffic;
  SettleCounters(state.link, nowMs);
  state.link.association = association;
  state.link.changedMs = nowMs;
  StartAddressing(adapter, state.link, &network);
}

void Finish(const AdapterDescription& adapter, AdapterState& state,
            const NetworkDescription& network, uint64_t nowMs) {
  WpsRegistration& registration = *state.wps.registration;
  registration.finished = true;
  if (registration.status == kWpsEapConfigured) {
    registration.credentials = WpsCredentialTable(network);
    registration.channel = FrequencyChannel(network.frequencyMHz);
    JoinRegistrar(adapter, state, network, nowMs);
  }
  // The registrar's session is over either way: its walk time and its PIN are used up.
  Forget(state, network.bssid);
}

void AppendCredential(std::vector<WpsCredential>& list, const NetworkDescription& network,
                      uint32_t authType, uint32_t encryptionType, const std::string& key,
                      uint32_t keyIndex) {
  WpsCredential credential{};
  std::copy_n(network.ssid.begin(), std::min<size_t>(network.ssid.size(), 32), credential.ssid);
  credential.authType = authType;
  credential.encryptionType = encryptionType;
  credential.keyIndex = keyIndex;
  credential.keyLength = static_cast<uint32_t>(std::min<size_t>(key.size(), 64));
  std::copy_n(key.begin(), credential.keyLength, credential.key);
  std::copy(network.bssid.begin(), network.bssid.end(), credential.mac);
  list.push_back(credential);
}

std::string HexDigits(const std::vector<uint8_t>& bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text;
  for (uint8_t byte : bytes) {
    text.push_back(kDigits[byte >> 4]);
    text.push_back(kDigits[byte & 0x0F]);
  }
  return text;
}

// A network of both WPA versions hands out one credential for each, the newer first.
std::vector<WpsCredential> Credentials(const NetworkDescription& network) {
  std::vector<WpsCredential> list;
  const std::string& passphrase = network.credentials.passphrase;
  auto cipherOf = [&](bool wpa2) -> uint32_t {
    if (network.ciphers == NetworkCiphers::kTkip) return kWpsEncryptionTkip;
    if (network.ciphers == NetworkCiphers::kAes) return kWpsEncryptionAes;
    return wpa2 ? kWpsEncryptionAes : kWpsEncryptionTkip;
  };
  switch (network.security) {
    case NetworkSecurity::kOpen:
      AppendCredential(list, network, kWpsAuthOpen, kWpsEncryptionNone, "", 0);
      break;
    case NetworkSecurity::kWep: {
      const uint32_t index = network.credentials.wepKeyIndex;
      const auto& keys = network.credentials.wepKeys;
      const std::string key = index < keys.size() ? HexDigits(keys[index]) : "";
      const uint32_t auth =
          network.wepAuthentication == WepAuthentication::kShared ? kWpsAuthShared : kWpsAuthOpen;
      AppendCredential(list, network, auth, kWpsEncryptionWep, key, index);
      break;
    }
    case NetworkSecurity::kWpa2Psk:
      AppendCredential(list, network, kWpsAuthWpa2Psk, cipherOf(true), passphrase, 0);
      break;
    case NetworkSecurity::kWpaPsk:
      AppendCredential(list, network, kWpsAuthWpaPsk, cipherOf(false), passphrase, 0);
      break;
    case NetworkSecurity::kWpaWpa2Psk:
      AppendCredential(list, network, kWpsAuthWpa2Psk, cipherOf(true), passphrase, 0);
      AppendCredential(list, network, kWpsAuthWpaPsk, cipherOf(false), passphrase, 0);
      break;
    case NetworkSecurity::kWpa2:
      AppendCredential(list, network, kWpsAuthWpa2, cipherOf(true), "", 0);
      break;
    case NetworkSecurity::kWpa:
      AppendCredential(list, network, kWpsAuthWpa, cipherOf(false), "", 0);
      break;
    case NetworkSecurity::kWpaWpa2:
      AppendCredential(list, network, kWpsAuthWpa2, cipherOf(true), "", 0);
      AppendCredential(list, network, kWpsAuthWpa, cipherOf(false), "", 0);
      break;
  }
  return list;
}

}  // namespace

void BeginWpsRegistration(AdapterState& state, const uint8_t* message, uint64_t nowMs) {
  WpsStartMessage start{};
  std::memcpy(&start, message, sizeof start);
  WpsRegistration registration;
  if (start.mode == kWpsStartPushButton) {
    registration.method = WpsMethod::kPushButton;
  } else {
    registration.method = start.pinOwner == kWpsPinOfAccessPoint ? WpsMethod::kAccessPointPin
                                                                 : WpsMethod::kStationPin;
    registration.pin.assign(start.pin, strnlen(start.pin, sizeof start.pin));
    registration.ssid.assign(start.ssid, start.ssid + std::min<uint32_t>(start.ssidLength, 32));
    std::copy(std::begin(start.bssid), std::end(start.bssid), registration.bssid.begin());
  }
  registration.startedMs = nowMs;
  registration.status = kWpsScanAp;
  state.wps.registration = std::move(registration);
}

void EndWpsRegistration(AdapterState& state) {
  state.wps.registration.reset();
}

void AdvanceWpsRegistration(const AdapterDescription& adapter, AdapterState& state,
                            const MachineDescription& machine, uint64_t nowMs) {
  if (!state.wps.registration || state.wps.registration->finished) return;
  WpsRegistration& registration = *state.wps.registration;
  if (!state.present || !state.radioOn) {
    if (registration.registrar) {
      // The exchange breaks off with the radio.
      registration.status = kWpsEapFailed;
      registration.finished = true;
    } else {
      // The driver scans again once the radio is back.
      registration.startedMs = nowMs;
    }
    return;
  }
  if (!registration.registrar) {
    const uint64_t scanEndMs = registration.startedMs + adapter.radio.scanTimeMs;
    if (nowMs < scanEndMs) return;
    const Search search =
        FindRegistrar(registration, WpsNetworksInRange(adapter, state, machine), state, nowMs);
    const bool firstLook = registration.status == kWpsScanAp;
    registration.status = search.status;
    if (search.registrar == nullptr) {
      registration.finished = Final(search.status);
      return;
    }
    registration.registrar = search.registrar->bssid;
    // Found by the scan itself, the exchange began when the scan ended; found later (a button
    // pressed, an overlap over), it begins now.
    registration.exchangeMs = firstLook ? scanEndMs : nowMs;
  }
  const NetworkDescription* network = FindNetwork(state, machine, *registration.registrar);
  if (network == nullptr || !network->wps) {
    // The access point went away during the exchange.
    registration.status = kWpsEapFailed;
    registration.finished = true;
    return;
  }
  const uint32_t associationMs = adapter.radio.associationTimeMs;
  const Outcome outcome = OutcomeWith(registration, *network, state);
  if (registration.awaitingPin && outcome != Outcome::kAwaitingPin) {
    // The PIN came: the station's next M1 finds the registrar ready.
    const uint64_t m1Ms = M1OffsetMs(associationMs);
    registration.exchangeMs = nowMs > m1Ms ? nowMs - m1Ms : 0;
  }
  registration.awaitingPin = outcome == Outcome::kAwaitingPin;
  const uint64_t elapsed = nowMs > registration.exchangeMs ? nowMs - registration.exchangeMs : 0;
  registration.status = StatusAt(Script(outcome, associationMs), elapsed);
  if (Final(registration.status)) Finish(adapter, state, *network, nowMs);
}

uint32_t WpsStatusOf(const AdapterState& state) {
  if (state.wps.registration) return state.wps.registration->status;
  // Idle once an enrollee session was asked for; before that WPS is not in use.
  return state.settings.count(kOidVendorWpsStart) != 0 ? kWpsIdle : kWpsNotUsed;
}

std::vector<uint8_t> WpsCredentialTableOf(const AdapterState& state) {
  if (state.wps.registration && !state.wps.registration->credentials.empty()) {
    return state.wps.registration->credentials;
  }
  return std::vector<uint8_t>(kWpsCredentialTableSize, 0);
}

uint32_t WpsChannelOf(const AdapterState& state) {
  return state.wps.registration ? state.wps.registration->channel : 0;
}

std::vector<uint8_t> WpsCredentialTable(const NetworkDescription& network) {
  const std::vector<WpsCredential> list = Credentials(network);
  std::vector<uint8_t> table(kWpsCredentialTableSize, 0);
  const uint32_t count = static_cast<uint32_t>(list.size());
  std::memcpy(table.data(), &count, sizeof count);
  for (uint32_t i = 0; i < count; ++i) {
    std::memcpy(table.data() + kWpsCredentialTableHeader + i * sizeof(WpsCredential), &list[i],
                sizeof(WpsCredential));
  }
  return table;
}

bool WpsPushButtonActive(const NetworkDescription& network, const AdapterState& state,
                         uint64_t nowMs) {
  if (!network.wps) return false;
  if (network.wps->selectedRegistrar && network.wps->devicePasswordId == kPushButtonPasswordId) {
    return true;
  }
  for (const auto& press : state.wps.presses) {
    // A press another process made on a clock that is ahead still counts from now.
    if (press.bssid == network.bssid &&
        (nowMs < press.atMs || nowMs - press.atMs < kWpsWalkTimeMs)) {
      return true;
    }
  }
  return false;
}

void PressWpsButton(AdapterState& state, const std::array<uint8_t, 6>& bssid, uint64_t nowMs) {
  std::erase_if(state.wps.presses, [&](const auto& press) { return press.bssid == bssid; });
  state.wps.presses.push_back({bssid, nowMs});
}

void EnterWpsPin(AdapterState& state, const std::array<uint8_t, 6>& bssid, const std::string& pin,
                 uint64_t nowMs) {
  std::erase_if(state.wps.pins, [&](const auto& entered) { return entered.bssid == bssid; });
  state.wps.pins.push_back({bssid, pin, nowMs});
}

}  // namespace sim
