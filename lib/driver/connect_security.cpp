// The security of a connect: authentication and encryption for the driver, then either the
// supplicant (WPA-PSK, WPA and WPA2 with 802.1X) or the WEP transmit key.
#include <array>
#include <cstring>
#include <vector>

#include "lib/common/profile_bounds.h"
#include "lib/driver/connect_steps.h"
#include "lib/driver/oid_channel.h"
#include "lib/driver/supplicant_binding.h"
#include "vtrlib.h"

namespace {

using namespace platform;

constexpr uint32_t kEncryptionNone = 0;
constexpr uint32_t kEncryptionWep = 1;
constexpr uint32_t kEapTls = 0;
constexpr uint32_t kEapPeap = 1;
// An n-byte key goes to this driver in a request of 2n + 39 bytes: the 32-byte header, the key,
// and zeros behind it.
constexpr uint32_t kKeyRequestExtra = 39;
constexpr std::array<uint8_t, 6> kBroadcast = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};

void SetU32(uint32_t oid, uint32_t value) {
  vtr::SetOid(oid, &value, sizeof(value), nullptr);
}

// The key bytes of a slot. Hexadecimal text is read two digits to a byte up to its NUL, at most
// 2n digits, right-aligned as VTR_StringToHex places them; a key typed as characters is taken
// as it stands.
void KeyMaterial(const ProfileRecord& profile, uint32_t slot, uint32_t length, uint8_t* out) {
  const char* text = profile.wepKey[slot];
  if (profile.wepKeyManual != 0 && profile.wepKeyAscii != 0) {
    std::memcpy(out, text, length);
    return;
  }
  const auto digits = static_cast<uint32_t>(strnlen(text, sizeof(profile.wepKey[slot])));
  VTR_StringToHex(text, digits < 2 * length ? digits : 2 * length, out, length, 0);
}

// Installs the transmit key and removes the other three, so that no key of an earlier network
// stays behind. A slot outside 0 to 3 installs nothing and removes all four.
void InstallWepKey(const ProfileRecord& profile) {
  uint32_t slot = vtr::bounds::kWepKeySlots;
  uint32_t length = 0;
  if (vtr::bounds::WepKeySlot(profile, slot)) length = vtr::bounds::WepKeyBytes(profile, slot);
  if (length != 0) {
    const uint32_t size = 2 * length + kKeyRequestExtra;
    std::vector<uint8_t> request(size, 0);
    Ndis80211Key header{};
    header.length = size;
    header.keyIndex = slot | kKeyIndexTransmit;
    header.keyLength = length;
    std::memcpy(header.bssid, kBroadcast.data(), kBroadcast.size());
    std::memcpy(request.data(), &header, offsetof(Ndis80211Key, keyMaterial));
    KeyMaterial(profile, slot, length, request.data() + offsetof(Ndis80211Key, keyMaterial));
    vtr::SetOid(kOid802_11AddKey, request.data(), size, nullptr);
  }
  for (uint32_t other = 0; other < vtr::bounds::kWepKeySlots; ++other) {
    if (other == slot) continue;
    Ndis80211RemoveKey remove{};
    remove.length = sizeof(remove);
    remove.keyIndex = other;
    std::memcpy(remove.bssid, kBroadcast.data(), kBroadcast.size());
    vtr::SetOid(kOid802_11RemoveKey, &remove, sizeof(remove), nullptr);
  }
}

}  // namespace

namespace vtr::connect {

void ApplySecurity(const ProfileRecord& profile) {
  const uint32_t auth = profile.authMode;
  if (auth == VTR_AUTH_OPEN || auth == VTR_AUTH_SHARED || auth == VTR_AUTH_AUTO_SWITCH) {
    SetU32(kOid802_11AuthenticationMode, auth);
  }
  if (profile.encryption == kEncryptionNone) {
    SetU32(kOid802_11EncryptionStatus, kEncryptionDisabled);
  } else if (profile.encryption == kEncryptionWep) {
    SetU32(kOid802_11EncryptionStatus, kWepEnabled);
  }

  if (profile.networkType == 1 && (auth == VTR_AUTH_WPA || auth == VTR_AUTH_WPA2)) {
    // LEAP profiles get no security from this build; the supplicant runs EAP-TLS and PEAP.
    if (profile.eapMethod == kEapTls || profile.eapMethod == kEapPeap) {
      supplicant::StartOnProfile(profile);
    }
    return;
  }
  if (auth == VTR_AUTH_WPA_PSK || auth == VTR_AUTH_WPA2_PSK) {
    supplicant::StartOnProfile(profile);  // the supplicant installs the pre-shared key
    return;
  }
  if (profile.encryption == kEncryptionWep) InstallWepKey(profile);
}

}  // namespace vtr::connect
