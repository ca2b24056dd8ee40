// The rules of a profile record that every part of the store applies: its defaults and the
// invariants a stored record keeps. They work on memory only, so whatever reads the store's
// format (the store itself, an export file, vtrctl checking a store) applies the same rules.
#include <cstring>

#include "lib/common/profile_record_rules.h"

namespace vtr::profile {

void ApplyDefaults(ProfileRecord& record) {
  std::memset(record.profileName, 0, sizeof(record.profileName));
  std::memset(record.ssid, 0, sizeof(record.ssid));
  std::memset(record.bssid, 0, sizeof(record.bssid));
  record.surveyChannel = 0;
  record.isDefault = 0;
  record.networkType = 1;
  record.phyMode = 4;
  record.adhocWirelessMode = 8;
  record.adhocChannel = 0;
  record.keepDriverSettings = 1;
  record.powerMode = 0;
  record.preamble = 0;
  record.txRate = 255;
  record.fragmentThreshold = 2346;
  record.rtsThreshold = 2346;
  record.authMode = 0;
  record.encryption = 0;
  record.wepKeyManual = 0;
  std::memset(record.wepPassphrase, 0, sizeof(record.wepPassphrase));
  record.wepPassphraseLength = 0;
  record.wepKeyIndex = 0;
  std::memset(record.wepKeyLength, 0, sizeof(record.wepKeyLength));
  std::memset(record.wepKey, 0, sizeof(record.wepKey));
  std::memset(record.psk, 0, sizeof(record.psk));
  record.pskLength = 0;
  record.eapMethod = 0;
  std::memset(record.tlsIdentity, 0, sizeof(record.tlsIdentity));
  std::memset(record.tlsCertificateName, 0, sizeof(record.tlsCertificateName));
  std::memset(record.tlsCertificateHash, 0, sizeof(record.tlsCertificateHash));
  std::memset(record.eapIdentity, 0, sizeof(record.eapIdentity));
  std::memset(record.eapPassword, 0, sizeof(record.eapPassword));
  std::memset(record.eapDomain, 0, sizeof(record.eapDomain));
  record.htNetwork = 1;
  record.htEnabled = 0;
  record.htChannelWidth = -1;
  record.htGuardInterval = -1;
  record.htExtensionChannel = -1;
  record.htAntennaSelection = -1;
  record.sequence = 0;
  record.useStaticIp = 0;
  std::memset(record.ipAddress, 0, sizeof(record.ipAddress));
  std::memset(record.subnetMask, 0, sizeof(record.subnetMask));
  std::memset(record.defaultGateway, 0, sizeof(record.defaultGateway));
  record.useStaticDns = 0;
  std::memset(record.preferredDns, 0, sizeof(record.preferredDns));
  std::memset(record.alternateDns, 0, sizeof(record.alternateDns));
  record.vendorOptionFlag = 1;
}

bool HoldsStoredInvariants(const ProfileRecord& record) {
  const uint32_t phy = record.phyMode;
  return record.isDefault <= 1 && record.networkType <= 1 &&
         (phy == 2 || phy == 4 || phy == 6 || phy == 8);
}

}  // namespace vtr::profile
