#include "tools/vtrctl/connect_verdict.h"

#include "app/core/survey_text.h"
#include "tools/vtrctl/cli.h"
#include "tools/vtrctl/profile_command_fields.h"

namespace vtrctl {
namespace {

constexpr uint32_t kEapTls = 0;
constexpr uint32_t kEapPeap = 1;
constexpr uint32_t kEapLeap = 2;
// Below this an adapter hears a network's beacons but cannot hold an association with it.
constexpr int32_t kWeakestJoinableDbm = -90;

bool UsesWep(const ProfileRecord& profile) {
  return profile.encryption == VTR_CIPHER_WEP && profile.authMode <= VTR_AUTH_AUTO_SWITCH;
}
bool UsesPreSharedKey(const ProfileRecord& profile) {
  return profile.authMode == VTR_AUTH_WPA_PSK || profile.authMode == VTR_AUTH_WPA2_PSK;
}
bool Uses8021x(const ProfileRecord& profile) {
  return profile.authMode == VTR_AUTH_WPA || profile.authMode == VTR_AUTH_WPA2;
}

// Windows' own address when DHCP never answers, or none at all.
bool NoLeasedAddress(const std::string& address) {
  return address.empty() || address == "0.0.0.0" || address.starts_with("169.254.");
}

// Whether the network offers what the profile asks: its authentication and cipher for WPA, WEP
// without WPA, or nothing at all for an open profile.
bool SecurityFits(const ProfileRecord& profile, const VtrSurveyEntry& network) {
  if (UsesPreSharedKey(profile) || Uses8021x(profile)) {
    return (network.authMask & profile.authMode) != 0 &&
           (network.cipherMask & profile.encryption) != 0;
  }
  if (network.authMask != 0) return false;
  return UsesWep(profile) ? (network.cipherMask & VTR_CIPHER_WEP) != 0 : network.cipherMask == 0;
}

// The security a scan heard, as the Site Survey page names it.
std::string NetworkSecurityText(const VtrSurveyEntry& network) {
  if (network.authMask == 0 && network.cipherMask == 0) return "no security";
  return core::SecurityText(network.authMask, network.cipherMask);
}

// Why a network that is in range and offers the profile's security refused the adapter.
std::string RefusalReason(const ProfileRecord& profile, const ConnectFacts& facts,
                          const std::string& ssid) {
  if (UsesPreSharedKey(profile)) return "'" + ssid + "' refused the pre-shared key (check --psk)";
  if (Uses8021x(profile)) {
    switch (profile.eapMethod) {
      case kEapLeap:
        return "the adapter library has no LEAP: it joins a LEAP profile without any 802.1X "
               "sign-in, which '" +
               ssid + "' refuses (use PEAP or EAP-TLS)";
      case kEapTls:
        return "'" + ssid + "' refused the certificate (EAP-TLS: check --identity and --cert)";
      case kEapPeap:
        return facts.driverBuild
                   ? "'" + ssid +
                         "' refused the PEAP sign-in (check --identity, --password and "
                         "--domain)"
                   : "'" + ssid +
                         "' refused the PEAP sign-in (the Vista build signs in as the "
                         "Windows user)";
      default:
        return "'" + ssid + "' refused the 802.1X sign-in";
    }
  }
  if (UsesWep(profile)) {
    switch (profile.authMode) {
      case VTR_AUTH_OPEN:
        return "'" + ssid +
               "' refused open-system authentication: it may want shared key (--auth shared or "
               "--auth auto), or the WEP key is wrong";
      case VTR_AUTH_SHARED:
        return "'" + ssid +
               "' refused the shared-key authentication: the WEP key is wrong, or the network "
               "wants open system (--auth open)";
      default:
        return "'" + ssid +
               "' refused both open-system and shared-key authentication: the WEP "
               "key is wrong";
    }
  }
  return "'" + ssid + "' did not let the adapter associate";
}

// The adapter is not on the profile's network: what the adapter and the scan tell.
std::string NotAssociatedReason(const ProfileRecord& profile, const ConnectFacts& facts,
                                const std::string& ssid) {
  if (!facts.adapterPresent) return "the adapter is gone (is it plugged in?)";
  if (!facts.radioOn) return "the adapter's radio is off (vtrctl radio on)";
  if (facts.link.linkState == 1) {
    return "the adapter is on '" + FieldText(facts.link.ssid) +
           "' instead: another program connected it meanwhile";
  }
  // A hidden network is heard without its name: one whose security fits may be the profile's
  // network refusing it.
  if (!facts.heard && facts.hidden && SecurityFits(profile, *facts.hidden)) {
    return "no network '" + ssid + "' answers a scan by name: it is out of range, or a hidden " +
           "network that refused the profile (check its key and security)";
  }
  if (!facts.heard) return "no network '" + ssid + "' is in range (a scan does not hear it)";
  const VtrSurveyEntry& network = *facts.heard;
  if (network.networkType != profile.networkType) {
    return std::string("'") + ssid + "' is in range as " +
           (network.networkType == VTR_NETWORK_ADHOC ? "an ad hoc" : "an infrastructure") +
           " network, but the profile is for " +
           (profile.networkType == VTR_NETWORK_ADHOC ? "ad hoc" : "infrastructure") + " (--type)";
  }
  if (network.signal < kWeakestJoinableDbm) {
    return "'" + ssid + "' is heard only at " + std::to_string(network.signal) +
           " dBm, too weak to join (move closer to it)";
  }
  if (!SecurityFits(profile, network)) {
    return "'" + ssid + "' is in range but uses " + NetworkSecurityText(network) +
           ", which the profile's security (" + SecurityText(profile) + ") does not fit";
  }
  return RefusalReason(profile, facts, ssid);
}

// On the network, but with no leased address: fine for ad hoc, the reason otherwise.
std::optional<std::string> AddressFailure(const ProfileRecord& profile, const ConnectFacts& facts,
                                          const std::string& ssid, const std::string& seconds) {
  if (!NoLeasedAddress(facts.address) || profile.networkType == VTR_NETWORK_ADHOC) {
    // An ad hoc network has no DHCP server: the 169.254 address is the one to expect.
    return std::nullopt;
  }
  const std::string gave = facts.address.starts_with("169.254.")
                               ? "; the adapter gave itself " + facts.address
                               : " in " + seconds;
  const std::string joined = "joined '" + ssid + "' at " + FieldText(facts.link.bssid);
  if (UsesWep(profile)) {
    return joined + " but DHCP never answered" + gave +
           " (a wrong WEP key lets the association through, but no traffic)";
  }
  return joined + " but no DHCP server answered" + gave +
         " (a network without DHCP needs a fixed address: --ip and --mask)";
}

}  // namespace

bool OnProfileNetwork(const VtrLinkInfo& link, const ProfileRecord& profile) {
  return link.linkState == 1 && FieldText(link.ssid) == FieldText(profile.ssid) &&
         link.networkType == profile.networkType;
}

bool NeedsScan(const ConnectFacts& facts) {
  return !facts.interrupted && facts.adapterPresent && facts.link.linkState != 1;
}

std::optional<std::string> ConnectFailure(const ProfileRecord& profile, const ConnectFacts& facts) {
  const std::string ssid = FieldText(profile.ssid);
  if (facts.interrupted) {
    return "the connect to '" + ssid +
           "' was cut short: another program took the adapter over (another connect or "
           "disconnect, WPS, or the utility)";
  }
  const std::string seconds = std::to_string(facts.elapsedMs / 1000) + " s";
  if (!OnProfileNetwork(facts.link, profile)) {
    if (!facts.waited && facts.joined) {
      return "gave '" + ssid + "' to the adapter, but it did not associate within 10 s: " +
             NotAssociatedReason(profile, facts, ssid);
    }
    // The driver build gives up only after its waits; the Vista build's service answers at once.
    const std::string when = facts.driverBuild && facts.elapsedMs >= 5000 ? " in " + seconds : "";
    return "could not join '" + ssid + "'" + when + ": " +
           NotAssociatedReason(profile, facts, ssid);
  }
  if (!facts.waited) return std::nullopt;
  return AddressFailure(profile, facts, ssid, seconds);
}

}  // namespace vtrctl
