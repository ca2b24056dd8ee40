/* Records the adapter exports fill: survey entry, link, IP, capability, adapter facts.
 * Caller-allocated, little-endian, no padding beyond the reserved bytes. */
#ifndef VTRLIB_ADAPTER_RECORDS_H
#define VTRLIB_ADAPTER_RECORDS_H

#include "vtr_base.h"

#pragma pack(push, 1)

/* One network found by a scan. */
typedef struct VtrSurveyEntry {
  uint32_t phyMode;
  char ssid[257]; /* exactly the name's bytes, not terminated by the library */
  char bssid[19];
  uint32_t channel;
  int32_t signal;
  char frequency[11];
  uint8_t isHt;
  uint8_t hasWps;
  uint8_t wpsPbcActive;
  uint8_t reserved302[2];
  uint32_t networkType;
  uint32_t authMask;
  uint32_t cipherMask;
} VtrSurveyEntry;

/* The current association. */
typedef struct VtrLinkInfo {
  uint32_t linkState;
  char ssid[257];
  char bssid[259];
  uint32_t phyMode;
  uint32_t networkType;
  uint32_t authMode;
  uint32_t cipher;
  uint32_t channel;
  uint32_t txRate; /* 100 kbit/s units */
  uint32_t rxRate;
  int32_t signal;
} VtrLinkInfo;

/* IP settings of the adapter. */
typedef struct VtrIpInfo {
  uint8_t dhcpEnabled;
  char ipAddress[16];
  char subnetMask[16];
  char gateway[16];
  char dhcpServer[16];
  uint8_t reserved65[3];
  uint32_t dnsCount;
  char dnsServer[5][16];
} VtrIpInfo;

/* What the adapter and the library build support. */
typedef struct VtrCapability {
  uint32_t adapterKind;
  uint32_t phyModeMask;
  uint32_t authCipherPairs[32];
  uint32_t keyEntryMask;
  uint32_t eapMask;
  uint32_t featureMask;
  uint32_t maxRtsThreshold;
  uint32_t maxFragThreshold;
  uint8_t optionFlag;
  uint8_t reserved157[19];
  uint32_t extraMask;
  uint8_t wpsSupported;
  uint8_t reserved181[3];
  uint32_t wpsModeMask;
} VtrCapability;

/* Adapter and driver identification. */
typedef struct VtrAdapterInfo {
  char description[260];
  uint32_t regionCode;
  char reserved264[129];
  char firmwareVersion[129];
  char driverVersion[130];
  VtrSystemTime driverDate;
  char macAddress[32];
} VtrAdapterInfo;

#pragma pack(pop)

VTR_ASSERT_SIZE(VtrSurveyEntry, 316);
VTR_ASSERT_OFFSET(VtrSurveyEntry, phyMode, 0);
VTR_ASSERT_OFFSET(VtrSurveyEntry, ssid, 4);
VTR_ASSERT_OFFSET(VtrSurveyEntry, bssid, 261);
VTR_ASSERT_OFFSET(VtrSurveyEntry, channel, 280);
VTR_ASSERT_OFFSET(VtrSurveyEntry, signal, 284);
VTR_ASSERT_OFFSET(VtrSurveyEntry, frequency, 288);
VTR_ASSERT_OFFSET(VtrSurveyEntry, isHt, 299);
VTR_ASSERT_OFFSET(VtrSurveyEntry, hasWps, 300);
VTR_ASSERT_OFFSET(VtrSurveyEntry, wpsPbcActive, 301);
VTR_ASSERT_OFFSET(VtrSurveyEntry, reserved302, 302);
VTR_ASSERT_OFFSET(VtrSurveyEntry, networkType, 304);
VTR_ASSERT_OFFSET(VtrSurveyEntry, authMask, 308);
VTR_ASSERT_OFFSET(VtrSurveyEntry, cipherMask, 312);

VTR_ASSERT_SIZE(VtrLinkInfo, 552);
VTR_ASSERT_OFFSET(VtrLinkInfo, linkState, 0);
VTR_ASSERT_OFFSET(VtrLinkInfo, ssid, 4);
VTR_ASSERT_OFFSET(VtrLinkInfo, bssid, 261);
VTR_ASSERT_OFFSET(VtrLinkInfo, phyMode, 520);
VTR_ASSERT_OFFSET(VtrLinkInfo, networkType, 524);
VTR_ASSERT_OFFSET(VtrLinkInfo, authMode, 528);
VTR_ASSERT_OFFSET(VtrLinkInfo, cipher, 532);
VTR_ASSERT_OFFSET(VtrLinkInfo, channel, 536);
VTR_ASSERT_OFFSET(VtrLinkInfo, txRate, 540);
VTR_ASSERT_OFFSET(VtrLinkInfo, rxRate, 544);
VTR_ASSERT_OFFSET(VtrLinkInfo, signal, 548);

VTR_ASSERT_SIZE(VtrIpInfo, 152);
VTR_ASSERT_OFFSET(VtrIpInfo, dhcpEnabled, 0);
VTR_ASSERT_OFFSET(VtrIpInfo, ipAddress, 1);
VTR_ASSERT_OFFSET(VtrIpInfo, subnetMask, 17);
VTR_ASSERT_OFFSET(VtrIpInfo, gateway, 33);
VTR_ASSERT_OFFSET(VtrIpInfo, dhcpServer, 49);
VTR_ASSERT_OFFSET(VtrIpInfo, reserved65, 65);
VTR_ASSERT_OFFSET(VtrIpInfo, dnsCount, 68);
VTR_ASSERT_OFFSET(VtrIpInfo, dnsServer, 72);

VTR_ASSERT_SIZE(VtrCapability, 188);
VTR_ASSERT_OFFSET(VtrCapability, adapterKind, 0);
VTR_ASSERT_OFFSET(VtrCapability, phyModeMask, 4);
VTR_ASSERT_OFFSET(VtrCapability, authCipherPairs, 8);
VTR_ASSERT_OFFSET(VtrCapability, keyEntryMask, 136);
VTR_ASSERT_OFFSET(VtrCapability, eapMask, 140);
VTR_ASSERT_OFFSET(VtrCapability, featureMask, 144);
VTR_ASSERT_OFFSET(VtrCapability, maxRtsThreshold, 148);
VTR_ASSERT_OFFSET(VtrCapability, maxFragThreshold, 152);
VTR_ASSERT_OFFSET(VtrCapability, optionFlag, 156);
VTR_ASSERT_OFFSET(VtrCapability, reserved157, 157);
VTR_ASSERT_OFFSET(VtrCapability, extraMask, 176);
VTR_ASSERT_OFFSET(VtrCapability, wpsSupported, 180);
VTR_ASSERT_OFFSET(VtrCapability, reserved181, 181);
VTR_ASSERT_OFFSET(VtrCapability, wpsModeMask, 184);

VTR_ASSERT_SIZE(VtrAdapterInfo, 700);
VTR_ASSERT_OFFSET(VtrAdapterInfo, description, 0);
VTR_ASSERT_OFFSET(VtrAdapterInfo, regionCode, 260);
VTR_ASSERT_OFFSET(VtrAdapterInfo, reserved264, 264);
VTR_ASSERT_OFFSET(VtrAdapterInfo, firmwareVersion, 393);
VTR_ASSERT_OFFSET(VtrAdapterInfo, driverVersion, 522);
VTR_ASSERT_OFFSET(VtrAdapterInfo, driverDate, 652);
VTR_ASSERT_OFFSET(VtrAdapterInfo, macAddress, 668);

#endif
