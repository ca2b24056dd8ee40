// What the adapter's driver and the library exchange for Wi-Fi Protected Setup: the start
// message, the credential table the driver hands out after a registration, and the status codes
// its status request reports. The one definition shared by the library and the simulated
// miniport.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform {

// The first word of the start message.
inline constexpr uint32_t kWpsStartPushButton = 0x20000000;
inline constexpr uint32_t kWpsStartPin = 0x10000000;
// Its last byte: who shows the PIN.
inline constexpr uint8_t kWpsPinShownHere = 1;  // also push button
inline constexpr uint8_t kWpsPinOfAccessPoint = 2;

#pragma pack(push, 1)

struct WpsStartMessage {
  uint32_t mode;        // kWpsStartPushButton or kWpsStartPin
  char pin[8];          // PIN methods: the eight digits, not terminated
  uint32_t ssidLength;  // PIN methods
  char ssid[32];        // PIN methods: not terminated
  uint8_t bssid[6];     // PIN methods
  uint8_t channel;      // PIN methods: the channel's low byte
  uint8_t pinOwner;     // kWpsPinShownHere or kWpsPinOfAccessPoint
};

struct WpsCredential {
  char ssid[32];
  uint32_t authType;        // 1 open, 2 WPA-PSK, 4 shared, 8 WPA, 16 WPA2, 32 WPA2-PSK
  uint32_t encryptionType;  // 1 none, 2 WEP, 4 TKIP, 8 AES
  uint32_t keyIndex;
  uint32_t keyLength;  // in characters
  char key[64];        // passphrase, 64 hexadecimal digits, or WEP key text; not terminated
  uint8_t mac[6];
  uint8_t padding[6];
};

#pragma pack(pop)

static_assert(sizeof(WpsStartMessage) == 56);
static_assert(offsetof(WpsStartMessage, pin) == 4);
static_assert(offsetof(WpsStartMessage, ssidLength) == 12);
static_assert(offsetof(WpsStartMessage, ssid) == 16);
static_assert(offsetof(WpsStartMessage, bssid) == 48);
static_assert(offsetof(WpsStartMessage, channel) == 54);
static_assert(offsetof(WpsStartMessage, pinOwner) == 55);

static_assert(sizeof(WpsCredential) == 124);
static_assert(offsetof(WpsCredential, authType) == 32);
static_assert(offsetof(WpsCredential, encryptionType) == 36);
static_assert(offsetof(WpsCredential, keyIndex) == 40);
static_assert(offsetof(WpsCredential, keyLength) == 44);
static_assert(offsetof(WpsCredential, key) == 48);
static_assert(offsetof(WpsCredential, mac) == 112);

// The credential table: u32 count, 4 unused bytes, then the credentials back to back. Its 996
// bytes hold seven whole credentials and all but the last four padding bytes of an eighth.
inline constexpr uint32_t kWpsCredentialTableSize = 996;
inline constexpr uint32_t kWpsCredentialTableHeader = 8;
inline constexpr uint32_t kWpsMaxCredentials = 8;
static_assert(kWpsCredentialTableHeader + (kWpsMaxCredentials - 1) * sizeof(WpsCredential) +
                  offsetof(WpsCredential, padding) <=
              kWpsCredentialTableSize);

// Credential authentication and encryption types.
enum WpsAuthType : uint32_t {
  kWpsAuthOpen = 1,
  kWpsAuthWpaPsk = 2,
  kWpsAuthShared = 4,
  kWpsAuthWpa = 8,
  kWpsAuthWpa2 = 16,
  kWpsAuthWpa2Psk = 32,
};
enum WpsEncryptionType : uint32_t {
  kWpsEncryptionNone = 1,
  kWpsEncryptionWep = 2,
  kWpsEncryptionTkip = 4,
  kWpsEncryptionAes = 8,
};

// The driver's WPS status (the low 28 bits of the status word).
enum WpsStatus : uint32_t {
  kWpsNotUsed = 0,
  kWpsIdle = 1,
  kWpsScanAp = 2,
  kWpsStartAssoc = 3,
  kWpsLinkUp = 4,
  kWpsEapolStartSent = 5,
  kWpsEapRspIdSent = 6,
  kWpsEapRspAckSent = 7,
  kWpsEapReqNackReceived = 9,
  kWpsEapConfigured = 15,
  kWpsEapReqStartReceived = 17,
  kWpsEapM1Sent = 18,
  kWpsEapM2Received = 19,
  kWpsEapM2dReceived = 20,
  kWpsEapM3Sent = 21,
  kWpsEapM4Received = 22,
  kWpsEapM5Sent = 23,
  kWpsEapM6Received = 24,
  kWpsEapM7Sent = 25,
  kWpsEapM8Received = 26,
  kWpsEapRspDoneSent = 27,
  kWpsEapM1Received = 34,
  kWpsEapM2Sent = 35,
  kWpsEapM2dSent = 36,
  kWpsEapM3Received = 37,
  kWpsEapM4Sent = 38,
  kWpsEapM5Received = 39,
  kWpsEapM6Sent = 40,
  kWpsEapM7Received = 41,
  kWpsEapM8Sent = 42,
  kWpsEapReqDoneReceived = 43,
  kWpsPbcTooManyAp = 0x101,
  kWpsPbcNoAp = 0x102,
  kWpsEapFailReceived = 0x103,
  kWpsEapNonceMismatch = 0x104,
  kWpsEapInvalidData = 0x105,
  kWpsPasswordMismatch = 0x106,
  kWpsInvalidSsid = 0x201,
  kWpsEapReqWrongSmi = 0x202,
  kWpsEapReqWrongVendorType = 0x203,
  kWpsEapFailed = 0x204,
};
inline constexpr uint32_t kWpsStatusMask = 0x0FFFFFFF;

// The value the library gives 0x0DF10151 to put the driver in enrollee mode.
inline constexpr uint32_t kWpsControlEnrollee = 2;

}  // namespace platform
