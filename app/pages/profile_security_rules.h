// The rules of the profile editor's security settings that need no window: which choices the
// authentication, encryption and 802.1X lists offer, the limits of the key fields, and the
// check a profile's security passes before it is saved or applied.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "vtrlib.h"

namespace pages {

// The values the profile stores.
enum AuthMode : uint32_t {
  kAuthOpen = 0,
  kAuthShared = 1,
  kAuthAutoSwitch = 2,
  kAuthWpaPsk = 4,
  kAuthWpa2Psk = 8,
  kAuthWpa = 16,
  kAuthWpa2 = 32,
};
enum Encryption : uint32_t { kCipherNone = 0, kCipherWep = 1, kCipherTkip = 2, kCipherAes = 4 };
enum EapMethod : uint32_t { kEapTls = 0, kEapPeap = 1, kEapLeap = 2 };

inline constexpr uint32_t kNetworkAdHoc = 0;
inline constexpr uint32_t kNetworkInfrastructure = 1;

// A text of section "PROFILE_MANAGER": its key and English default.
struct LangText {
  std::string_view key;
  std::string_view fallback;
  bool operator==(const LangText&) const = default;
};

// One entry of a list: its text and the value it stands for (the item data).
struct Choice {
  LangText text;
  uint32_t value;
};

bool IsWepFamily(uint32_t authMode);     // open, shared key, Auto Switch
bool IsPreSharedKey(uint32_t authMode);  // WPA-PSK, WPA2-PSK
bool IsEnterprise(uint32_t authMode);    // WPA and WPA2 with 802.1X

// Open, shared key, Auto Switch (not on an adapter of kind 5); for infrastructure also WPA-PSK,
// WPA2-PSK and, unless the enterprise modes are off, WPA and WPA2 Radius.
std::vector<Choice> AuthenticationChoices(uint32_t networkType, uint32_t adapterKind,
                                          bool enterpriseOff);
// What an ad hoc profile keeps of a stored mode: open, shared key and Auto Switch stay, anything
// else becomes open.
uint32_t AdHocAuthMode(uint32_t authMode);
// Open and Auto Switch offer no encryption or WEP; shared key only WEP.
std::vector<Choice> WepFamilyEncryptions(uint32_t authMode);
// TKIP and AES; LEAP has only TKIP under WPA and only AES under WPA2.
std::vector<Choice> WpaEncryptions(uint32_t authMode, uint32_t eapMethod);
// One entry per 802.1X protocol the adapter offers (eapMask bits 0, 1, 2).
std::vector<Choice> EapChoices(uint32_t eapMask);
// The text the lists show for an authentication mode or a cipher; none for an unknown value.
std::optional<LangText> AuthenticationName(uint32_t authMode);
std::optional<LangText> EncryptionName(uint32_t cipher);

enum class WepEntry { Passphrase, Hex, Ascii };
enum class WepKeySize { Bits64, Bits128 };

// The characters a typed key of that size takes: 10 or 26 hex digits, 5 or 13 ASCII characters.
int WepKeyCharacters(WepEntry entry, WepKeySize size);
// The size a stored key of that many bytes or digits is shown with: 128 bits for 13 or 26,
// otherwise 64.
WepKeySize WepKeySizeOf(uint32_t keyLength);

// keyEntryMask bits: what the adapter lets the user enter.
inline constexpr uint32_t kKeyEntryPassphrase = 1u << 0;
inline constexpr uint32_t kKeyEntryHex = 1u << 1;
inline constexpr uint32_t kKeyEntryAscii = 1u << 2;
inline constexpr uint32_t kKeyEntryHexPsk = 1u << 25;

// What the security check reads besides the profile.
struct SecurityInput {
  WepEntry wepEntry = WepEntry::Passphrase;
  WepKeySize wepKeySize = WepKeySize::Bits64;
  std::string_view pskConfirm;  // the confirmation field's text
  bool vista = false;           // OsVersionCode 8
};

// The message of the first rule the profile's security breaks, or nothing when it passes.
std::optional<LangText> SecurityProblem(const ProfileRecord& record, const SecurityInput& input);

}  // namespace pages
