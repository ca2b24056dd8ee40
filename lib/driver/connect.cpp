// Joining a network through the driver: the previous association is cleared, network type,
// channel, wireless mode, the radio's advanced settings, the 802.11n record and the security are
// programmed, and the SSID is given last, because giving it is what starts the association.
#include <cstring>

#include "lib/common/export_boundary.h"
#include "lib/common/profile_bounds.h"
#include "lib/driver/adhoc_channels.h"
#include "lib/driver/connect_steps.h"
#include "lib/driver/lib_state.h"
#include "lib/driver/oid_channel.h"
#include "lib/driver/supplicant_binding.h"
#include "vtrlib.h"

namespace {

using namespace platform;

constexpr uint32_t kFlagNoWait = 2;
// Preset so that a query the driver answers without writing is not read as "connected".
constexpr uint32_t kMediaStatusPreset = 0x01010101;

// The driver's wireless modes (vendor request 0x0DF1010C).
enum DriverWirelessMode : uint32_t {
  kModeBg = 0,
  kModeBOnly = 1,
  kModeAOnly = 2,
  kModeAbgn = 5,
  kModeBgn = 9,
};

// Rates in 500 kbit/s units: 54, 48, 36, 24, 11, 5.5, 2 and 1 Mbit/s.
constexpr uint8_t kAllRates[8] = {108, 96, 72, 48, 22, 11, 4, 2};
constexpr uint8_t kDsssRates[8] = {22, 11, 4, 2, 0, 0, 0, 0};
constexpr uint32_t kAutomaticRate = 255;
constexpr uint32_t kAutomaticChannel = 255;

// The ad hoc rate record: a count and 12 supported rates, a count and 12 extended rates.
struct AdhocRateRecord {
  uint8_t supportedCount;
  uint8_t supported[12];
  uint8_t extendedCount;
  uint8_t extended[12];
};
static_assert(sizeof(AdhocRateRecord) == 26);

// The 802.11n record; bytes 6 and 11 belong to the driver and go back as read.
struct HtSettingsRecord {
  uint32_t wirelessMode;
  uint8_t byte4;
  uint8_t byte5;
  uint8_t driverByte6;
  uint8_t byte7;
  uint8_t wideChannel;
  uint8_t byte9;
  uint8_t longGuard;
  uint8_t driverByte11;
};
static_assert(sizeof(HtSettingsRecord) == 12);

void SetU32(uint32_t oid, uint32_t value) {
  vtr::SetOid(oid, &value, sizeof(value), nullptr);
}

uint32_t WirelessModeFor(const ProfileRecord& profile) {
  switch (profile.phyMode) {
    case VTR_PHY_11B:
      return kModeBOnly;
    case VTR_PHY_11G:
      return profile.htEnabled ? kModeBgn : kModeBg;
    case VTR_PHY_11A:
      return profile.htEnabled ? kModeAbgn : kModeAOnly;
    default:
      return kModeBgn;
  }
}

void DropConnectedNetwork() {
  uint32_t status = kMediaStatusPreset;
  if (vtr::QueryOid(kOidGenMediaConnectStatus, &status, sizeof(status), nullptr) &&
      status == kMediaConnected) {
    VTR_DisConnectToAP();
  }
}

// Only an ad hoc network with a chosen channel changes the driver's channel; 0 and 255 mean
// automatic, and a position beyond the list (a damaged profile) is treated the same way.
void SelectAdhocChannel(const ProfileRecord& profile) {
  if (profile.networkType != 0 || profile.adhocChannel == 0 ||
      profile.adhocChannel == kAutomaticChannel) {
    return;
  }
  const uint32_t frequency = vtr::AdhocChannelFrequency(profile.adhocChannel);
  if (frequency == 0) return;
  Ndis80211Configuration configuration{};
  vtr::QueryOid(kOid802_11Configuration, &configuration, sizeof(configuration), nullptr);
  configuration.dsConfig = frequency;
  vtr::SetOid(kOid802_11Configuration, &configuration, sizeof(configuration), nullptr);
}

void SetDesiredRates(const ProfileRecord& profile) {
  uint8_t rates[8] = {};
  if (profile.htNetwork && profile.htEnabled) {
    std::memcpy(rates, kAllRates, sizeof(rates));
  } else if (profile.txRate == 0 || profile.txRate == kAutomaticRate) {
    std::memcpy(rates, profile.phyMode == VTR_PHY_11B ? kDsssRates : kAllRates, sizeof(rates));
  } else {
    rates[0] = static_cast<uint8_t>(profile.txRate);
  }
  vtr::SetOid(kOid802_11DesiredRates, rates, sizeof(rates), nullptr);
}

void SetAdhocRates(const ProfileRecord& profile) {
  AdhocRateRecord record{};
  const uint8_t dsss[] = {0x82, 0x84, 0x8B, 0x96};
  std::memcpy(record.supported, dsss, sizeof(dsss));
  record.supportedCount = sizeof(dsss);
  if (profile.phyMode != VTR_PHY_11B) {
    const uint8_t ofdm[] = {0x12, 0x24, 0x48, 0x6C};
    const uint8_t extended[] = {0x8C, 0x98, 0xB0, 0x60};
    std::memcpy(record.supported + sizeof(dsss), ofdm, sizeof(ofdm));
    record.supportedCount = sizeof(dsss) + sizeof(ofdm);
    std::memcpy(record.extended, extended, sizeof(extended));
    record.extendedCount = sizeof(extended);
  }
  vtr::SetOid(vtr::kOidVendorAdhocRatesSet, &record, sizeof(record), nullptr);
}

// The driver's preamble numbering runs the other way round from the profile's. A value the
// advanced settings cannot produce leaves the driver's preamble as it is.
void SetPreamble(uint32_t preamble) {
  if (preamble > 2) return;
  SetU32(vtr::kOidVendorPreambleSet, 2 - preamble);
}

// The advanced settings write back into the caller's record: an ad hoc network never sleeps
// and an infrastructure network takes its preamble from the access point.
void ApplyAdvancedSettings(ProfileRecord& profile) {
  if (profile.networkType == 0) profile.powerMode = kPowerCam;
  SetU32(kOid802_11PowerMode, profile.powerMode);
  if (profile.networkType == 1) profile.preamble = 0;
  SetPreamble(profile.preamble);
  SetU32(kOid802_11RtsThreshold, profile.rtsThreshold);
  SetU32(kOid802_11FragmentationThreshold, profile.fragmentThreshold);
  SetDesiredRates(profile);
  // An 802.11n network keeps the ad hoc rate record the driver has.
  if (profile.htNetwork && profile.htEnabled) return;
  SetAdhocRates(profile);
}

void ApplyHtSettings(const ProfileRecord& profile, uint32_t wirelessMode) {
  HtSettingsRecord record{};
  vtr::QueryOid(vtr::kOidVendorHtSettings, &record, sizeof(record), nullptr);
  record.wirelessMode = wirelessMode;
  record.byte4 = 2;
  record.byte5 = 0;
  record.byte7 = 33;
  record.wideChannel = profile.htChannelWidth != 0 ? 1 : 0;
  record.byte9 = 1;
  record.longGuard = profile.htGuardInterval == 1 ? 0 : 1;
  vtr::SetOid(vtr::kOidVendorHtSettingsSet, &record, sizeof(record), nullptr);
}

void ApplyVendorOption(const ProfileRecord& profile) {
  uint8_t options[8] = {};
  vtr::QueryOid(vtr::kOidVendorOptions, options, sizeof(options), nullptr);
  options[2] = profile.vendorOptionFlag != 0 ? 1 : 2;
  vtr::SetOid(vtr::kOidVendorOptionsSet, options, sizeof(options), nullptr);
}

// A name longer than 802.11 allows can only come from a damaged profile; it is refused as the
// driver would refuse it, without a request.
bool GiveSsid(const ProfileRecord& profile) {
  const std::size_t length = vtr::bounds::TextLength(profile.ssid);
  if (length > vtr::bounds::kMaxSsidBytes) return false;
  Ndis80211Ssid ssid{};
  ssid.ssidLength = static_cast<uint32_t>(length);
  std::memcpy(ssid.ssid, profile.ssid, length);
  return vtr::SetOid(kOid802_11Ssid, &ssid, sizeof(ssid), nullptr) != 0;
}

}  // namespace

