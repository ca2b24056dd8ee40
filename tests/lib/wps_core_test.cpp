// The WPS core both library builds share: the PIN, the status table, the start message, the
// credential table with its bounds, the choice of a credential and the profile made from it.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "lib/common/wps_credentials.h"
#include "lib/common/wps_pin.h"
#include "lib/common/wps_status.h"
#include "vtrlib.h"

namespace {

using platform::WpsCredential;
using platform::WpsStartMessage;

// The WPS checksum computed independently: weights 3,1,3,1,... over all eight digits from the
// left sum to a multiple of 10.
bool ChecksumHolds(const std::string& pin) {
  int sum = 0;
  for (int i = 0; i < 8; ++i) sum += (pin[i] - '0') * (i % 2 == 0 ? 3 : 1);
  return sum % 10 == 0;
}

std::string Pin(uint32_t base) {
  char text[9];
  vtr::wps::FormatPin(base, text);
  return text;
}

TEST(WpsPin, BaseIsTheThreeBytesReducedToSevenDigits) {
  EXPECT_EQ(vtr::wps::PinBase(0xFF, 0xFF, 0xFF), 16'777'215u % 10'000'000u);
  EXPECT_EQ(vtr::wps::PinBase(0xFF, 0xFF, 0xFF), 6'777'215u);
  EXPECT_EQ(vtr::wps::PinBase(0x98, 0x96, 0x80), 0u);  // exactly 10 000 000
  EXPECT_EQ(vtr::wps::PinBase(0x01, 0x02, 0x03), 0x010203u);
  // The largest base still gives eight characters.
  EXPECT_EQ(Pin(vtr::wps::PinBase(0xFF, 0xFF, 0xFF)), "67772155");
  EXPECT_EQ(Pin(9'999'999), "99999995");
}

TEST(WpsPin, KnownPinsAndLeadingZeros) {
  EXPECT_EQ(Pin(1'234'567), "12345670");
  EXPECT_EQ(Pin(4'922'687), "49226874");
  EXPECT_EQ(Pin(1234), "00012348");
  EXPECT_EQ(Pin(0), "00000000");
  EXPECT_TRUE(vtr::wps::PinValid("12345670", 8));
  EXPECT_FALSE(vtr::wps::PinValid("12345671", 8));
  EXPECT_FALSE(vtr::wps::PinValid("1234567", 7));
  EXPECT_FALSE(vtr::wps::PinValid("1234a670", 8));
}

TEST(WpsPin, EveryBaseBelowAMillionKeepsEightCharactersAndItsChecksum) {
  for (uint32_t base = 0; base < 1'000'000; base += 997) {
    const std::string pin = Pin(base);
    ASSERT_EQ(pin.size(), 8u) << base;
    EXPECT_EQ(pin[0], '0') << base;
    EXPECT_TRUE(ChecksumHolds(pin)) << pin;
  }
}

TEST(WpsPin, GeneratedPinsAreEightDigitsWithTheChecksumAndVary) {
  std::set<std::string> seen;
  for (int i = 0; i < 500; ++i) {
    char text[12];
    std::memset(text, 'x', sizeof text);
    ASSERT_EQ(VTR_WPSGeneratePin(text), 1);
    ASSERT_EQ(text[8], '\0');
    EXPECT_EQ(text[9], 'x');  // nothing written past the PIN and its NUL
    const std::string pin(text);
    ASSERT_EQ(pin.size(), 8u);
    EXPECT_EQ(pin.find_first_not_of("0123456789"), std::string::npos) << pin;
    EXPECT_TRUE(ChecksumHolds(pin)) << pin;
    seen.insert(pin);
  }
  // Not seeded by the clock: many PINs made within one second differ (a repeat among 500 of
  // 10 million bases is possible but rare).
  EXPECT_GT(seen.size(), 490u);
  EXPECT_EQ(VTR_WPSGeneratePin(nullptr), 0);
}

TEST(WpsStatusTable, NamesReactionsAndTheIgnoredTopBits) {
  using vtr::wps::Reaction;
  struct Case {
    uint32_t status;
    const char* name;
    Reaction reaction;
    uint32_t callback;
  } cases[] = {
      {0, "STATUS_WPS_NOTUSED", Reaction::kFail, 7},
      {2, "STATUS_WPS_SCAN_AP", Reaction::kProgress, 1},
      {3, "STATUS_WPS_START_ASSOC", Reaction::kProgress, 2},
      {5, "STATUS_WPS_EAPOL_START_SENT", Reaction::kProgress, 3},
      {15, "STATUS_WPS_EAP_CONFIGURED", Reaction::kSucceed, 6},
      {20, "STATUS_WPS_EAP_M2D_RECEIVED", Reaction::kNone, 0},
      {0x101, "STATUS_WPS_PBC_TOO_MANY_AP", Reaction::kPushButtonLimit, 10},
      {0x102, "STATUS_WPS_PBC_NO_AP", Reaction::kPushButtonLimit, 9},
      {0x106, "STATUS_WPS_PASSWORD_MISMATCH", Reaction::kNone, 0},
      {0x201, "STATUS_WPS_INVALID_SSID", Reaction::kFail, 7},
      {0x204, "STATUS_WPS_EAP_FAILED", Reaction::kFail, 7},
      {0xF0000102, "STATUS_WPS_PBC_NO_AP", Reaction::kPushButtonLimit, 9},
  };
  for (const Case& c : cases) {
    const vtr::wps::StatusEntry* entry = vtr::wps::FindStatus(c.status);
    ASSERT_NE(entry, nullptr) << c.status;
    EXPECT_STREQ(entry->name, c.name);
    EXPECT_EQ(entry->reaction, c.reaction) << c.name;
    if (c.reaction != Reaction::kNone) {
      EXPECT_EQ(entry->callback, c.callback) << c.name;
    }
  }
  for (uint32_t unknown : {8u, 16u, 28u, 33u, 44u, 0x100u, 0x107u, 0x200u, 0x205u}) {
    EXPECT_EQ(vtr::wps::FindStatus(unknown), nullptr) << unknown;
  }
}

WpsRequest Request(uint32_t method, const char* pin, const char* ssid, const char* bssid,
                   uint32_t channel) {
  WpsRequest request;
  std::memset(&request, 0, sizeof request);
  request.method = method;
  std::strcpy(request.pin, pin);
  std::strcpy(request.ssid, ssid);
  std::strcpy(request.bssid, bssid);
  request.channel = channel;
  return request;
}

TEST(WpsStartMessage, PushButtonCarriesOnlyItsModeAndKind) {
  WpsStartMessage message;
  std::memset(&message, 0xAA, sizeof message);
  ASSERT_TRUE(vtr::wps::BuildStartMessage(
      Request(0, "12345670", "PressMe", "00-1B-11-7C-20-9E", 11), message));
  uint8_t expected[56] = {};
  expected[3] = 0x20;
  expected[55] = 1;
  EXPECT_EQ(std::memcmp(&message, expected, sizeof expected), 0);
}

TEST(WpsStartMessage, PinMethodsCarryPinNameAddressAndChannel) {
  WpsStartMessage message;
  ASSERT_TRUE(vtr::wps::BuildStartMessage(
      Request(2, "49226874", "PinPad", "00-1D-7E-55-06-C3", 0x105), message));
  const auto* bytes = reinterpret_cast<const uint8_t*>(&message);
  EXPECT_EQ(message.mode, 0x10000000u);
  EXPECT_EQ(std::string(message.pin, 8), "49226874");
  EXPECT_EQ(message.ssidLength, 6u);
  EXPECT_EQ(std::string(message.ssid, 6), "PinPad");
  EXPECT_EQ(bytes[22], 0);  // not terminated, the rest zero
  const uint8_t bssid[6] = {0x00, 0x1D, 0x7E, 0x55, 0x06, 0xC3};
  EXPECT_EQ(std::memcmp(bytes + 48, bssid, 6), 0);
  EXPECT_EQ(bytes[54], 0x05);  // the channel's low byte
  EXPECT_EQ(bytes[55], 2);

  ASSERT_TRUE(vtr::wps::BuildStartMessage(Request(1, "12345670", "", "", 0), message));
  EXPECT_EQ(message.pinOwner, 1);
  EXPECT_EQ(message.ssidLength, 0u);
  EXPECT_EQ(std::memcmp(bytes + 48, "\0\0\0\0\0\0", 6), 0);
}

TEST(WpsStartMessage, BoundsOfTheRequest) {
  WpsRequest request = Request(1, "12345670", "", "", 6);
  // A name longer than 32 bytes and a text filling every field without a NUL.
  std::memset(request.ssid, 'n', sizeof request.ssid);
  std::memset(request.pin, '7', sizeof request.pin);
  std::memset(request.bssid, 'F', sizeof request.bssid);
  WpsStartMessage message;
  ASSERT_TRUE(vtr::wps::BuildStartMessage(request, message));
  EXPECT_EQ(message.ssidLength, 32u);
  EXPECT_EQ(std::string(message.ssid, 32), std::string(32, 'n'));
  EXPECT_EQ(std::string(message.pin, 8), "77777777");
  EXPECT_EQ(message.channel, 6);

  EXPECT_FALSE(vtr::wps::BuildStartMessage(Request(3, "", "", "", 0), message));
}

WpsCredential Credential(const char* ssid, uint32_t auth, uint32_t encryption, const char* key,
                         uint32_t keyIndex = 0) {
  WpsCredential credential{};
  std::memcpy(credential.ssid, ssid, std::strlen(ssid));
  credential.authType = auth;
  credential.encryptionType = encryption;
  credential.keyIndex = keyIndex;
  credential.keyLength = static_cast<uint32_t>(std::strlen(key));
  std::memcpy(credential.key, key, std::strlen(key));
  const uint8_t mac[6] = {0x00, 0x1B, 0x11, 0x7C, 0x00, 0x9E};
  std::memcpy(credential.mac, mac, 6);
  return credential;
}

std::vector<uint8_t> Table(uint32_t count, const std::vector<WpsCredential>& items) {
  std::vector<uint8_t> table(996, 0);
  std::memcpy(table.data(), &count, 4);
  for (size_t i = 0; i < items.size() && 8 + (i + 1) * 124 <= 1000; ++i) {
    std::memcpy(table.data() + 8 + i * 124, &items[i], std::min<size_t>(124, 996 - 8 - i * 124));
  }
  return table;
}

TEST(WpsCredentialTable, CountIsBoundedByTheTableAndTheBytesGiven) {
  std::vector<WpsCredential> eight;
  for (int i = 0; i < 8; ++i) {
    eight.push_back(Credential(("Net" + std::to_string(i)).c_str(), 32, 8, "passphrase"));
  }
  const auto full = Table(8, eight);
  auto list = vtr::wps::ReadCredentialTable(full.data(), full.size());
  ASSERT_EQ(list.count, 8u);
  // The eighth credential lacks only its last padding bytes.
  EXPECT_STREQ(list.items[7].ssid, "Net7");
  EXPECT_EQ(list.items[7].mac[5], 0x9E);

  const auto claimsTooMany = Table(0xFFFFFFFF, eight);
  EXPECT_EQ(vtr::wps::ReadCredentialTable(claimsTooMany.data(), claimsTooMany.size()).count, 8u);
  // Only the credentials whose fields lie within the bytes given count.
  EXPECT_EQ(vtr::wps::ReadCredentialTable(full.data(), 8 + 124 + 118).count, 2u);
  EXPECT_EQ(vtr::wps::ReadCredentialTable(full.data(), 8 + 124 + 117).count, 1u);
  EXPECT_EQ(vtr::wps::ReadCredentialTable(full.data(), 7).count, 0u);
  EXPECT_EQ(vtr::wps::ReadCredentialTable(nullptr, 996).count, 0u);
  const auto none = Table(0, eight);
  EXPECT_EQ(vtr::wps::ReadCredentialTable(none.data(), none.size()).count, 0u);
}

TEST(WpsCredentialChoice, FirstUnlessAnotherBeginsWithTheRequestedName) {
  vtr::wps::CredentialList list;
  list.count = 2;
  list.items[0] = Credential("Guest", 1, 1, "");
  list.items[1] = Credential("HomeNet-5G", 32, 8, "passphrase");
  EXPECT_EQ(vtr::wps::ChooseCredential(list, Request(0, "", "Office", "", 0)), 0u);
  EXPECT_EQ(vtr::wps::ChooseCredential(list, Request(0, "", "HomeNet", "", 0)), 1u);
  EXPECT_EQ(vtr::wps::ChooseCredential(list, Request(0, "", "HomeNet-5G-x", "", 0)), 0u);
  EXPECT_EQ(vtr::wps::ChooseCredential(list, Request(0, "", "", "", 0)), 0u);
  list.count = 1;
  EXPECT_EQ(vtr::wps::ChooseCredential(list, Request(0, "", "HomeNet", "", 0)), 0u);
}

ProfileRecord ProfileFrom(const WpsCredential& credential) {
  ProfileRecord profile;
  std::memset(&profile, 0, sizeof profile);
  VTR_InitialProfile(&profile);
  vtr::wps::ApplyCredential(credential, profile);
  return profile;
}

TEST(WpsCredentialProfile, Wpa2PskGivesAesAndThePassphrase) {
  const ProfileRecord profile = ProfileFrom(Credential("PressMe", 32, 8, "button pressed 2008"));
  EXPECT_STREQ(profile.profileName, "PressMe");
  EXPECT_STREQ(profile.ssid, "PressMe");
  EXPECT_EQ(profile.authMode, 8u);
  EXPECT_EQ(profile.encryption, 4u);
  EXPECT_STREQ(profile.psk, "button pressed 2008");
  EXPECT_EQ(profile.pskLength, 19u);
  EXPECT_EQ(profile.pskIsHex, 0);
  // All six address bytes, the zero bytes among them.
  const uint8_t mac[6] = {0x00, 0x1B, 0x11, 0x7C, 0x00, 0x9E};
  EXPECT_EQ(std::memcmp(profile.bssid, mac, 6), 0);
  EXPECT_EQ(profile.networkType, 1u);  // the record defaults stay
  EXPECT_EQ(profile.txRate, 255u);
}

TEST(WpsCredentialProfile, AuthenticationAndEncryptionCodes) {
  struct Case {
    uint32_t auth, encryption, authMode, cipher;
  } cases[] = {{1, 1, 0, 0},  {2, 4, 4, 2},   {32, 8, 8, 4},  {4, 2, 1, 1},
               {8, 4, 16, 2}, {16, 8, 32, 4}, {64, 16, 0, 0}, {3, 3, 0, 0}};
  for (const Case& c : cases) {
    const ProfileRecord profile = ProfileFrom(Credential("n", c.auth, c.encryption, ""));
    EXPECT_EQ(profile.authMode, c.authMode) << c.auth;
    EXPECT_EQ(profile.encryption, c.cipher) << c.encryption;
  }
  // Only the two pre-shared-key modes take the key as a passphrase.
  EXPECT_EQ(ProfileFrom(Credential("n", 8, 4, "secret-ish")).pskLength, 0u);
  EXPECT_EQ(ProfileFrom(Credential("n", 2, 4, "tkip only please")).pskLength, 16u);
}

TEST(WpsCredentialProfile, PskLengthCountsCharactersOrTakesTheCredentialsLength) {
  // A credential whose length says more than its text holds: the driver build counts the
  // characters taken, the Native Wi-Fi build keeps the credential's length within the key field.
  WpsCredential credential = Credential("n", 32, 8, "short");
  credential.keyLength = 9;
  ProfileRecord counted = ProfileFrom(credential);
  EXPECT_STREQ(counted.psk, "short");
  EXPECT_EQ(counted.pskLength, 5u);
  ProfileRecord kept{};
  VTR_InitialProfile(&kept);
  vtr::wps::ApplyCredential(credential, kept, vtr::wps::PskLength::kCredentialKeyLength);
  EXPECT_STREQ(kept.psk, "short");
  EXPECT_EQ(kept.pskLength, 9u);
  credential.keyLength = 0xFFFFFFFF;
  vtr::wps::ApplyCredential(credential, kept, vtr::wps::PskLength::kCredentialKeyLength);
  EXPECT_EQ(kept.pskLength, 64u);
  // Keys of other modes leave it alone in either build.
  ProfileRecord wep{};
  VTR_InitialProfile(&wep);
  vtr::wps::ApplyCredential(Credential("n", 1, 2, "1a2b3c4d5e"), wep,
                            vtr::wps::PskLength::kCredentialKeyLength);
  EXPECT_EQ(wep.pskLength, 0u);
}

TEST(WpsCredentialProfile, HexKeyOf64DigitsIsMarkedAsTheKeyItself) {
  const std::string hex(64, 'a');
  WpsCredential credential = Credential("n", 32, 8, "");
  std::memcpy(credential.key, hex.data(), 64);
  credential.keyLength = 64;
  const ProfileRecord profile = ProfileFrom(credential);
  EXPECT_EQ(std::string(profile.psk), hex);
  EXPECT_EQ(profile.pskLength, 64u);
  EXPECT_EQ(profile.pskIsHex, 1);
}

TEST(WpsCredentialProfile, WepKeysGoIntoTheirSlot) {
  ProfileRecord profile = ProfileFrom(Credential("w", 1, 2, "2b7e151628aed2a6abf7158809", 2));
  EXPECT_EQ(profile.encryption, 1u);
  EXPECT_EQ(profile.wepKeyIndex, 2u);
  EXPECT_EQ(profile.wepKeyLength[2], 13u);
  EXPECT_STREQ(profile.wepKey[2], "2b7e151628aed2a6abf7158809");
  EXPECT_EQ(profile.wepKeyManual, 1);
  EXPECT_EQ(profile.wepKeyAscii, 0);
  EXPECT_EQ(profile.wepKeyLength[0], 0u);

  profile = ProfileFrom(Credential("w", 1, 2, "1a2b3c4d5e"));
  EXPECT_EQ(profile.wepKeyLength[0], 5u);

  // Characters, not digits: five of them are a 64-bit key the connect must not read as hex.
  profile = ProfileFrom(Credential("w", 1, 2, "abcde", 1));
  EXPECT_EQ(profile.wepKeyLength[1], 5u);
  EXPECT_EQ(profile.wepKeyAscii, 1);
  EXPECT_STREQ(profile.wepKey[1], "abcde");
}

TEST(WpsCredentialProfile, WepBoundsKeyIndexAndKeyLength) {
  // No slot 7: the key goes into slot 0, which becomes the transmit key.
  ProfileRecord profile = ProfileFrom(Credential("w", 1, 2, "1a2b3c4d5e", 7));
  EXPECT_EQ(profile.wepKeyIndex, 0u);
  EXPECT_EQ(profile.wepKeyLength[0], 5u);
  EXPECT_STREQ(profile.wepKey[0], "1a2b3c4d5e");

  // A key length beyond the field reads only the field, and a key of no WEP size is none.
  WpsCredential credential = Credential("w", 1, 2, "", 3);
  std::memset(credential.key, '1', sizeof credential.key);
  credential.keyLength = 0xFFFFFFFF;
  profile = ProfileFrom(credential);
  EXPECT_EQ(profile.wepKeyIndex, 3u);
  EXPECT_EQ(profile.wepKeyLength[3], 0u);
  EXPECT_STREQ(profile.wepKey[3], "");

  // Hex digits of a 152-bit key fill the 33-byte slot with its NUL.
  profile = ProfileFrom(Credential("w", 1, 2, "000102030405060708090a0b0c0d0e0f", 1));
  EXPECT_EQ(profile.wepKeyLength[1], 16u);
  EXPECT_EQ(std::strlen(profile.wepKey[1]), 32u);

  // A pre-shared key with a length beyond the field stops at its 64 characters.
  credential = Credential("p", 32, 8, "");
  std::memset(credential.key, 'k', sizeof credential.key);
  credential.keyLength = 1000;
  profile = ProfileFrom(credential);
  EXPECT_EQ(profile.pskLength, 64u);
  EXPECT_EQ(profile.psk[64], '\0');
}

TEST(WpsCredentialProfile, NameOfAFull32ByteSsidIsTerminated) {
  WpsCredential credential = Credential("", 1, 1, "");
  std::memset(credential.ssid, 's', sizeof credential.ssid);
  const ProfileRecord profile = ProfileFrom(credential);
  EXPECT_EQ(std::string(profile.ssid), std::string(32, 's'));
  EXPECT_EQ(std::string(profile.profileName), std::string(32, 's'));
}

}  // namespace
