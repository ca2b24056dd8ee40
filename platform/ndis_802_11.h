// NDIS 5.x 802.11 structures and codes, as the adapter's miniport and its callers exchange them:
// little-endian, natural alignment, every offset checked.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform {

// Standard OIDs.
inline constexpr uint32_t kOidGenDriverVersion = 0x00010110;
inline constexpr uint32_t kOidGenMediaConnectStatus = 0x00010114;
inline constexpr uint32_t kOid802_3CurrentAddress = 0x01010102;
inline constexpr uint32_t kOid802_11Bssid = 0x0D010101;
inline constexpr uint32_t kOid802_11Ssid = 0x0D010102;
inline constexpr uint32_t kOid802_11InfrastructureMode = 0x0D010108;
inline constexpr uint32_t kOid802_11Disassociate = 0x0D010115;
inline constexpr uint32_t kOid802_11AuthenticationMode = 0x0D010118;
inline constexpr uint32_t kOid802_11BssidListScan = 0x0D01011A;
inline constexpr uint32_t kOid802_11EncryptionStatus = 0x0D01011B;
inline constexpr uint32_t kOid802_11ReloadDefaults = 0x0D01011C;
inline constexpr uint32_t kOid802_11AddKey = 0x0D01011D;
inline constexpr uint32_t kOid802_11RemoveKey = 0x0D01011E;
inline constexpr uint32_t kOid802_11NetworkTypesSupported = 0x0D010203;
inline constexpr uint32_t kOid802_11Rssi = 0x0D010206;
inline constexpr uint32_t kOid802_11FragmentationThreshold = 0x0D010209;
inline constexpr uint32_t kOid802_11RtsThreshold = 0x0D01020A;
inline constexpr uint32_t kOid802_11DesiredRates = 0x0D010210;
inline constexpr uint32_t kOid802_11Configuration = 0x0D010211;
inline constexpr uint32_t kOid802_11PowerMode = 0x0D010216;
inline constexpr uint32_t kOid802_11BssidList = 0x0D010217;

// The adapter driver takes an OID carrying this bit as a set; its vendor OIDs have query
// numbers 0x0D71xxxx and set numbers 0x0DF1xxxx.
inline constexpr uint32_t kOidSetBit = 0x00800000;

enum NetworkType : uint32_t {
  kNetworkFh = 0,
  kNetworkDs = 1,
  kNetworkOfdm5 = 2,
  kNetworkOfdm24 = 3,
  kNetworkAutomode = 4
};
enum InfrastructureMode : uint32_t { kModeIbss = 0, kModeInfrastructure = 1, kModeAutoUnknown = 2 };
enum AuthenticationMode : uint32_t {
  kAuthOpen = 0,
  kAuthShared = 1,
  kAuthAutoSwitch = 2,
  kAuthWpa = 3,
  kAuthWpaPsk = 4,
  kAuthWpaNone = 5,
  kAuthWpa2 = 6,
  kAuthWpa2Psk = 7,
};
enum EncryptionStatus : uint32_t {
  kWepEnabled = 0,
  kEncryptionDisabled = 1,
  kWepKeyAbsent = 2,
  kWepNotSupported = 3,
  kTkipEnabled = 4,
  kTkipKeyAbsent = 5,
  kAesEnabled = 6,
  kAesKeyAbsent = 7,
};
enum PowerMode : uint32_t { kPowerCam = 0, kPowerMaxPsp = 1, kPowerFastPsp = 2 };
inline constexpr uint32_t kMediaConnected = 0;
inline constexpr uint32_t kMediaDisconnected = 1;

struct Ndis80211Ssid {
  uint32_t ssidLength;
  uint8_t ssid[32];
};
static_assert(sizeof(Ndis80211Ssid) == 36);

struct Ndis80211ConfigurationFh {
  uint32_t length;
  uint32_t hopPattern;
  uint32_t hopSet;
  uint32_t dwellTime;
};

struct Ndis80211Configuration {
  uint32_t length;
  uint32_t beaconPeriod;  // Kµs
  uint32_t atimWindow;
  uint32_t dsConfig;  // kHz
  Ndis80211ConfigurationFh fhConfig;
};
static_assert(sizeof(Ndis80211Configuration) == 32);
static_assert(offsetof(Ndis80211Configuration, dsConfig) == 12);

// NDIS_WLAN_BSSID_EX: one item of a BSSID list; ies[] runs to length.
struct NdisWlanBssidEx {
  uint32_t length;
  uint8_t macAddress[6];
  uint8_t reserved[2];
  Ndis80211Ssid ssid;
  uint32_t privacy;
  int32_t rssi;  // dBm
  uint32_t networkTypeInUse;
  Ndis80211Configuration configuration;
  uint32_t infrastructureMode;
  uint8_t supportedRates[16];
  uint32_t ieLength;
  uint8_t ies[1];
};
inline constexpr size_t kNdisWlanBssidExHeaderSize = 116;
static_assert(offsetof(NdisWlanBssidEx, macAddress) == 4);
static_assert(offsetof(NdisWlanBssidEx, ssid) == 12);
static_assert(offsetof(NdisWlanBssidEx, privacy) == 48);
static_assert(offsetof(NdisWlanBssidEx, rssi) == 52);
static_assert(offsetof(NdisWlanBssidEx, networkTypeInUse) == 56);
static_assert(offsetof(NdisWlanBssidEx, configuration) == 60);
static_assert(offsetof(NdisWlanBssidEx, configuration) +
                  offsetof(Ndis80211Configuration, dsConfig) ==
              72);
static_assert(offsetof(NdisWlanBssidEx, infrastructureMode) == 92);
static_assert(offsetof(NdisWlanBssidEx, supportedRates) == 96);
static_assert(offsetof(NdisWlanBssidEx, ieLength) == 112);
static_assert(offsetof(NdisWlanBssidEx, ies) == kNdisWlanBssidExHeaderSize);

// The IEs of a BSSID item start with the beacon's fixed fields: u64 timestamp, u16 beacon
// interval, u16 capabilities.
inline constexpr size_t kFixedIeFieldsSize = 12;
inline constexpr uint16_t kCapabilityPrivacy = 0x0010;

// NDIS_802_11_BSSID_LIST_EX: a count, then the items back to back.
inline constexpr size_t kBssidListHeaderSize = 4;

// NDIS_802_11_KEY: keyMaterial[] runs keyLength bytes.
struct Ndis80211Key {
  uint32_t length;
  uint32_t keyIndex;  // bit 31 transmit key, bit 30 pairwise
  uint32_t keyLength;
  uint8_t bssid[6];
  uint8_t padding[6];
  uint64_t keyRsc;
  uint8_t keyMaterial[1];
};
static_assert(offsetof(Ndis80211Key, keyIndex) == 4);
static_assert(offsetof(Ndis80211Key, keyLength) == 8);
static_assert(offsetof(Ndis80211Key, bssid) == 12);
static_assert(offsetof(Ndis80211Key, keyRsc) == 24);
static_assert(offsetof(Ndis80211Key, keyMaterial) == 32);
inline constexpr uint32_t kKeyIndexTransmit = 0x80000000u;
inline constexpr uint32_t kKeyIndexPairwise = 0x40000000u;

struct Ndis80211RemoveKey {
  uint32_t length;
  uint32_t keyIndex;
  uint8_t bssid[6];
  uint8_t padding[2];
};
static_assert(sizeof(Ndis80211RemoveKey) == 16);

// Rates in 500 kbit/s units; 0x80 marks a basic rate.
using Ndis80211Rates = uint8_t[8];
inline constexpr uint8_t kBasicRateBit = 0x80;

}  // namespace platform
