#include "lib/common/wps_credentials.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

#include "vtrlib/codes.h"

namespace vtr::wps {
namespace {

using namespace platform;

// A credential counts when everything up to its padding lies within the table.
constexpr std::size_t kUsedCredentialBytes = offsetof(WpsCredential, padding);

std::size_t TextLength(const char* text, std::size_t limit) {
  return strnlen(text, limit);
}

// The key text: as many characters as the credential says, never past the field or a NUL.
std::size_t KeyLength(const WpsCredential& credential) {
  const std::size_t counted = std::min<std::size_t>(credential.keyLength, sizeof credential.key);
  return TextLength(credential.key, counted);
}

bool AllHex(const char* text, std::size_t length) {
  return std::all_of(text, text + length,
                     [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; });
}

uint32_t AuthModeOf(uint32_t authType) {
  switch (authType) {
    case kWpsAuthWpaPsk:
      return VTR_AUTH_WPA_PSK;
    case kWpsAuthWpa2Psk:
      return VTR_AUTH_WPA2_PSK;
    case kWpsAuthShared:
      return VTR_AUTH_SHARED;
    case kWpsAuthWpa:
      return VTR_AUTH_WPA;
    case kWpsAuthWpa2:
      return VTR_AUTH_WPA2;
    default:  // open, and anything the table does not name
      return VTR_AUTH_OPEN;
  }
}

uint32_t EncryptionOf(uint32_t encryptionType) {
  switch (encryptionType) {
    case kWpsEncryptionWep:
      return VTR_CIPHER_WEP;
    case kWpsEncryptionTkip:
      return VTR_CIPHER_TKIP;
    case kWpsEncryptionAes:
      return VTR_CIPHER_AES;
    default:
      return VTR_CIPHER_NONE;
  }
}

void ApplyPreSharedKey(const WpsCredential& credential, ProfileRecord& profile, PskLength rule) {
  const std::size_t length = std::min(KeyLength(credential), sizeof profile.psk - 1);
  std::memset(profile.psk, 0, sizeof profile.psk);
  std::memcpy(profile.psk, credential.key, length);
  profile.pskLength = static_cast<uint32_t>(
      rule == PskLength::kCountedCharacters
          ? length
          : std::min<std::size_t>(credential.keyLength, sizeof credential.key));
  // 64 hexadecimal digits are the key itself, not a passphrase to derive it from.
  profile.pskIsHex = length == 64 && AllHex(credential.key, length) ? 1 : 0;
}

// The key goes into the credential's slot; an index with no slot puts it into slot 0 and makes
// that the transmit key, so the profile stays one the connect can use. A key the profile cannot
// hold (a length that is no WEP key size) leaves the slot without a key.
void ApplyWepKey(const WpsCredential& credential, ProfileRecord& profile) {
  const uint32_t slot = credential.keyIndex < 4 ? credential.keyIndex : 0;
  const std::size_t length = KeyLength(credential);
  const bool hex = AllHex(credential.key, length);
  uint32_t bytes = 0;
  uint8_t ascii = 0;
  if ((length == 10 || length == 26 || length == 32) && hex) {
    bytes = static_cast<uint32_t>(length / 2);
  } else if (length == 5 || length == 13 || length == 16) {
    // The key's characters themselves, which the connect must not read as digits.
    bytes = static_cast<uint32_t>(length);
    ascii = 1;
  }
  profile.wepKeyIndex = slot;
  profile.wepKeyManual = 1;
  profile.wepKeyAscii = ascii;
  profile.wepKeyLength[slot] = bytes;
  std::memset(profile.wepKey[slot], 0, sizeof profile.wepKey[slot]);
  if (bytes != 0) std::memcpy(profile.wepKey[slot], credential.key, length);
}

}  // namespace

CredentialList ReadCredentialTable(const uint8_t* data, std::size_t length) {
  CredentialList list;
  if (data == nullptr || length < kWpsCredentialTableHeader) return list;
  uint32_t count = 0;
  std::memcpy(&count, data, sizeof count);
  length = std::min<std::size_t>(length, kWpsCredentialTableSize);
  const std::size_t room = length - kWpsCredentialTableHeader;
  const std::size_t fitting =
      room < kUsedCredentialBytes ? 0 : (room - kUsedCredentialBytes) / sizeof(WpsCredential) + 1;
  list.count = static_cast<uint32_t>(
      std::min<std::size_t>({count, fitting, std::size_t{kWpsMaxCredentials}}));
  for (uint32_t i = 0; i < list.count; ++i) {
    const std::size_t at = kWpsCredentialTableHeader + i * sizeof(WpsCredential);
    std::memcpy(&list.items[i], data + at, std::min(sizeof(WpsCredential), length - at));
  }
  return list;
}

uint32_t ChooseCredential(const CredentialList& list, const WpsRequest& request) {
  if (list.count < 2) return 0;
  const std::size_t wanted = TextLength(request.ssid, sizeof request.ssid);
  for (uint32_t i = 0; i < list.count; ++i) {
    const std::size_t have = TextLength(list.items[i].ssid, sizeof list.items[i].ssid);
    if (wanted <= have && std::memcmp(list.items[i].ssid, request.ssid, wanted) == 0) return i;
  }
  return 0;
}

void ApplyCredential(const WpsCredential& credential, ProfileRecord& profile, PskLength pskLength) {
  const std::size_t ssidLength = TextLength(credential.ssid, sizeof credential.ssid);
  std::memcpy(profile.ssid, credential.ssid, ssidLength);
  std::memcpy(profile.profileName, credential.ssid, ssidLength);
  // The access point's address as its six bytes: an address may hold zero bytes (most begin
  // with one), so it is not cut at the first.
  std::memcpy(profile.bssid, credential.mac, sizeof credential.mac);

  profile.authMode = AuthModeOf(credential.authType);
  if (credential.authType == kWpsAuthWpaPsk || credential.authType == kWpsAuthWpa2Psk) {
    ApplyPreSharedKey(credential, profile, pskLength);
  }
  profile.encryption = EncryptionOf(credential.encryptionType);
  if (credential.encryptionType == kWpsEncryptionWep) ApplyWepKey(credential, profile);
}

bool BuildStartMessage(const WpsRequest& request, WpsStartMessage& message) {
  std::memset(&message, 0, sizeof message);
  switch (request.method) {
    case 0:
      message.mode = kWpsStartPushButton;
      message.pinOwner = kWpsPinShownHere;
      return true;
    case 1:
    case 2:
      break;
    default:
      return false;
  }
  message.mode = kWpsStartPin;
  message.pinOwner = request.method == 1 ? kWpsPinShownHere : kWpsPinOfAccessPoint;
  std::memcpy(message.pin, request.pin,
              std::min(TextLength(request.pin, sizeof request.pin), sizeof message.pin));
  // A name longer than any 802.11 network name is cut to the message's 32 bytes.
  const std::size_t ssidLength =
      std::min(TextLength(request.ssid, sizeof request.ssid), sizeof message.ssid);
  message.ssidLength = static_cast<uint32_t>(ssidLength);
  std::memcpy(message.ssid, request.ssid, ssidLength);
  char bssid[sizeof request.bssid + 1] = {};
  std::memcpy(bssid, request.bssid, sizeof request.bssid);
  unsigned parts[6] = {};
  if (std::sscanf(bssid, "%X-%X-%X-%X-%X-%X", &parts[0], &parts[1], &parts[2], &parts[3], &parts[4],
                  &parts[5]) == 6) {
    for (int i = 0; i < 6; ++i) message.bssid[i] = static_cast<uint8_t>(parts[i]);
  }
  message.channel = static_cast<uint8_t>(request.channel);
  return true;
}

}  // namespace vtr::wps
