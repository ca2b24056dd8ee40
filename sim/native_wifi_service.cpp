#include "sim/native_wifi_service.h"

#include <cstdio>
#include <cstring>

#include "platform/ndis_802_11.h"
#include "platform/win_errors.h"
#include "sim/adapter_scan.h"
#include "sim/association.h"
#include "sim/beacon_elements.h"
#include "sim/link_rates.h"
#include "sim/rsn_settings.h"
#include "sim/sim_devices.h"

namespace sim {
namespace {

using namespace platform;

constexpr long kErrorServiceNotActive = 1062;
constexpr uint32_t kMaxPowerSetting = 3;

uint32_t Setting(const AdapterState& state, uint32_t oid, uint32_t fallback) {
  auto it = state.settings.find(oid);
  if (it == state.settings.end() || it->second.size() < 4) return fallback;
  uint32_t value = 0;
  std::memcpy(&value, it->second.data(), sizeof value);
  return value;
}

std::vector<uint8_t> U32Bytes(uint32_t value) {
  std::vector<uint8_t> bytes(4);
  std::memcpy(bytes.data(), &value, 4);
  return bytes;
}

bool IsDsssRate(uint8_t rate) {
  const uint8_t value = rate & 0x7F;
  return value == 2 || value == 4 || value == 11 || value == 22;
}

uint32_t PhyTypeOfFrequency(uint32_t frequencyMHz) {
  return frequencyMHz > 4900 ? kDot11PhyOfdm : kDot11PhyErp;
}

// The PHY a network is heard on: HT when it announces 802.11n, OFDM at 5 GHz, ERP with any OFDM
// rate at 2.4 GHz, else HR-DSSS.
uint32_t PhyTypeOf(const NetworkDescription& network) {
  if (network.ht != HtKind::kNone) return kDot11PhyHt;
  if (network.frequencyMHz > 4900) return kDot11PhyOfdm;
  const std::vector<uint8_t> rates =
      network.rates.empty() ? RatesOfKind(network.rateKind) : network.rates;
  for (uint8_t rate : rates) {
    if (!IsDsssRate(rate)) return kDot11PhyErp;
  }
  return kDot11PhyHrDsss;
}

// DOT11_AUTH_ALGORITHM of an NDIS authentication mode; "automatic" joins with open system. The
// WPA modes have the same numbers in both (3 WPA ... 7 WPA2-PSK, RSNA in DOT11's words).
uint32_t AuthAlgorithm(uint32_t ndisMode) {
  if (ndisMode == kAuthOpen || ndisMode == kAuthAutoSwitch) return 1;
  if (ndisMode == kAuthShared) return 2;
  return ndisMode;
}

// The profile of a text; the fault when the service cannot read it.
std::variant<WlanProfile, std::string, long> ReadProfileText(const std::string& text) {
  auto read = ReadWlanProfile(text.data(), text.size());
  if (const ProfileFault* fault = std::get_if<ProfileFault>(&read)) return fault->message;
  return std::get<WlanProfile>(std::move(read));
}

// DOT11_CIPHER_ALGORITHM of an NDIS encryption status and the WEP key in use.
uint32_t CipherAlgorithm(uint32_t ndisStatus, const AdapterState& state) {
  switch (ndisStatus) {
    case kWepEnabled: {
      const size_t size = state.keys.empty() ? 0 : state.keys.front().material.size();
      return size == 5 ? 1 : size == 13 ? 5 : 0x101;
    }
    case kTkipEnabled:
      return 2;
    case kAesEnabled:
      return 4;
    default:
      return 0;
  }
}

std::string Hex(const std::vector<uint8_t>& bytes) {
  std::string text;
  char digits[3];
  for (uint8_t byte : bytes) {
    std::snprintf(digits, sizeof digits, "%02X", byte);
    text += digits;
  }
  return text;
}

WlanBssEntry BssEntry(const NetworkDescription& network, uint64_t nowMs) {
  WlanBssEntry entry;
  if (!network.hidden) entry.ssid = network.ssid;
  std::memcpy(entry.bssid, network.bssid.data(), 6);
  entry.bssType = network.adhoc ? kDot11BssIndependent : kDot11BssInfrastructure;
  entry.phyType = PhyTypeOf(network);
  entry.rssi = network.rssi;
  entry.linkQuality = LinkQuality(network.rssi);
  entry.beaconPeriod = network.beaconInterval;
  entry.timestamp = nowMs * 1000;
  entry.hostTimestamp = nowMs * 10'000;
  entry.capabilityInformation = BeaconCapabilities(network);
  entry.centerFrequencyKhz = network.frequencyMHz * 1000;
  entry.rates = network.rates.empty() ? RatesOfKind(network.rateKind) : network.rates;
  entry.ies = BeaconElements(network);
  return entry;
}

}  // namespace

std::optional<WlanGuid> ParseGuidText(const std::string& text) {
  unsigned int parts[11] = {};
  char tail = 0;
  if (text.size() != 38 ||
      std::sscanf(text.c_str(), "{%8x-%4x-%4x-%2x%2x-%2x%2x%2x%2x%2x%2x}%c", &parts[0], &parts[1],
                  &parts[2], &parts[3], &parts[4], &parts[5], &parts[6], &parts[7], &parts[8],
                  &parts[9], &parts[10], &tail) != 11) {
    return std::nullopt;
  }
  WlanGuid guid;
  guid.data1 = parts[0];
  guid.data2 = static_cast<uint16_t>(parts[1]);
  guid.data3 = static_cast<uint16_t>(parts[2]);
  for (int i = 0; i < 8; ++i) guid.data4[i] = static_cast<uint8_t>(parts[3 + i]);
  return guid;
}

SimNativeWifi::SimNativeWifi(const MachineDescription& machine, SimDevices& devices,
                             TimerClock& clock, SimCertificates& certificates,
                             std::filesystem::path profileFile)
    : machine_(machine),
      clock_(clock),
      certificates_(certificates),
      adapter_(devices.WirelessAdapter()),
      state_(devices.WirelessState()),
      profiles_(std::move(profileFile)) {
  if (adapter_ != nullptr) interfaceGuid_ = ParseGuidText(adapter_->name);
}

SimNativeWifi::~SimNativeWifi() {
  clock_.Cancel(this);
}

bool SimNativeWifi::ServiceRunning() const {
  // The WLAN AutoConfig service came with Windows Vista.
  return machine_.os.platformId == 2 && machine_.os.major >= 6;
}

long SimNativeWifi::Call(const char* name, std::string arguments, long result) {
  log_.Add({name, std::move(arguments), result});
  return result;
}

bool SimNativeWifi::CheckHandle(WlanHandle handle) {
  std::lock_guard lock(mutex_);
  return clients_.count(handle) != 0;
}

long SimNativeWifi::CheckInterface(WlanHandle handle, const WlanGuid& guid) {
  if (!CheckHandle(handle)) return kErrorInvalidHandle;
  if (!interfaceGuid_ || state_ == nullptr || !(guid == *interfaceGuid_)) return kErrorNotFound;
  bool present = false;
  const long error = state_->Read([&](const AdapterState& state) { present = state.present; });
  if (error != 0) return error;
  return present ? kErrorSuccess : kErrorNotFound;
}

template <typename T>
T* SimNativeWifi::HandOut(std::unique_ptr<T> memory) {
  T* raw = memory.get();
  std::lock_guard lock(mutex_);
  memory_[raw] = std::shared_ptr<T>(std::move(memory));
  return raw;
}

size_t SimNativeWifi::OutstandingMemory() const {
  std::lock_guard lock(mutex_);
  return memory_.size();
}

uint32_t SimNativeWifi::PowerSetting() const {
  std::lock_guard lock(mutex_);
  return powerSetting_;
}

std::vector<uint32_t> SimNativeWifi::PhyTypes() const {
  std::vector<uint32_t> phys;
  if (adapter_ != nullptr && adapter_->radio.dualBand) phys.push_back(kDot11PhyOfdm);
  phys.insert(phys.end(), {kDot11PhyHrDsss, kDot11PhyErp, kDot11PhyHt});
  return phys;
}

long SimNativeWifi::WlanOpenHandle(uint32_t clientVersion, uint32_t* negotiatedVersion,
                                   WlanHandle* handle) {
  const std::string arguments = "clientVersion=" + std::to_string(clientVersion);
  if (handle == nullptr || negotiatedVersion == nullptr || clientVersion == 0) {
    return Call("WlanOpenHandle", arguments, kErrorInvalidParameter);
  }
  if (!ServiceRunning()) return Call("WlanOpenHandle", arguments, kErrorServiceNotActive);
  {
    std::lock_guard lock(mutex_);
    *handle = nextHandle_++;
    clients_[*handle] = Client();
  }
  *negotiatedVersion = kWlanClientVersionVista;
  return Call("WlanOpenHandle", arguments, kErrorSuccess);
}

long SimNativeWifi::WlanCloseHandle(WlanHandle handle) {
  std::unique_lock lock(mutex_);
  auto it = clients_.find(handle);
  if (it == clients_.end()) {
    lock.unlock();
    return Call("WlanCloseHandle", "", kErrorInvalidHandle);
  }
  // As the service does, the handle closes only once its callbacks have returned; a callback
  // that closes its own handle does not wait for itself.
  if (!clock_.OnTimerThread()) {
    callbacksDone_.wait(lock, [&] { return clients_[handle].callbacksRunning == 0; });
  }
  clients_.erase(handle);
  lock.unlock();
  return Call("WlanCloseHandle", "", kErrorSuccess);
}

long SimNativeWifi::WlanEnumInterfaces(WlanHandle handle, WlanInterfaceList** list) {
  if (list == nullptr) return Call("WlanEnumInterfaces", "", kErrorInvalidParameter);
  if (!CheckHandle(handle)) return Call("WlanEnumInterfaces", "", kErrorInvalidHandle);
  auto interfaces = std::make_unique<WlanInterfaceList>();
  if (interfaceGuid_ && state_ != nullptr) {
    WlanInterfaceInfo info;
    info.interfaceGuid = *interfaceGuid_;
    info.description = adapter_->description;
    bool present = false;
    const uint64_t now = clock_.NowMs();
    state_->Read([&](const AdapterState& state) {
      present = state.present;
      info.state = LinkUp(state, now) ? kWlanInterfaceConnected : kWlanInterfaceDisconnected;
    });
    if (present) interfaces->interfaces.push_back(std::move(info));
  }
  *list = HandOut(std::move(interfaces));
  return Call("WlanEnumInterfaces", "", kErrorSuccess);
}

long SimNativeWifi::WlanScan(WlanHandle handle, const WlanGuid& interfaceGuid) {
  const long error = CheckInterface(handle, interfaceGuid);
  if (error != 0) return Call("WlanScan", GuidText(interfaceGuid), error);
  const uint64_t now = clock_.NowMs();
  bool radioOn = false;
  uint64_t endMs = now;
  const long fileError = state_->Modify([&](AdapterState& state) {
    radioOn = state.radioOn;
    if (!radioOn) return;
    StartScan(adapter_->radio, state, machine_, now);
    endMs = *state.scanStartMs + adapter_->radio.scanTimeMs;
  });
  if (fileError != 0) return Call("WlanScan", GuidText(interfaceGuid), fileError);
  // With the radio off nothing can be heard: the scan fails at once.
  Announce(endMs, kWlanNotificationSourceAcm, radioOn ? kAcmScanComplete : kAcmScanFail);
  return Call("WlanScan", GuidText(interfaceGuid), kErrorSuccess);
}

long SimNativeWifi::WlanGetNetworkBssList(WlanHandle handle, const WlanGuid& interfaceGuid,
                                          uint32_t bssType, bool securityEnabled,
                                          WlanBssList** list) {
  const std::string arguments =
      "bssType=" + std::to_string(bssType) + " security=" + std::to_string(securityEnabled ? 1 : 0);
  if (list == nullptr || bssType < kDot11BssInfrastructure || bssType > kDot11BssAny) {
    return Call("WlanGetNetworkBssList", arguments, kErrorInvalidParameter);
  }
  const long error = CheckInterface(handle, interfaceGuid);
  if (error != 0) return Call("WlanGetNetworkBssList", arguments, error);
  const uint64_t now = clock_.NowMs();
  auto bssList = std::make_unique<WlanBssList>();
  const long fileError = state_->Read([&](const AdapterState& state) {
    for (const auto& network : ListedNetworks(adapter_->radio, state, machine_, now)) {
      const uint32_t type = network.adhoc ? kDot11BssIndependent : kDot11BssInfrastructure;
      if (bssType != kDot11BssAny && type != bssType) continue;
      if (securityEnabled && !HasPrivacy(network)) continue;
      bssList->entries.push_back(BssEntry(network, now));
    }
  });
  if (fileError != 0) return Call("WlanGetNetworkBssList", arguments, fileError);
  *list = HandOut(std::move(bssList));
  return Call("WlanGetNetworkBssList", arguments, kErrorSuccess);
}

long SimNativeWifi::WlanConnect(WlanHandle handle, const WlanGuid& interfaceGuid,
                                const WlanConnectionParameters& parameters) {
  const std::string arguments = "mode=" + std::to_string(parameters.connectionMode) +
                                " ssid=" + Hex(parameters.ssid) +
                                " bssType=" + std::to_string(parameters.bssType) +
                                " profileLength=" + std::to_string(parameters.profile.size());
  const long error = CheckInterface(handle, interfaceGuid);
  if (error != 0) return Call("WlanConnect", arguments, error);
  if (parameters.profile.empty() || (parameters.bssType != kDot11BssInfrastructure &&
                                     parameters.bssType != kDot11BssIndependent)) {
    return Call("WlanConnect", arguments, kErrorInvalidParameter);
  }
  auto named = ConnectionProfile(parameters);
  if (const std::string* fault = std::get_if<std::string>(&named)) {
    return Call("WlanConnect", arguments + " unreadable: " + *fault, kErrorBadProfile);
  }
  if (const long* failure = std::get_if<long>(&named)) {
    return Call("WlanConnect", arguments, *failure);
  }
  const WlanProfile& profile = std::get<WlanProfile>(named);
  // The kind of network and the name asked for must be the profile's own.
  if ((parameters.bssType == kDot11BssIndependent) != profile.adhoc ||
      (!parameters.ssid.empty() && parameters.ssid != profile.ssid)) {
    return Call("WlanConnect", arguments, kErrorInvalidParameter);
  }
  std::optional<NetworkDescription> network;
  const long fileError = state_->Read([&](const AdapterState& state) {
    network = ProfileNetwork(profile, *adapter_, state, machine_);
  });
  if (fileError != 0) return Call("WlanConnect", arguments, fileError);
  std::optional<JoinTerms> terms = TermsOfProfile(profile, network, machine_, certificates_);
  if (terms) terms->connectionMode = parameters.connectionMode;
  // The verdict comes with the connection-complete notification, as the service's does.
  return Call("WlanConnect", arguments, terms ? StartJoin(*terms) : FailJoin());
}

std::variant<WlanProfile, std::string, long> SimNativeWifi::ConnectionProfile(
    const WlanConnectionParameters& parameters) {
  const std::optional<std::string> given = Utf16ToUtf8(parameters.profile);
  if (parameters.connectionMode == kWlanConnectionModeTemporaryProfile) {
    if (!given) return std::string("not UTF-16 text");
    return ReadProfileText(*given);
  }
  if (parameters.connectionMode != kWlanConnectionModeProfile || !given) {
    return kErrorInvalidParameter;
  }
  const std::optional<std::string> stored = profiles_.Find(*given);
  if (!stored) return kErrorNotFound;
  return ReadProfileText(*stored);
}

long SimNativeWifi::Join(const WlanGuid& interfaceGuid, const JoinTerms& terms) {
  const std::string arguments = "ssid=" + Hex(terms.ssid) +
                                " adhoc=" + std::to_string(terms.adhoc ? 1 : 0) +
                                " auth=" + std::to_string(terms.authenticationMode) +
                                " encryption=" + std::to_string(terms.encryptionStatus);
  if (!interfaceGuid_ || state_ == nullptr || !(interfaceGuid == *interfaceGuid_)) {
    return Call("Join", arguments, kErrorNotFound);
  }
  return Call("Join", arguments, StartJoin(terms));
}

long SimNativeWifi::StartJoin(const JoinTerms& terms) {
  const uint64_t now = clock_.NowMs();
  std::optional<uint64_t> upAtMs;
  bool present = true;
  bool wasAssociated = false;
  const long fileError = state_->Modify([&](AdapterState& state) {
    present = state.present;
    if (!present) return;
    wasAssociated = state.link.association.has_value();
    state.settings[kOid802_11InfrastructureMode] =
        U32Bytes(terms.adhoc ? kModeIbss : kModeInfrastructure);
    SetDriverSecurity(state, terms.authenticationMode, terms.encryptionStatus);
    state.keys.clear();
    if (!terms.wepKey.empty()) {
      StoredKey key;
      key.keyIndex = terms.wepKeyIndex | kKeyIndexTransmit;
      key.material = terms.wepKey;
      state.keys.push_back(std::move(key));
    }
    state.rsnKeys.reset();
    if (terms.rsnKeysAfterMs) state.rsnKeys = RsnKeys{terms.ssid, now + *terms.rsnKeysAfterMs};
    Ndis80211Ssid ssid{};
    ssid.ssidLength = static_cast<uint32_t>(std::min<size_t>(terms.ssid.size(), 32));
    if (ssid.ssidLength > 0) std::memcpy(ssid.ssid, terms.ssid.data(), ssid.ssidLength);
    auto& stored = state.settings[kOid802_11Ssid];
    stored.resize(sizeof ssid);
    std::memcpy(stored.data(), &ssid, sizeof ssid);
    Associate(*adapter_, state, machine_, now);
    if (state.link.association) {
      upAtMs = state.link.association->upAtMs;
    } else {
      // A network that refused the station is not tried again; the service gives up on it.
      Disassociate(state, now);
    }
  });
  if (fileError != 0) return fileError;
  if (!present) return kErrorNotFound;
  {
    std::lock_guard lock(mutex_);
    profileName_ = terms.profileName;
    connectionMode_ = terms.connectionMode;
  }
  // The network left behind is gone before the new one is tried.
  if (wasAssociated) {
    Announce(now, kWlanNotificationSourceMsm, kMsmDisconnected);
    Announce(now, kWlanNotificationSourceAcm, kAcmDisconnected);
  }
  const uint64_t attemptEndMs = now + adapter_->radio.associationTimeMs;
  if (upAtMs) {
    AnnounceJoin(std::min(attemptEndMs, *upAtMs), *upAtMs);
  } else {
    Announce(attemptEndMs, kWlanNotificationSourceAcm, kAcmConnectionComplete);
  }
  return kErrorSuccess;
}

long SimNativeWifi::FailJoin() {
  const uint64_t now = clock_.NowMs();
  bool wasAssociated = false;
  const long fileError = state_->Modify([&](AdapterState& state) {
    wasAssociated = state.link.association.has_value();
    Disassociate(state, now);
  });
  if (fileError != 0) return fileError;
  if (wasAssociated) {
    Announce(now, kWlanNotificationSourceMsm, kMsmDisconnected);
    Announce(now, kWlanNotificationSourceAcm, kAcmDisconnected);
  }
  // The attempt takes its time before the service gives up.
  Announce(now + adapter_->radio.associationTimeMs, kWlanNotificationSourceAcm,
           kAcmConnectionComplete);
  return kErrorSuccess;
}

void SimNativeWifi::AnnounceJoin(uint64_t associatedAtMs, uint64_t upAtMs) {
  Announce(associatedAtMs, kWlanNotificationSourceMsm, kMsmAssociated);
  Announce(upAtMs, kWlanNotificationSourceMsm, kMsmConnected);
  Announce(upAtMs, kWlanNotificationSourceAcm, kAcmConnectionComplete);
}

long SimNativeWifi::WlanDisconnect(WlanHandle handle, const WlanGuid& interfaceGuid) {
  const long error = CheckInterface(handle, interfaceGuid);
  if (error != 0) return Call("WlanDisconnect", GuidText(interfaceGuid), error);
  const uint64_t now = clock_.NowMs();
  bool wasAssociated = false;
  const long fileError = state_->Modify([&](AdapterState& state) {
    wasAssociated = state.link.association.has_value();
    Disassociate(state, now);
  });
  if (fileError != 0) return Call("WlanDisconnect", GuidText(interfaceGuid), fileError);
  if (wasAssociated) {
    Announce(now, kWlanNotificationSourceMsm, kMsmDisconnected);
    Announce(now, kWlanNotificationSourceAcm, kAcmDisconnected);
  }
  return Call("WlanDisconnect", GuidText(interfaceGuid), kErrorSuccess);
}

long SimNativeWifi::WlanSetProfile(WlanHandle handle, const WlanGuid& interfaceGuid, uint32_t flags,
                                   const std::u16string& profileXml, bool overwrite,
                                   uint32_t* reasonCode) {
  const std::string arguments = "flags=" + std::to_string(flags) +
                                " overwrite=" + std::to_string(overwrite ? 1 : 0) +
                                " profileLength=" + std::to_string(profileXml.size());
  const long error = CheckInterface(handle, interfaceGuid);
  if (error != 0) return Call("WlanSetProfile", arguments, error);
  // Profiles are kept for all users of the machine only.
  if (flags != kWlanProfileAllUser || reasonCode == nullptr) {
    return Call("WlanSetProfile", arguments, kErrorInvalidParameter);
  }
  *reasonCode = 0;
  const std::optional<std::string> text = Utf16ToUtf8(profileXml);
  if (!text) {
    *reasonCode = kReasonInvalidProfileSchema;
    return Call("WlanSetProfile", arguments + " unreadable: not UTF-16 text", kErrorBadProfile);
  }
  auto read = ReadWlanProfile(text->data(), text->size());
  if (const ProfileFault* fault = std::get_if<ProfileFault>(&read)) {
    *reasonCode = fault->reasonCode;
    return Call("WlanSetProfile", arguments + " unreadable: " + fault->message, kErrorBadProfile);
  }
  return Call("WlanSetProfile", arguments,
              profiles_.Put(std::get<WlanProfile>(read).name, *text, overwrite));
}

long SimNativeWifi::WlanGetProfile(WlanHandle handle, const WlanGuid& interfaceGuid,
                                   const std::u16string& profileName, std::u16string** profileXml) {
  const std::string arguments = "nameLength=" + std::to_string(profileName.size());
  if (profileXml == nullptr) return Call("WlanGetProfile", arguments, kErrorInvalidParameter);
  const long error = CheckInterface(handle, interfaceGuid);
  if (error != 0) return Call("WlanGetProfile", arguments, error);
  const std::optional<std::string> name = Utf16ToUtf8(profileName);
  const std::optional<std::string> text = name ? profiles_.Find(*name) : std::nullopt;
  if (!text) return Call("WlanGetProfile", arguments, kErrorNotFound);
  *profileXml = HandOut(std::make_unique<std::u16string>(Utf8ToUtf16(*text)));
  return Call("WlanGetProfile", arguments, kErrorSuccess);
}

long SimNativeWifi::QueryConnection(WlanConnectionAttributes& attributes) {
  const uint64_t now = clock_.NowMs();
  long result = kErrorSuccess;
  const long fileError = state_->Read([&](const AdapterState& state) {
    if (!state.link.association) {
      result = kErrorInvalidState;
      return;
    }
    const Association& association = *state.link.association;
    const NetworkDescription* network = AssociatedNetwork(state, machine_);
    attributes.state = LinkUp(state, now) ? kWlanInterfaceConnected : kWlanInterfaceAssociating;
    auto& link = attributes.association;
    link.ssid = association.ssid;
    link.bssType = association.adhoc ? kDot11BssIndependent : kDot11BssInfrastructure;
    std::memcpy(link.bssid, association.bssid.data(), 6);
    link.phyType =
        network != nullptr ? PhyTypeOf(*network) : PhyTypeOfFrequency(association.frequencyMHz);
    const std::vector<uint32_t> phys = PhyTypes();
    for (size_t i = 0; i < phys.size(); ++i) {
      if (phys[i] == link.phyType) link.phyIndex = static_cast<uint32_t>(i);
    }
    const int32_t rssi = network != nullptr ? network->rssi : -200;
    link.signalQuality = LinkQuality(rssi);
    const LinkRates rates = RatesOnLink(state, network, rssi);
    link.txRateKbps = rates.transmit.halfMbps * 500;
    link.rxRateKbps = rates.receive.halfMbps * 500;
    const uint32_t encryption = Setting(state, kOid802_11EncryptionStatus, kEncryptionDisabled);
    attributes.security.securityEnabled = encryption != kEncryptionDisabled;
    const uint32_t authentication = Setting(state, kOid802_11AuthenticationMode, kAuthOpen);
    attributes.security.oneXEnabled = authentication == kAuthWpa || authentication == kAuthWpa2;
    attributes.security.authAlgorithm = AuthAlgorithm(authentication);
    attributes.security.cipherAlgorithm = CipherAlgorithm(encryption, state);
  });
  if (fileError != 0) return fileError;
  std::lock_guard lock(mutex_);
  attributes.connectionMode = connectionMode_;
  attributes.profileName = profileName_;
  return result;
}

long SimNativeWifi::WlanQueryInterface(WlanHandle handle, const WlanGuid& interfaceGuid,
                                       uint32_t opcode, uint32_t* dataSize, void** data) {
  const std::string arguments = "opcode=" + std::to_string(opcode);
  if (dataSize == nullptr || data == nullptr) {
    return Call("WlanQueryInterface", arguments, kErrorInvalidParameter);
  }
  const long error = CheckInterface(handle, interfaceGuid);
  if (error != 0) return Call("WlanQueryInterface", arguments, error);
  const uint64_t now = clock_.NowMs();
  switch (opcode) {
    case kWlanIntfRadioState: {
      auto radio = std::make_unique<WlanRadioState>();
      bool on = false;
      state_->Read([&](const AdapterState& state) { on = state.radioOn; });
      const std::vector<uint32_t> phys = PhyTypes();
      radio->numberOfPhys = static_cast<uint32_t>(phys.size());
      for (uint32_t i = 0; i < radio->numberOfPhys; ++i) {
        radio->phyRadioState[i] = {i, on ? kDot11RadioOn : kDot11RadioOff, kDot11RadioOn};
      }
      *dataSize = sizeof(WlanRadioState);
      *data = HandOut(std::move(radio));
      return Call("WlanQueryInterface", arguments, kErrorSuccess);
    }
    case kWlanIntfCurrentConnection: {
      auto attributes = std::make_unique<WlanConnectionAttributes>();
      const long result = QueryConnection(*attributes);
      if (result != 0) return Call("WlanQueryInterface", arguments, result);
      *dataSize = sizeof(WlanConnectionAttributes);
      *data = HandOut(std::move(attributes));
      return Call("WlanQueryInterface", arguments, kErrorSuccess);
    }
    case kWlanIntfChannelNumber:
    case kWlanIntfRssi: {
      std::optional<uint32_t> value;
      state_->Read([&](const AdapterState& state) {
        if (!LinkUp(state, now)) return;
        if (opcode == kWlanIntfChannelNumber) {
          value = FrequencyChannel(state.link.association->frequencyMHz);
        } else {
          const NetworkDescription* network = AssociatedNetwork(state, machine_);
          value = static_cast<uint32_t>(network != nullptr ? network->rssi : -200);
        }
      });
      if (!value) return Call("WlanQueryInterface", arguments, kErrorInvalidState);
      *dataSize = sizeof(uint32_t);
      *data = HandOut(std::make_unique<uint32_t>(*value));
      return Call("WlanQueryInterface", arguments, kErrorSuccess);
    }
    default:
      return Call("WlanQueryInterface", arguments, kErrorNotSupported);
  }
}

long SimNativeWifi::WlanSetInterface(WlanHandle handle, const WlanGuid& interfaceGuid,
                                     uint32_t opcode, uint32_t dataSize, const void* data) {
  std::string arguments = "opcode=" + std::to_string(opcode) + " size=" + std::to_string(dataSize);
  const long error = CheckInterface(handle, interfaceGuid);
  if (error != 0) return Call("WlanSetInterface", arguments, error);
  if (opcode != kWlanIntfRadioState) {
    return Call("WlanSetInterface", arguments, kErrorNotSupported);
  }
  WlanPhyRadioState phy{};
  if (data == nullptr || dataSize != sizeof phy) {
    return Call("WlanSetInterface", arguments, kErrorInvalidParameter);
  }
  std::memcpy(&phy, data, sizeof phy);
  arguments += " phy=" + std::to_string(phy.phyIndex) +
               " software=" + std::to_string(phy.softwareRadioState) +
               " hardware=" + std::to_string(phy.hardwareRadioState);
  if (phy.phyIndex >= PhyTypes().size() ||
      (phy.softwareRadioState != kDot11RadioOn && phy.softwareRadioState != kDot11RadioOff)) {
    return Call("WlanSetInterface", arguments, kErrorInvalidParameter);
  }
  // One radio serves every PHY: switching any PHY switches the radio.
  const uint64_t now = clock_.NowMs();
  bool dropped = false;
  std::optional<uint64_t> joinedAtMs;
  const long fileError = state_->Modify([&](AdapterState& state) {
    const bool wasAssociated = state.link.association.has_value();
    state.radioOn = phy.softwareRadioState == kDot11RadioOn;
    Reconcile(*adapter_, state, machine_, now);
    dropped = wasAssociated && !state.link.association;
    // Back on, the adapter joins the network it was given again.
    if (!wasAssociated && state.link.association) joinedAtMs = state.link.association->upAtMs;
  });
  if (fileError != 0) return Call("WlanSetInterface", arguments, fileError);
  if (dropped) {
    Announce(now, kWlanNotificationSourceMsm, kMsmDisconnected);
    Announce(now, kWlanNotificationSourceAcm, kAcmDisconnected);
  }
  if (joinedAtMs) AnnounceJoin(*joinedAtMs, *joinedAtMs);
  return Call("WlanSetInterface", arguments, kErrorSuccess);
}

long SimNativeWifi::WlanSetAutoConfigParameter(WlanHandle handle, uint32_t opcode,
                                               uint32_t dataSize, const void* data) {
  std::string arguments = "opcode=" + std::to_string(opcode) + " size=" + std::to_string(dataSize);
  if (!CheckHandle(handle))
    return Call("WlanSetAutoConfigParameter", arguments, kErrorInvalidHandle);
  if (opcode != kWlanAutoconfPowerSetting) {
    return Call("WlanSetAutoConfigParameter", arguments, kErrorNotSupported);
  }
  uint32_t value = 0;
  if (data == nullptr || dataSize != sizeof value) {
    return Call("WlanSetAutoConfigParameter", arguments, kErrorInvalidParameter);
  }
  std::memcpy(&value, data, sizeof value);
  arguments += " value=" + std::to_string(value);
  if (value > kMaxPowerSetting) {
    return Call("WlanSetAutoConfigParameter", arguments, kErrorInvalidParameter);
  }
  {
    std::lock_guard lock(mutex_);
    powerSetting_ = value;
  }
  return Call("WlanSetAutoConfigParameter", arguments, kErrorSuccess);
}

long SimNativeWifi::WlanGetInterfaceCapability(WlanHandle handle, const WlanGuid& interfaceGuid,
                                               WlanInterfaceCapability** capability) {
  if (capability == nullptr) {
    return Call("WlanGetInterfaceCapability", "", kErrorInvalidParameter);
  }
  const long error = CheckInterface(handle, interfaceGuid);
  if (error != 0) return Call("WlanGetInterfaceCapability", "", error);
  auto answer = std::make_unique<WlanInterfaceCapability>();
  answer->phyTypes = PhyTypes();
  *capability = HandOut(std::move(answer));
  return Call("WlanGetInterfaceCapability", "", kErrorSuccess);
}

long SimNativeWifi::WlanRegisterNotification(WlanHandle handle, uint32_t sourceMask,
                                             bool ignoreDuplicate,
                                             WlanNotificationCallback callback, void* context,
                                             uint32_t* previousSources) {
  const std::string arguments = "sources=" + std::to_string(sourceMask) +
                                " ignoreDuplicate=" + std::to_string(ignoreDuplicate ? 1 : 0);
  if (sourceMask != 0 && callback == nullptr) {
    return Call("WlanRegisterNotification", arguments, kErrorInvalidParameter);
  }
  {
    std::lock_guard lock(mutex_);
    auto it = clients_.find(handle);
    if (it == clients_.end()) {
      return Call("WlanRegisterNotification", arguments, kErrorInvalidHandle);
    }
    if (previousSources != nullptr) *previousSources = it->second.sources;
    it->second.sources = sourceMask;
    it->second.callback = sourceMask != 0 ? callback : nullptr;
    it->second.context = sourceMask != 0 ? context : nullptr;
  }
  return Call("WlanRegisterNotification", arguments, kErrorSuccess);
}

void SimNativeWifi::WlanFreeMemory(const void* memory) {
  std::lock_guard lock(mutex_);
  memory_.erase(memory);
}

void SimNativeWifi::Announce(uint64_t dueMs, uint32_t source, uint32_t code) {
  clock_.Schedule(this, dueMs, [this, source, code] { Deliver(source, code); });
}

void SimNativeWifi::Deliver(uint32_t source, uint32_t code) {
  struct Target {
    WlanHandle handle;
    WlanNotificationCallback callback;
    void* context;
  };
  std::vector<Target> targets;
  {
    std::lock_guard lock(mutex_);
    for (auto& [handle, client] : clients_) {
      if ((client.sources & source) == 0 || client.callback == nullptr) continue;
      ++client.callbacksRunning;
      targets.push_back({handle, client.callback, client.context});
    }
  }
  log_.Add({"notify", "source=" + std::to_string(source) + " code=" + std::to_string(code),
            static_cast<long>(targets.size())});
  WlanNotificationData data;
  data.notificationSource = source;
  data.notificationCode = code;
  if (interfaceGuid_) data.interfaceGuid = *interfaceGuid_;
  for (const Target& target : targets) {
    target.callback(&data, target.context);
    std::lock_guard lock(mutex_);
    auto it = clients_.find(target.handle);
    if (it != clients_.end()) --it->second.callbacksRunning;
  }
  callbacksDone_.notify_all();
}

}  // namespace sim
