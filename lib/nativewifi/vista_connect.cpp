// Slot 13 of the Vista build: joining a network through a temporary WLAN profile, a second try
// with shared-key authentication for a WEP "Auto Switch" network, the record's IP settings
// through WMI, and the wait for a usable address.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "lib/common/address_change_wait.h"
#include "lib/common/default_routes.h"
#include "lib/common/internet_information.h"
#include "lib/common/profile_bounds.h"
#include "lib/nativewifi/base_vista_lib.h"
#include "lib/nativewifi/eap_tls_blob.h"
#include "lib/nativewifi/profile_document.h"
#include "lib/nativewifi/vista_state.h"
#include "lib/nativewifi/vista_trace.h"
#include "platform/services.h"
#include "vtrlib.h"

namespace vtr {
namespace {

constexpr uint32_t kFlagNoAddressWait = 2;
constexpr uint32_t kFlagKeepIpSettings = 4;
constexpr uint32_t kFlagStoreProfile = 8;
constexpr uint32_t kConnectCompleteWaitMs = 120'000;
constexpr uint32_t kAddressChangeWindowMs = 10'000;

std::string AddressText(const uint8_t (&address)[4]) {
  char text[16];
  std::snprintf(text, sizeof text, "%d.%d.%d.%d", address[0], address[1], address[2], address[3]);
  return text;
}

bool IsZero(const uint8_t (&address)[4]) {
  return address[0] == 0 && address[1] == 0 && address[2] == 0 && address[3] == 0;
}

// A zero server is passed as empty text, which leaves its place to DHCP.
std::string ServerText(const uint8_t (&address)[4]) {
  return IsZero(address) ? std::string() : AddressText(address);
}

std::u16string ProfileXmlOf(const ProfileRecord& profile) {
  std::string blob;
  if (NeedsEapTlsBlob(profile)) {
    blob = EapTlsConfigBlob(
        std::string(profile.tlsCertificateName, bounds::TextLength(profile.tlsCertificateName)),
        platform::Current().Certificates());
  }
  return ProfileXml(profile, blob);
}

platform::WlanConnectionParameters ConnectionParameters(const ProfileRecord& profile,
                                                        std::u16string xml) {
  platform::WlanConnectionParameters parameters;
  parameters.connectionMode = platform::kWlanConnectionModeTemporaryProfile;
  parameters.profile = std::move(xml);
  // DOT11_SSID holds 32 bytes; a longer name has no document and the service refuses it.
  const size_t length = std::min(bounds::TextLength(profile.ssid), bounds::kMaxSsidBytes);
  parameters.ssid.assign(profile.ssid, profile.ssid + length);
  parameters.bssType =
      profile.networkType == 1 ? platform::kDot11BssInfrastructure : platform::kDot11BssIndependent;
  parameters.flags = 0;
  return parameters;
}

bool IsAutoSwitchWep(const ProfileRecord& profile) {
  return profile.encryption == VTR_CIPHER_WEP && profile.authMode == VTR_AUTH_AUTO_SWITCH;
}

}  // namespace

// One attempt: the document, the ad hoc channel, WlanConnect (and the stored copy when asked),
// and the service's verdict. dhcpEnabled tells whether DHCP was on before it.
CBaseVistaLib::ConnectAttempt CBaseVistaLib::TryConnect(const ProfileRecord& profile,
                                                        uint32_t flags, bool& dhcpEnabled) {
  auto& wlan = platform::Current().NativeWifi();
  auto& events = platform::Current().Events();
  std::u16string xml = ProfileXmlOf(profile);
  SetAdhocChannel(profile);
  dhcpEnabled = AdapterDhcpEnabled(VistaAdapter().name);

  const platform::WlanGuid guid = VistaInterfaceGuid();
  const platform::EventHandle connectComplete = VistaState().connectComplete;
  VistaTrace("call WlanConnect()");
  events.ResetEvent(connectComplete);
  const long connected = wlan.WlanConnect(wlanHandle_, guid, ConnectionParameters(profile, xml));
  VistaTrace("call WlanConnect() end");
  if ((flags & kFlagStoreProfile) != 0) {
    uint32_t reason = 0;
    wlan.WlanSetProfile(wlanHandle_, guid, platform::kWlanProfileAllUser, xml, true, &reason);
  }
  if (connected != 0) return ConnectAttempt::kFailed;
  if (events.WaitForSingleObject(connectComplete, kConnectCompleteWaitMs) !=
      platform::kWaitObject0) {
    return ConnectAttempt::kFailed;
  }
  return CurrentlyConnected() ? ConnectAttempt::kConnected : ConnectAttempt::kNoConnection;
}

void CBaseVistaLib::ApplyIpSettings(ProfileRecord& profile, bool dhcpWasEnabled) {
  const int32_t index = adapterIndex_;
  if (profile.useStaticIp != 0) {
    VTR_WMIEnableStatic(index, AddressText(profile.ipAddress).c_str(),
                        AddressText(profile.subnetMask).c_str());
    if (!IsZero(profile.defaultGateway)) {
      VTR_WMISetDefaultGateway(index, AddressText(profile.defaultGateway).c_str());
    }
  } else if (!dhcpWasEnabled) {
    VTR_WMIEnableDHCP(index);
    // The gateway of the fixed configuration would otherwise stay beside the lease's.
    if (index >= 0) DeleteDefaultRoutes(static_cast<uint32_t>(index));
  }
  if (profile.useStaticDns == 0) {
    std::memset(profile.preferredDns, 0, sizeof profile.preferredDns);
    std::memset(profile.alternateDns, 0, sizeof profile.alternateDns);
  }
  VTR_WMISetDNSServerSearchOrder(index, ServerText(profile.preferredDns).c_str(),
                                 ServerText(profile.alternateDns).c_str());
}

// Address changes until none comes for 10 s: the last one decides. A link-local address is no
// address; "0.0.0.0" and an empty text (the interface went down) change nothing.
VtrBool CBaseVistaLib::WaitForUsableAddress() {
  AddressChangeWait change;
  if (!change.Register()) {
    DisConnectToAP();
    return 0;
  }
  VtrBool result = 0;
  while (change.Wait(kAddressChangeWindowMs)) {
    VtrIpInfo ip{};
    APInternetInformation(&ip);
    const std::string address(ip.ipAddress, strnlen(ip.ipAddress, sizeof ip.ipAddress));
    if (address.find("169.254") != std::string::npos) {
      result = 0;
    } else if (!address.empty() && address.find("0.0.0.0") == std::string::npos) {
      result = 1;
    }
    if (!change.Register()) {
      DisConnectToAP();
      return 0;
    }
  }
  return result;
}

VtrBool CBaseVistaLib::ConnectToAP(ProfileRecord* profile, uint32_t flags) {
  if (profile == nullptr) return 0;
  DisConnectToAP();
  bool dhcpWasEnabled = false;
  for (;;) {
    const ConnectAttempt attempt = TryConnect(*profile, flags, dhcpWasEnabled);
    if (attempt == ConnectAttempt::kConnected) break;
    if (attempt == ConnectAttempt::kNoConnection && IsAutoSwitchWep(*profile)) {
      // The caller keeps what worked: the next connect goes straight to shared key.
      profile->authMode = VTR_AUTH_SHARED;
      continue;
    }
    // A completion without a connection is no connection: the IP settings stay as they are.
    return 0;
  }
  if ((flags & kFlagKeepIpSettings) == 0) {
    ApplyIpSettings(*profile, dhcpWasEnabled);
    if (profile->useStaticIp != 0) return 1;
  }
  if ((flags & kFlagNoAddressWait) != 0) return 1;
  return WaitForUsableAddress();
}

}  // namespace vtr
