#include "sim/wlan_profile_fit.h"

#include "platform/ndis_802_11.h"
#include "sim/adapter_scan.h"
#include "sim/association.h"
#include "sim/rsn_settings.h"
#include "sim/sim_certificates.h"
#include "sim/supplicant_keys.h"

namespace sim {
namespace {

using namespace platform;

bool IsPsk(ProfileAuthentication authentication) {
  return authentication == ProfileAuthentication::kWpaPsk ||
         authentication == ProfileAuthentication::kWpa2Psk;
}

bool IsEnterprise(ProfileAuthentication authentication) {
  return authentication == ProfileAuthentication::kWpa ||
         authentication == ProfileAuthentication::kWpa2;
}

// Whether the network offers the WPA version the profile asks for.
bool VersionOffered(ProfileAuthentication authentication, NetworkSecurity security) {
  switch (authentication) {
    case ProfileAuthentication::kWpaPsk:
      return security == NetworkSecurity::kWpaPsk || security == NetworkSecurity::kWpaWpa2Psk;
    case ProfileAuthentication::kWpa2Psk:
      return security == NetworkSecurity::kWpa2Psk || security == NetworkSecurity::kWpaWpa2Psk;
    case ProfileAuthentication::kWpa:
      return security == NetworkSecurity::kWpa || security == NetworkSecurity::kWpaWpa2;
    case ProfileAuthentication::kWpa2:
      return security == NetworkSecurity::kWpa2 || security == NetworkSecurity::kWpaWpa2;
    default:
      return false;
  }
}

bool CipherOffered(ProfileEncryption encryption, NetworkCiphers ciphers) {
  if (ciphers == NetworkCiphers::kBoth) return true;
  return encryption ==
         (ciphers == NetworkCiphers::kTkip ? ProfileEncryption::kTkip : ProfileEncryption::kAes);
}

uint32_t NdisAuthentication(ProfileAuthentication authentication) {
  switch (authentication) {
    case ProfileAuthentication::kOpen:
      return kAuthOpen;
    case ProfileAuthentication::kShared:
      return kAuthShared;
    case ProfileAuthentication::kWpa:
      return kAuthWpa;
    case ProfileAuthentication::kWpaPsk:
      return kAuthWpaPsk;
    case ProfileAuthentication::kWpa2:
      return kAuthWpa2;
    case ProfileAuthentication::kWpa2Psk:
      return kAuthWpa2Psk;
  }
  return kAuthOpen;
}

uint32_t NdisEncryption(ProfileEncryption encryption) {
  switch (encryption) {
    case ProfileEncryption::kNone:
      return kEncryptionDisabled;
    case ProfileEncryption::kWep:
      return kWepEnabled;
    case ProfileEncryption::kTkip:
      return kTkipEnabled;
    case ProfileEncryption::kAes:
      return kAesEnabled;
  }
  return kEncryptionDisabled;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return c - 'A' + 10;  // the reader let only hexadecimal digits through
}

std::vector<uint8_t> HexKey(const std::string& text) {
  std::vector<uint8_t> bytes(text.size() / 2);
  for (size_t i = 0; i < bytes.size(); ++i) {
    bytes[i] = static_cast<uint8_t>(HexValue(text[2 * i]) * 16 + HexValue(text[2 * i + 1]));
  }
  return bytes;
}

// A WEP network key: 10 or 26 hexadecimal digits, or 5 or 13 characters taken as they are.
std::vector<uint8_t> WepKeyBytes(const std::string& material) {
  if (material.size() == 10 || material.size() == 26) return HexKey(material);
  return std::vector<uint8_t>(material.begin(), material.end());
}

// The pairwise master key the profile's key makes for the network.
Pmk ProfilePmk(const ProfileSharedKey& key, const std::vector<uint8_t>& ssid) {
  if (key.keyType == ProfileKeyType::kPassPhrase) return PassphrasePmk(key.keyMaterial, ssid);
  const std::vector<uint8_t> bytes = HexKey(key.keyMaterial);
  Pmk pmk{};
  std::copy(bytes.begin(), bytes.end(), pmk.begin());
  return pmk;
}

// The 802.1X exchange the service runs for the user: PEAP with the logon's name and password,
// TLS with the user's certificate that chains to the profile's root.
bool EnterpriseAccepted(const WlanProfile& profile, const NetworkDescription& network,
                        const MachineDescription& machine, SimCertificates& certificates) {
  const auto& accounts = network.credentials.accounts;
  if (profile.eapType == kEapTypePeap) {
    if (!machine.logonCredentials) return false;
    const LogonCredentials& logon = *machine.logonCredentials;
    const std::string identity =
        logon.domain.empty() ? logon.identity : logon.domain + "\\" + logon.identity;
    return PasswordAccepted(accounts, identity, logon.password);
  }
  if (profile.eapType == kEapTypeTls && profile.tlsRootHash) {
    return certificates.TlsLogonAccepted(accounts, *profile.tlsRootHash);
  }
  return false;
}

bool RsnFits(const WlanProfile& profile, const NetworkDescription& network,
             const MachineDescription& machine, SimCertificates& certificates) {
  if (!VersionOffered(profile.authentication, network.security) ||
      !CipherOffered(profile.encryption, network.ciphers)) {
    return false;
  }
  if (IsPsk(profile.authentication)) {
    // A key that is not the network's fails the four-way handshake.
    const auto expected = NetworkPmk(network);
    return expected && profile.sharedKey &&
           ProfilePmk(*profile.sharedKey, network.ssid) == *expected;
  }
  return EnterpriseAccepted(profile, network, machine, certificates);
}

}  // namespace

std::optional<NetworkDescription> ProfileNetwork(const WlanProfile& profile,
                                                 const AdapterDescription& adapter,
                                                 const AdapterState& state,
                                                 const MachineDescription& machine) {
  if (!state.present || !state.radioOn) return std::nullopt;
  std::optional<NetworkDescription> found;
  for (const auto& network : HeardNetworks(adapter.radio, state, machine)) {
    if (network.ssid != profile.ssid || network.adhoc != profile.adhoc) continue;
    if (network.rssi < kJoinSensitivityDbm) continue;
    // A network that keeps its name out of its beacons answers only a probe that names it.
    if (network.hidden && !profile.nonBroadcast) continue;
    if (!found || network.rssi > found->rssi) found = network;
  }
  return found;
}

std::optional<JoinTerms> TermsOfProfile(const WlanProfile& profile,
                                        const std::optional<NetworkDescription>& network,
                                        const MachineDescription& machine,
                                        SimCertificates& certificates) {
  JoinTerms terms;
  terms.ssid = profile.ssid;
  terms.adhoc = profile.adhoc;
  terms.profileName = profile.name;
  terms.authenticationMode = NdisAuthentication(profile.authentication);
  terms.encryptionStatus = NdisEncryption(profile.encryption);
  if (profile.encryption == ProfileEncryption::kWep && profile.sharedKey) {
    terms.wepKey = WepKeyBytes(profile.sharedKey->keyMaterial);
    terms.wepKeyIndex = profile.keyIndex;
  }
  const bool rsnProfile = IsPsk(profile.authentication) || IsEnterprise(profile.authentication);
  if (!network) {
    // Only an ad hoc network of one's own can be started; this station starts no WPA IBSS.
    if (profile.adhoc && !rsnProfile) return terms;
    return std::nullopt;
  }
  const bool rsnNetwork = UsesPreSharedKey(network->security) || Uses8021x(network->security);
  if (rsnProfile != rsnNetwork) return std::nullopt;
  if (!rsnNetwork) return terms;
  if (!RsnFits(profile, *network, machine, certificates)) return std::nullopt;
  terms.rsnKeysAfterMs = IsPsk(profile.authentication) ? kHandshakeMs : k8021xExchangeMs;
  return terms;
}

}  // namespace sim