VtrBool VTR_ConnectToAP(ProfileRecord* profile, uint32_t flags) try {
  if (profile == nullptr) return 0;
  auto& state = vtr::LibState();
  if (vtr::supplicant::Loaded()) vtr::supplicant::StopPort();
  DropConnectedNetwork();
  SetU32(vtr::kOidVendorWpsModeSet, 0);
  SetU32(kOid802_11ReloadDefaults, 0);  // the default WEP keys
  SetU32(kOid802_11InfrastructureMode, profile->networkType != 0 ? kModeInfrastructure : kModeIbss);
  SelectAdhocChannel(*profile);
  const uint32_t wirelessMode = WirelessModeFor(*profile);
  SetU32(vtr::kOidVendorWirelessModeSet, wirelessMode);
  if (profile->keepDriverSettings == 0) ApplyAdvancedSettings(*profile);
  if (profile->htEnabled) ApplyHtSettings(*profile, wirelessMode);
  ApplyVendorOption(*profile);
  vtr::connect::ApplySecurity(*profile);
  if (!GiveSsid(*profile)) return 0;

  if (state.osClass != vtr::kOsWindows2000) vtr::connect::ReleaseAdapterAddress();
  const bool wait = (flags & kFlagNoWait) == 0;
  vtr::connect::AddressChangeWait change;
  if (wait && vtr::IsSupportedOsClass(state.osClass)) change.Register();
  if (!wait) return 1;
  return vtr::connect::WaitForAddress(*profile, change) ? 1 : 0;
} catch (...) {
  return vtr::ExceptionAtBoundary(__func__, false);
}
