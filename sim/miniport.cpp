#include "sim/miniport.h"

#include <algorithm>
#include <cstring>

#include "platform/ndis_802_11.h"
#include "platform/win_errors.h"
#include "sim/adapter_scan.h"
#include "sim/association.h"
#include "sim/bssid_list.h"
#include "sim/chipset_wps_requests.h"
#include "sim/link_rates.h"
#include "sim/wps_registrar.h"

namespace sim {
namespace {

using namespace platform;

enum Access : uint8_t { kQuery = 1, kSet = 2, kBoth = 3 };

struct OidSpec {
  uint32_t oid;
  uint8_t access;
  uint32_t length;  // the least a caller's buffer must hold; a key's is its header
  bool wireless;    // only a wireless adapter's driver knows it
};

constexpr uint32_t kWpsCredentialSize = 996;
constexpr uint32_t kKeyHeaderSize = offsetof(Ndis80211Key, keyMaterial);

constexpr OidSpec kOids[] = {
    {kOidGenDriverVersion, kQuery, 2, false},
    {kOidGenMediaConnectStatus, kQuery, 4, false},
    {kOid802_3CurrentAddress, kQuery, 6, false},
    {kOid802_11Bssid, kQuery, 6, true},
    {kOid802_11Ssid, kBoth, sizeof(Ndis80211Ssid), true},
    {kOid802_11InfrastructureMode, kBoth, 4, true},
    {kOid802_11Disassociate, kSet, 0, true},
    {kOid802_11AuthenticationMode, kBoth, 4, true},
    {kOid802_11BssidListScan, kSet, 0, true},
    {kOid802_11EncryptionStatus, kBoth, 4, true},
    {kOid802_11ReloadDefaults, kSet, 4, true},
    {kOid802_11AddKey, kSet, kKeyHeaderSize, true},
    {kOid802_11RemoveKey, kSet, sizeof(Ndis80211RemoveKey), true},
    {kOid802_11NetworkTypesSupported, kQuery, 8, true},
    {kOid802_11Rssi, kQuery, 4, true},
    {kOid802_11FragmentationThreshold, kBoth, 4, true},
    {kOid802_11RtsThreshold, kBoth, 4, true},
    {kOid802_11DesiredRates, kBoth, 8, true},
    {kOid802_11Configuration, kBoth, sizeof(Ndis80211Configuration), true},
    {kOid802_11PowerMode, kBoth, 4, true},
    {kOid802_11BssidList, kQuery, kBssidListHeaderSize, true},
    {kOidVendorPreamble, kBoth, 4, true},
    {kOidVendorLinkStatistics, kQuery, 20, true},
    {kOidVendorPowerSaveCompanion, kSet, 4, true},
    {kOidVendorRegion, kBoth, 4, true},
    {kOidVendorRadio, kBoth, 4, true},
    {kOidVendorWirelessModeSetting, kSet, 4, true},
    {kOidVendorRxRate, kQuery, 4, true},
    {kOidVendorTxRate, kQuery, 4, true},
    {kOidVendorStartSetting, kBoth, 4, true},
    {kOidVendorAdhocRates, kSet, 26, true},
    {kOidVendorFirmwareVersion, kQuery, 4, true},
    {kOidVendorOptions, kBoth, 8, true},
    {kOidVendorHtSettings, kBoth, 12, true},
    {kOidVendorWpsStart, kSet, 56, true},
    {kOidVendorWpsStatus, kQuery, 4, true},
    {kOidVendorWpsCredentials, kBoth, kWpsCredentialSize, true},
    {kOidVendorWpsMode, kSet, 4, true},
    {kOidVendorWpsFirstValue, kSet, 4, true},
    {kOidVendorWpsSecondValue, kSet, 4, true},
    {kOidVendorWpsControl, kSet, 4, true},
    {kOidVendorWpsChannel, kQuery, 4, true},
};

const OidSpec* FindOid(uint32_t oid) {
  for (const auto& spec : kOids) {
    if (spec.oid == oid) return &spec;
  }
  return nullptr;
}

std::vector<uint8_t> U32(uint32_t value) {
  std::vector<uint8_t> bytes(4);
  std::memcpy(bytes.data(), &value, 4);
  return bytes;
}

uint32_t ReadU32(const uint8_t* data) {
  uint32_t value = 0;
  std::memcpy(&value, data, 4);
  return value;
}

// What a setting reads before anything was set: the driver's power-on values.
std::vector<uint8_t> DefaultSetting(uint32_t oid) {
  switch (oid) {
    case kOid802_11Ssid:
      return std::vector<uint8_t>(sizeof(Ndis80211Ssid), 0);
    case kOid802_11InfrastructureMode:
      return U32(kModeInfrastructure);
    case kOid802_11AuthenticationMode:
      return U32(kAuthOpen);
    case kOid802_11EncryptionStatus:
      return U32(kEncryptionDisabled);
    case kOid802_11FragmentationThreshold:
      return U32(2346);
    case kOid802_11RtsThreshold:
      return U32(2347);
    case kOid802_11DesiredRates:
      return {108, 96, 72, 48, 22, 11, 4, 2};
    case kOid802_11Configuration: {
      Ndis80211Configuration configuration{};
      configuration.length = sizeof configuration;
      configuration.beaconPeriod = 100;
      configuration.dsConfig = 2437000;
      configuration.fhConfig.length = sizeof configuration.fhConfig;
      std::vector<uint8_t> bytes(sizeof configuration);
      std::memcpy(bytes.data(), &configuration, sizeof configuration);
      return bytes;
    }
    case kOid802_11PowerMode:
      return U32(kPowerCam);
    case kOidVendorPreamble:
      return U32(0);
    // The driver comes up with this setting on; the library clears it at start.
    case kOidVendorStartSetting:
      return U32(1);
    case kOidVendorOptions:
      return {0, 0, 2, 0, 0, 0, 0, 0};
    case kOidVendorHtSettings:
      return {9, 0, 0, 0, 2, 0, 0, 33, 0, 1, 1, 0};
    case kOidVendorWpsCredentials:
      return std::vector<uint8_t>(kWpsCredentialSize, 0);
    default:
      return {};
  }
}

std::vector<uint8_t> Setting(const AdapterState& state, uint32_t oid) {
  auto it = state.settings.find(oid);
  return it != state.settings.end() ? it->second : DefaultSetting(oid);
}

// Encryption reads as "key absent" until a key for it was installed (a WEP key, or the
// supplicant's WPA keys), as NDIS drivers report.
uint32_t EncryptionStatusRead(const AdapterState& state) {
  const uint32_t set = ReadU32(Setting(state, kOid802_11EncryptionStatus).data());
  const bool keyed = !state.keys.empty() || state.rsnKeys.has_value();
  switch (set) {
    case kWepEnabled:
      return keyed ? kWepEnabled : kWepKeyAbsent;
    case kTkipEnabled:
      return keyed ? kTkipEnabled : kTkipKeyAbsent;
    case kAesEnabled:
      return keyed ? kAesEnabled : kAesKeyAbsent;
    default:
      return set;
  }
}

// The signal of the joined network; alone in an IBSS of its own the station hears no one.
constexpr int32_t kNoStationHeardDbm = -200;
constexpr int32_t kNoiseFloorDbm = -95;

int32_t LinkRssi(const AdapterState& state, const MachineDescription& machine) {
  const NetworkDescription* network = AssociatedNetwork(state, machine);
  return network != nullptr ? network->rssi : kNoStationHeardDbm;
}

std::vector<uint8_t> LinkConfiguration(const AdapterState& state,
                                       const MachineDescription& machine) {
  std::vector<uint8_t> bytes = Setting(state, kOid802_11Configuration);
  Ndis80211Configuration configuration{};
  std::memcpy(&configuration, bytes.data(), sizeof configuration);
  configuration.dsConfig = state.link.association->frequencyMHz * 1000;
  if (const NetworkDescription* network = AssociatedNetwork(state, machine)) {
    configuration.beaconPeriod = network->beaconInterval;
  }
  std::memcpy(bytes.data(), &configuration, sizeof configuration);
  return bytes;
}

std::vector<uint8_t> LinkStatistics(const AdapterState& state, const MachineDescription& machine) {
  const int32_t rssi = LinkRssi(state, machine);
  const LinkRates rates = RatesOnLink(state, AssociatedNetwork(state, machine), rssi);
  // Current transmit rate in 500 kbit/s units, raw link quality, the signal and the noise floor
  // in dBm, and a retry count this radio never has to make.
  const uint32_t words[5] = {rates.transmit.halfMbps, LinkQuality(rssi),
                             static_cast<uint32_t>(rssi), static_cast<uint32_t>(kNoiseFloorDbm), 0};
  std::vector<uint8_t> bytes(sizeof words);
  std::memcpy(bytes.data(), words, sizeof words);
  return bytes;
}

long AddKey(AdapterState& state, const uint8_t* data, uint32_t length, uint32_t& consumed) {
  Ndis80211Key header{};
  std::memcpy(&header, data, kKeyHeaderSize);
  if (header.length < kKeyHeaderSize + header.keyLength || header.length > length) {
    return kErrorInvalidData;
  }
  const uint32_t slot = header.keyIndex & 0xFF;
  const bool pairwise = (header.keyIndex & kKeyIndexPairwise) != 0;
  const uint32_t size = header.keyLength;
  if (slot > 3 || (size != 5 && size != 13 && size != 16 && size != 32)) return kErrorInvalidData;
  StoredKey key;
  key.keyIndex = header.keyIndex;
  std::memcpy(key.bssid.data(), header.bssid, 6);
  key.material.assign(data + kKeyHeaderSize, data + kKeyHeaderSize + size);
  std::erase_if(state.keys, [&](const StoredKey& old) {
    return (old.keyIndex & 0xFF) == slot && ((old.keyIndex & kKeyIndexPairwise) != 0) == pairwise;
  });
  state.keys.push_back(std::move(key));
  consumed = header.length;
  return kErrorSuccess;
}

long RemoveKey(AdapterState& state, const uint8_t* data) {
  Ndis80211RemoveKey request{};
  std::memcpy(&request, data, sizeof request);
  if (request.length != sizeof request || (request.keyIndex & 0xFF) > 3) return kErrorInvalidData;
  const bool pairwise = (request.keyIndex & kKeyIndexPairwise) != 0;
  std::erase_if(state.keys, [&](const StoredKey& key) {
    return (key.keyIndex & 0xFF) == (request.keyIndex & 0xFF) &&
           ((key.keyIndex & kKeyIndexPairwise) != 0) == pairwise;
  });
  return kErrorSuccess;
}

// Checks a value the driver keeps before it is stored.
long CheckValue(uint32_t oid, const uint8_t* data, uint32_t length) {
  if (length < 4) return kErrorSuccess;
  const uint32_t value = ReadU32(data);
  switch (oid) {
    case kOid802_11Ssid:
      return value <= 32 ? kErrorSuccess : kErrorInvalidData;
    case kOid802_11InfrastructureMode:
      return value <= kModeAutoUnknown ? kErrorSuccess : kErrorInvalidData;
    case kOid802_11AuthenticationMode:
      return value <= kAuthWpa2Psk ? kErrorSuccess : kErrorInvalidData;
    case kOid802_11EncryptionStatus:
      return value == kWepEnabled || value == kEncryptionDisabled || value == kTkipEnabled ||
                     value == kAesEnabled
                 ? kErrorSuccess
                 : kErrorInvalidData;
    case kOid802_11PowerMode:
      return value <= kPowerFastPsp ? kErrorSuccess : kErrorInvalidData;
    case kOid802_11FragmentationThreshold:
      return value >= 256 && value <= 2346 ? kErrorSuccess : kErrorInvalidData;
    case kOid802_11RtsThreshold:
      return value <= 2347 ? kErrorSuccess : kErrorInvalidData;
    case kOid802_11Configuration: {
      const uint32_t dsConfig = ReadU32(data + offsetof(Ndis80211Configuration, dsConfig));
      return dsConfig % 1000 == 0 && FrequencyChannel(dsConfig / 1000) != 0 ? kErrorSuccess
                                                                            : kErrorInvalidData;
    }
    default:
      return kErrorSuccess;
  }
}

// The vendor request a code of the chipset's own stands for; only the driver of an adapter that
// comes with the chipset's protocol driver knows those codes.
uint32_t DriverOid(const AdapterDescription& adapter, uint32_t oid, bool set) {
  if (adapter.radio.protocolDriver.empty()) return oid;
  const auto vendor = ChipsetWpsRequest(oid, set);
  return vendor ? uint32_t{*vendor} : oid;
}

}  // namespace

Miniport::Miniport(const MachineDescription& machine, const AdapterDescription& adapter,
                   AdapterStateFile* stateFile, platform::ClockPort& clock, MiniportLog& log)
    : machine_(machine), adapter_(adapter), stateFile_(stateFile), clock_(clock), log_(log) {}

bool Miniport::Present() {
  if (stateFile_ == nullptr) return true;
  bool present = false;
  if (stateFile_->Read([&](const AdapterState& state) { present = state.present; }) != 0) {
    return false;
  }
  return present;
}

bool Miniport::Request(uint32_t code, void* buffer, uint32_t length, uint32_t* returned) {
  MiniportRequest entry;
  entry.set = (code & kOidSetBit) != 0;
  entry.oid = code & ~kOidSetBit;
  entry.length = length;
  const auto* bytes = static_cast<uint8_t*>(buffer);
  if (entry.set && length > 0 && buffer != nullptr) entry.in.assign(bytes, bytes + length);
  long error = kErrorSuccess;
  uint32_t count = 0;
  if (length > 0 && buffer == nullptr) {
    error = kErrorInvalidParameter;
    entry.succeeded = false;
  } else if (entry.set) {
    entry.succeeded = Set(DriverOid(adapter_, entry.oid, true), bytes, length, count, error);
  } else {
    entry.succeeded = Query(DriverOid(adapter_, entry.oid, false), buffer, length, count, error);
    if (entry.succeeded) entry.out.assign(bytes, bytes + count);
  }
  entry.error = entry.succeeded ? 0 : error;
  entry.returned = count;
  if (returned != nullptr) *returned = count;
  const bool succeeded = entry.succeeded;
  log_.Add(std::move(entry));
  if (!succeeded) SetLastError(error);
  return succeeded;
}

bool Miniport::Query(uint32_t oid, void* buffer, uint32_t length, uint32_t& returned, long& error) {
  const OidSpec* spec = FindOid(oid);
  if (spec == nullptr || (spec->access & kQuery) == 0 || (spec->wireless && !stateFile_)) {
    error = kErrorNotSupported;
    return false;
  }
  if (oid == kOidVendorWpsStatus && stateFile_ != nullptr) {
    // A registration moves on with the machine clock; it is settled before its status is read.
    const uint64_t now = clock_.NowMs();
    stateFile_->Modify(
        [&](AdapterState& state) { AdvanceWpsRegistration(adapter_, state, machine_, now); });
  }
  std::vector<uint8_t> answer;
  if (stateFile_ == nullptr) {
    error = Answer(oid, AdapterState(), answer);
  } else {
    const long readError = stateFile_->Read([&](const AdapterState& state) {
      error = state.present ? Answer(oid, state, answer) : kErrorDeviceNotConnected;
    });
    if (readError != 0) error = readError;
  }
  if (error != kErrorSuccess) return false;
  if (length < answer.size()) {
    error = kErrorInsufficientBuffer;
    returned = static_cast<uint32_t>(answer.size());
    return false;
  }
  if (!answer.empty()) std::memcpy(buffer, answer.data(), answer.size());
  returned = static_cast<uint32_t>(answer.size());
  return true;
}

long Miniport::Answer(uint32_t oid, const AdapterState& state, std::vector<uint8_t>& out) {
  const RadioDescription& radio = adapter_.radio;
  const uint64_t now = clock_.NowMs();
  const bool linkUp = stateFile_ != nullptr && LinkUp(state, now);
  switch (oid) {
    case kOidGenDriverVersion: {
      const uint16_t version = stateFile_ != nullptr ? radio.ndisVersion : uint16_t{0x0501};
      out = {static_cast<uint8_t>(version), static_cast<uint8_t>(version >> 8)};
      return kErrorSuccess;
    }
    case kOidGenMediaConnectStatus: {
      // A wired adapter with an address has its cable in; the radio has no association yet.
      const bool wiredUp = stateFile_ == nullptr && adapter_.ipAddress != "0.0.0.0";
      out = U32(wiredUp || linkUp ? kMediaConnected : kMediaDisconnected);
      return kErrorSuccess;
    }
    case kOid802_3CurrentAddress:
      out.assign(6, 0);
      std::copy_n(adapter_.mac.begin(), std::min<size_t>(adapter_.mac.size(), 6), out.begin());
      return kErrorSuccess;
    case kOid802_11Bssid:
      // Only an associated adapter has an access point and a signal from it.
      if (!linkUp) return kErrorNotReady;
      out.assign(state.link.association->bssid.begin(), state.link.association->bssid.end());
      return kErrorSuccess;
    case kOid802_11Rssi:
      if (!linkUp) return kErrorNotReady;
      out = U32(static_cast<uint32_t>(LinkRssi(state, machine_)));
      return kErrorSuccess;
    case kOid802_11Ssid:
      out = Setting(state, oid);
      if (linkUp) {
        // The name of the network joined, which an empty SSID request leaves to the driver.
        Ndis80211Ssid ssid{};
        const auto& name = state.link.association->ssid;
        ssid.ssidLength = static_cast<uint32_t>(name.size());
        std::copy(name.begin(), name.end(), ssid.ssid);
        std::memcpy(out.data(), &ssid, sizeof ssid);
      }
      return kErrorSuccess;
    case kOid802_11Configuration:
      out = linkUp ? LinkConfiguration(state, machine_) : Setting(state, oid);
      return kErrorSuccess;
    case kOid802_11EncryptionStatus:
      out = U32(EncryptionStatusRead(state));
      return kErrorSuccess;
    case kOid802_11NetworkTypesSupported: {
      std::vector<uint32_t> types = {kNetworkDs, kNetworkOfdm24};
      if (radio.dualBand) types.push_back(kNetworkOfdm5);
      out = U32(static_cast<uint32_t>(types.size()));
      for (uint32_t type : types) {
        const auto bytes = U32(type);
        out.insert(out.end(), bytes.begin(), bytes.end());
      }
      return kErrorSuccess;
    }
    case kOid802_11BssidList:
      out = BuildBssidList(ListedNetworks(radio, state, machine_, now), now);
      return kErrorSuccess;
    case kOidVendorLinkStatistics:
      if (linkUp) {
        out = LinkStatistics(state, machine_);
      } else {
        out.assign(20, 0);
      }
      return kErrorSuccess;
    case kOidVendorRegion:
      out = U32(state.region | (state.regionProgrammed ? 0u : 0x80u));
      return kErrorSuccess;
    case kOidVendorRadio:
      out = U32(state.radioOn ? 1 : 0);
      return kErrorSuccess;
    case kOidVendorRxRate:
    case kOidVendorTxRate: {
      if (!linkUp) {
        out = U32(0);
        return kErrorSuccess;
      }
      const LinkRates rates =
          RatesOnLink(state, AssociatedNetwork(state, machine_), LinkRssi(state, machine_));
      out = U32(oid == kOidVendorTxRate ? rates.transmit.descriptor : rates.receive.descriptor);
      return kErrorSuccess;
    }
    case kOidVendorWpsChannel:
      out = U32(WpsChannelOf(state));
      return kErrorSuccess;
    case kOidVendorWpsCredentials:
      out = WpsCredentialTableOf(state);
      return kErrorSuccess;
    case kOidVendorFirmwareVersion:
      out = U32(radio.firmwareVersion);
      return kErrorSuccess;
    case kOidVendorWpsStatus:
      out = U32(WpsStatusOf(state));
      return kErrorSuccess;
    default:
      out = Setting(state, oid);
      return kErrorSuccess;
  }
}

bool Miniport::Set(uint32_t oid, const uint8_t* data, uint32_t length, uint32_t& returned,
                   long& error) {
  const OidSpec* spec = FindOid(oid);
  if (spec == nullptr || (spec->access & kSet) == 0 || !spec->wireless || !stateFile_) {
    error = kErrorNotSupported;
    return false;
  }
  if (length < spec->length) {
    error = kErrorInsufficientBuffer;
    returned = spec->length;
    return false;
  }
  uint32_t consumed = spec->length;
  const uint64_t now = clock_.NowMs();
  const long fileError = stateFile_->Modify([&](AdapterState& state) {
    if (!state.present) {
      error = kErrorDeviceNotConnected;
      return;
    }
    error = CheckValue(oid, data, spec->length);
    if (error != kErrorSuccess) return;
    switch (oid) {
      case kOid802_11Disassociate:
        Disassociate(state, now);
        EndWpsRegistration(state);
        return;
      case kOid802_11Ssid:
        state.settings[oid].assign(data, data + spec->length);
        Associate(adapter_, state, machine_, now);
        return;
      case kOid802_11BssidListScan:
        StartScan(adapter_.radio, state, machine_, now);
        break;
      case kOid802_11ReloadDefaults:
        // Only reloading the default WEP keys is defined; the driver has none of its own.
        if (ReadU32(data) != 0) {
          error = kErrorInvalidData;
          return;
        }
        std::erase_if(state.keys,
                      [](const StoredKey& key) { return (key.keyIndex & kKeyIndexPairwise) == 0; });
        break;
      case kOid802_11AddKey:
        error = AddKey(state, data, length, consumed);
        break;
      case kOid802_11RemoveKey:
        error = RemoveKey(state, data);
        break;
      case kOidVendorRegion:
        if (ReadU32(data) > 0x7F) {
          error = kErrorInvalidData;
          return;
        }
        state.region = ReadU32(data);
        state.regionProgrammed = true;
        break;
      case kOidVendorRadio:
        state.radioOn = ReadU32(data) != 0;
        break;
      case kOidVendorWpsStart:
        state.settings[oid].assign(data, data + spec->length);
        BeginWpsRegistration(state, data, now);
        break;
      case kOidVendorWpsMode:
        state.settings[oid].assign(data, data + spec->length);
        if (ReadU32(data) == 0) EndWpsRegistration(state);
        break;
      default:
        state.settings[oid].assign(data, data + spec->length);
        break;
    }
    if (error == kErrorSuccess) Reconcile(adapter_, state, machine_, now);
  });
  if (fileError != 0) error = fileError;
  if (error != kErrorSuccess) return false;
  returned = consumed;
  return true;
}

}  // namespace sim
