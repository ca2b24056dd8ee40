// The current association as the Network Status page and the tray show it. The utility polls
// this every second or so; it makes at most ten driver requests and decodes two rates.
#include <atomic>
#include <cstdio>
#include <cstring>

#include "lib/common/channel_table.h"
#include "lib/common/export_boundary.h"
#include "lib/common/signal_percent.h"
#include "lib/driver/lib_state.h"
#include "lib/driver/oid_channel.h"
#include "lib/driver/rate_tables.h"
#include "vtrlib.h"

namespace {

using namespace platform;

constexpr uint32_t kMediaStatusPreset = 0x01010101;
constexpr uint32_t kFlagDbm = 1;
// The driver reports this RSSI when it has no reading from the access point.
constexpr int32_t kNoReadingRssi = -200;
constexpr uint32_t kFiveGHzKhz = 5000000;
constexpr uint32_t kLinkStatisticsSize = 20;

// The smoothed signal, shared by every caller and never reset: each reading moves it half way.
std::atomic<int32_t> previousSignal{0};

enum RateDirection { kTransmit, kReceive };

double RateOf(RateDirection direction) {
  uint32_t descriptor = 0;
  const uint32_t oid = direction == kTransmit ? vtr::kOidVendorTxRate : vtr::kOidVendorRxRate;
  if (!vtr::QueryOid(oid, &descriptor, sizeof(descriptor), nullptr)) return 0;
  return vtr::DecodeRateDescriptor(descriptor);
}

uint32_t AuthCode(uint32_t ndisMode) {
  switch (ndisMode) {
    case kAuthOpen:
      return VTR_AUTH_OPEN;
    case kAuthShared:
      return VTR_AUTH_SHARED;
    case kAuthAutoSwitch:
      return VTR_AUTH_AUTO_SWITCH;
    case kAuthWpa:
    case kAuthWpaNone:
      return VTR_AUTH_WPA;
    case kAuthWpaPsk:
      return VTR_AUTH_WPA_PSK;
    case kAuthWpa2:
      return VTR_AUTH_WPA2;
    case kAuthWpa2Psk:
      return VTR_AUTH_WPA2_PSK;
    default:
      return VTR_AUTH_UNKNOWN;
  }
}

// A cipher whose key is still absent is reported as the cipher: the link is set up for it.
uint32_t CipherCode(uint32_t status) {
  switch (status) {
    case kWepEnabled:
      return VTR_CIPHER_WEP;
    case kEncryptionDisabled:
    case kWepKeyAbsent:
      return VTR_CIPHER_NONE;
    case kTkipEnabled:
    case kTkipKeyAbsent:
      return VTR_CIPHER_TKIP;
    case kAesEnabled:
    case kAesKeyAbsent:
      return VTR_CIPHER_AES;
    default:
      return VTR_CIPHER_UNKNOWN;
  }
}

// A failed RSSI query is no reading: the signal stays at its default of 0 and the average is
// not pulled towards it.
void ReadSignal(VtrLinkInfo& link, uint32_t flags) {
  int32_t rssi = 0;
  if (!vtr::QueryOid(kOid802_11Rssi, &rssi, sizeof(rssi), nullptr)) return;
  if ((flags & kFlagDbm) != 0) {
    link.signal = rssi;
    return;
  }
  int32_t percent = vtr::SignalPercent(rssi);
  const int32_t previous = previousSignal.load();
  if (previous != 0) percent = static_cast<int32_t>((previous + percent + 1) * 0.5);
  previousSignal.store(percent);
  link.signal = rssi == kNoReadingRssi ? 0 : (percent > 100 ? 100 : percent);
}

void FormatBssid(char* out, std::size_t size, const uint8_t* mac) {
  std::snprintf(out, size, "%02X-%02X-%02X-%02X-%02X-%02X", mac[0], mac[1], mac[2], mac[3], mac[4],
                mac[5]);
}

}  // namespace

void VTR_APLinkInformation(VtrLinkInfo* link, uint32_t flags) try {
  if (link == nullptr) return;
  // Everything but authMode gets its default; authMode is written only when the driver answers.
  const uint32_t authMode = link->authMode;
  std::memset(link, 0, sizeof(*link));
  link->authMode = authMode;
  link->linkState = VTR_IsCardConnect() ? 2 : 3;
  link->phyMode = VTR_PHY_UNDETERMINED;
  link->cipher = VTR_CIPHER_UNKNOWN;

  const auto& state = vtr::LibState();
  if (!vtr::IsSupportedOsClass(state.osClass)) return;
  uint32_t media = kMediaStatusPreset;
  if (!vtr::QueryOid(kOidGenMediaConnectStatus, &media, sizeof(media), nullptr) ||
      media != kMediaConnected) {
    return;
  }

  Ndis80211Ssid ssid{};
  if (vtr::QueryOid(kOid802_11Ssid, &ssid, sizeof(ssid), nullptr)) {
    if (ssid.ssidLength == 0) return;
    // The driver's count is not trusted past the name's 32 bytes.
    const uint32_t length =
        ssid.ssidLength < sizeof(ssid.ssid) ? ssid.ssidLength : sizeof(ssid.ssid);
    std::memcpy(link->ssid, ssid.ssid, length);
  }
  link->linkState = 1;

  uint8_t bssid[6] = {};
  if (vtr::QueryOid(kOid802_11Bssid, bssid, sizeof(bssid), nullptr)) {
    FormatBssid(link->bssid, sizeof(link->bssid), bssid);
  }
  uint32_t value = 0;
  if (vtr::QueryOid(kOid802_11AuthenticationMode, &value, sizeof(value), nullptr)) {
    link->authMode = AuthCode(value);
  }
  value = 0;
  if (vtr::QueryOid(kOid802_11EncryptionStatus, &value, sizeof(value), nullptr)) {
    link->cipher = CipherCode(value);
  }
  value = 0;
  if (vtr::QueryOid(kOid802_11InfrastructureMode, &value, sizeof(value), nullptr)) {
    link->networkType = value == kModeInfrastructure ? 1 : 0;
  }
  Ndis80211Configuration configuration{};
  if (vtr::QueryOid(kOid802_11Configuration, &configuration, sizeof(configuration), nullptr)) {
    link->channel = vtr::ChannelForFrequency(configuration.dsConfig);
  }

  uint32_t statistics[kLinkStatisticsSize / 4] = {};
  const bool haveStatistics =
      vtr::QueryOid(vtr::kOidVendorLinkStatistics, statistics, sizeof(statistics), nullptr) != 0;
  if (haveStatistics) {
    link->txRate = static_cast<uint32_t>(RateOf(kTransmit) * 10);
    link->rxRate = static_cast<uint32_t>(RateOf(kReceive) * 10);
    ReadSignal(*link, flags);
  }

  // The band: 5 GHz is 802.11a; at 2.4 GHz a current rate of 1, 2, 5.5 or 11 Mbit/s means
  // 802.11b. Without the statistics the current rate is unknown, so a 2.4 GHz link stays "not
  // determined" rather than being guessed.
  configuration = {};
  if (vtr::QueryOid(kOid802_11Configuration, &configuration, sizeof(configuration), nullptr)) {
    if (configuration.dsConfig > kFiveGHzKhz) {
      link->phyMode = VTR_PHY_11A;
    } else if (haveStatistics) {
      const uint32_t rate = statistics[0];
      link->phyMode =
          rate == 2 || rate == 4 || rate == 11 || rate == 22 ? VTR_PHY_11B : VTR_PHY_11G;
    }
  }
} catch (...) {
  vtr::ExceptionAtBoundary(__func__);
}
