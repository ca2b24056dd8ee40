/* The profile record: 2212 bytes, the same in memory, in the store file, in the export file
 * and in the registry value "Default Profile". */
#ifndef VTRLIB_PROFILE_RECORD_H
#define VTRLIB_PROFILE_RECORD_H

#include "vtr_base.h"

#pragma pack(push, 1)

typedef struct ProfileRecord {
  char profileName[257];
  char ssid[257];
  char bssid[18];
  uint32_t surveyChannel;
  uint32_t isDefault;
  uint32_t networkType;
  uint32_t phyMode;
  uint32_t adhocWirelessMode;
  uint32_t adhocChannel;
  uint8_t keepDriverSettings;
  uint8_t reserved557[3];
  uint32_t powerMode;
  uint32_t preamble;
  uint32_t txRate;
  uint32_t fragmentThreshold;
  uint32_t rtsThreshold;
  uint32_t authMode;
  uint32_t encryption;
  uint8_t wepKeyManual;
  char wepPassphrase[33];
  uint8_t reserved622[2];
  uint32_t wepPassphraseLength;
  uint32_t wepKeyIndex;
  uint32_t wepKeyLength[4];
  char wepKey[4][33];
  uint8_t pskIsHex;
  char psk[65];
  uint8_t reserved846[2];
  uint32_t pskLength;
  uint32_t eapMethod;
  char tlsIdentity[257];
  char tlsCertificateName[257];
  uint8_t tlsCertificateHash[21];
  char eapIdentity[257];
  char eapPassword[257];
  char eapDomain[257];
  uint8_t htNetwork;
  uint8_t htEnabled;
  int32_t htChannelWidth;
  int32_t htGuardInterval;
  int32_t htExtensionChannel;
  int32_t htAntennaSelection;
  uint32_t sequence;
  uint8_t reserved2184[4];
  uint8_t wepKeyAscii;
  uint8_t useStaticIp;
  uint8_t ipAddress[4];
  uint8_t subnetMask[4];
  uint8_t defaultGateway[4];
  uint8_t useStaticDns;
  uint8_t preferredDns[4];
  uint8_t alternateDns[4];
  uint8_t vendorOptionFlag;
} ProfileRecord;

/* Argument of VTR_ProfileSetting: where the profile store lives. */
typedef struct ProfileStorageSetting {
  uint32_t mode;    /* 0 registry, 1 file */
  uint32_t rootKey; /* 0 HKCR, 1 HKCU, 2 HKLM, 3 HKU */
  char keyPath[260];
} ProfileStorageSetting;

#pragma pack(pop)

VTR_ASSERT_SIZE(ProfileRecord, 2212);
VTR_ASSERT_OFFSET(ProfileRecord, profileName, 0);
VTR_ASSERT_OFFSET(ProfileRecord, ssid, 257);
VTR_ASSERT_OFFSET(ProfileRecord, bssid, 514);
VTR_ASSERT_OFFSET(ProfileRecord, surveyChannel, 532);
VTR_ASSERT_OFFSET(ProfileRecord, isDefault, 536);
VTR_ASSERT_OFFSET(ProfileRecord, networkType, 540);
VTR_ASSERT_OFFSET(ProfileRecord, phyMode, 544);
VTR_ASSERT_OFFSET(ProfileRecord, adhocWirelessMode, 548);
VTR_ASSERT_OFFSET(ProfileRecord, adhocChannel, 552);
VTR_ASSERT_OFFSET(ProfileRecord, keepDriverSettings, 556);
VTR_ASSERT_OFFSET(ProfileRecord, reserved557, 557);
VTR_ASSERT_OFFSET(ProfileRecord, powerMode, 560);
VTR_ASSERT_OFFSET(ProfileRecord, preamble, 564);
VTR_ASSERT_OFFSET(ProfileRecord, txRate, 568);
VTR_ASSERT_OFFSET(ProfileRecord, fragmentThreshold, 572);
VTR_ASSERT_OFFSET(ProfileRecord, rtsThreshold, 576);
VTR_ASSERT_OFFSET(ProfileRecord, authMode, 580);
VTR_ASSERT_OFFSET(ProfileRecord, encryption, 584);
VTR_ASSERT_OFFSET(ProfileRecord, wepKeyManual, 588);
VTR_ASSERT_OFFSET(ProfileRecord, wepPassphrase, 589);
VTR_ASSERT_OFFSET(ProfileRecord, reserved622, 622);
VTR_ASSERT_OFFSET(ProfileRecord, wepPassphraseLength, 624);
VTR_ASSERT_OFFSET(ProfileRecord, wepKeyIndex, 628);
VTR_ASSERT_OFFSET(ProfileRecord, wepKeyLength, 632);
VTR_ASSERT_OFFSET(ProfileRecord, wepKey, 648);
VTR_ASSERT_OFFSET(ProfileRecord, pskIsHex, 780);
VTR_ASSERT_OFFSET(ProfileRecord, psk, 781);
VTR_ASSERT_OFFSET(ProfileRecord, reserved846, 846);
VTR_ASSERT_OFFSET(ProfileRecord, pskLength, 848);
VTR_ASSERT_OFFSET(ProfileRecord, eapMethod, 852);
VTR_ASSERT_OFFSET(ProfileRecord, tlsIdentity, 856);
VTR_ASSERT_OFFSET(ProfileRecord, tlsCertificateName, 1113);
VTR_ASSERT_OFFSET(ProfileRecord, tlsCertificateHash, 1370);
VTR_ASSERT_OFFSET(ProfileRecord, eapIdentity, 1391);
VTR_ASSERT_OFFSET(ProfileRecord, eapPassword, 1648);
VTR_ASSERT_OFFSET(ProfileRecord, eapDomain, 1905);
VTR_ASSERT_OFFSET(ProfileRecord, htNetwork, 2162);
VTR_ASSERT_OFFSET(ProfileRecord, htEnabled, 2163);
VTR_ASSERT_OFFSET(ProfileRecord, htChannelWidth, 2164);
VTR_ASSERT_OFFSET(ProfileRecord, htGuardInterval, 2168);
VTR_ASSERT_OFFSET(ProfileRecord, htExtensionChannel, 2172);
VTR_ASSERT_OFFSET(ProfileRecord, htAntennaSelection, 2176);
VTR_ASSERT_OFFSET(ProfileRecord, sequence, 2180);
VTR_ASSERT_OFFSET(ProfileRecord, reserved2184, 2184);
VTR_ASSERT_OFFSET(ProfileRecord, wepKeyAscii, 2188);
VTR_ASSERT_OFFSET(ProfileRecord, useStaticIp, 2189);
VTR_ASSERT_OFFSET(ProfileRecord, ipAddress, 2190);
VTR_ASSERT_OFFSET(ProfileRecord, subnetMask, 2194);
VTR_ASSERT_OFFSET(ProfileRecord, defaultGateway, 2198);
VTR_ASSERT_OFFSET(ProfileRecord, useStaticDns, 2202);
VTR_ASSERT_OFFSET(ProfileRecord, preferredDns, 2203);
VTR_ASSERT_OFFSET(ProfileRecord, alternateDns, 2207);
VTR_ASSERT_OFFSET(ProfileRecord, vendorOptionFlag, 2211);

VTR_ASSERT_OFFSET(ProfileStorageSetting, mode, 0);
VTR_ASSERT_OFFSET(ProfileStorageSetting, rootKey, 4);
VTR_ASSERT_OFFSET(ProfileStorageSetting, keyPath, 8);

#endif
