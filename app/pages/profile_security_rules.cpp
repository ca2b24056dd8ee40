#include "app/pages/profile_security_rules.h"

#include <algorithm>
#include <initializer_list>
#include <string_view>

#include "lib/common/profile_bounds.h"

namespace pages {

namespace {

constexpr uint32_t kAdapterKindOpenWep = 5;
constexpr size_t kMinPskLength = 8;
constexpr size_t kHexPskLength = 64;

constexpr Choice kOpen{{"10120", "Open System"}, kAuthOpen};
constexpr Choice kShared{{"10130", "Shared Key"}, kAuthShared};
constexpr Choice kAutoSwitch{{"10140", "Auto Switch"}, kAuthAutoSwitch};
constexpr Choice kWpaPsk{{"10150", "WPA-PSK"}, kAuthWpaPsk};
constexpr Choice kWpa2Psk{{"10160", "WPA2-PSK"}, kAuthWpa2Psk};
constexpr Choice kWpa{{"10180", "WPA Radius"}, kAuthWpa};
constexpr Choice kWpa2{{"10190", "WPA2 Radius"}, kAuthWpa2};

constexpr Choice kNone{{"101A0", "Security Off"}, kCipherNone};
constexpr Choice kWep{{"101B0", "WEP"}, kCipherWep};
constexpr Choice kTkip{{"101C0", "TKIP"}, kCipherTkip};
constexpr Choice kAes{{"101D0", "AES"}, kCipherAes};

constexpr Choice kTls{{"102E0", "EAP/TLS (Use Certificate)"}, kEapTls};
constexpr Choice kPeap{{"102F0", "Protected EAP (PEAP)"}, kEapPeap};
constexpr Choice kLeap{{"10300", "Light EAP (LEAP)"}, kEapLeap};

std::optional<LangText> NameOf(std::initializer_list<Choice> choices, uint32_t value) {
  for (const Choice& choice : choices) {
    if (choice.value == value) return choice.text;
  }
  return std::nullopt;
}

constexpr LangText kIllegalPassword{"16000", "Illegal password !"};

template <size_t N>
std::string_view FieldText(const char (&field)[N]) {
  return std::string_view(field, vtr::bounds::TextLength(field));
}

bool IsHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// A printable 7-bit character: 32 to 126.
bool IsPrintable(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte >= 32 && byte < 127;
}

bool AllHex(std::string_view text) {
  return std::all_of(text.begin(), text.end(), IsHexDigit);
}

bool AllPrintable(std::string_view text) {
  return std::all_of(text.begin(), text.end(), IsPrintable);
}

LangText ShortKeyMessage(WepEntry entry, WepKeySize size) {
  const bool ascii = entry == WepEntry::Ascii;
  if (size == WepKeySize::Bits64) {
    return ascii
               ? LangText{"10411", "WEP ASCII size is 64 Bits. Please enter 5 Characters."}
               : LangText{"10410", "WEP Hex size is 64 Bits. Please enter 10 hexadecimal digits."};
  }
  return ascii ? LangText{"10421", "WEP ASCII size is 128 Bits. Please enter 13 Characters."}
               : LangText{"10420", "WEP Hex size is 128 Bits. Please enter 26 hexadecimal digits."};
}

std::optional<LangText> WepProblem(const ProfileRecord& record, const SecurityInput& input) {
  if (input.wepEntry == WepEntry::Passphrase) {
    const std::string_view passphrase = FieldText(record.wepPassphrase);
    if (passphrase.empty()) {
      return LangText{"10400", "WEP Passphrase, Please enter 1 ~ 32 Characters."};
    }
    if (!AllPrintable(passphrase)) return kIllegalPassword;
    return std::nullopt;
  }
  uint32_t slot = 0;
  vtr::bounds::WepKeySlot(record, slot);
  const std::string_view key = FieldText(record.wepKey[slot]);
  if (key.size() < static_cast<size_t>(WepKeyCharacters(input.wepEntry, input.wepKeySize))) {
    return ShortKeyMessage(input.wepEntry, input.wepKeySize);
  }
  const bool legal = input.wepEntry == WepEntry::Hex ? AllHex(key) : AllPrintable(key);
  if (!legal) return kIllegalPassword;
  return std::nullopt;
}

std::optional<LangText> PskProblem(const ProfileRecord& record, const SecurityInput& input) {
  const std::string_view psk = FieldText(record.psk);
  if (psk != input.pskConfirm) return LangText{"10440", "Confirm Passphrase Error !"};
  if (psk.size() < kMinPskLength) {
    return LangText{"10430", "You must set key with 8 characters at least !"};
  }
  if (psk.size() > kHexPskLength) return kIllegalPassword;
  if (psk.size() == kHexPskLength) {
    if (!AllHex(psk)) return kIllegalPassword;
    return std::nullopt;
  }
  if (!AllPrintable(psk) || !AllPrintable(input.pskConfirm)) return kIllegalPassword;
  return std::nullopt;
}

std::optional<LangText> EnterpriseProblem(const ProfileRecord& record, const SecurityInput& input) {
  if (record.eapMethod == kEapTls) {
    if (FieldText(record.tlsIdentity).empty() || FieldText(record.tlsCertificateName).empty()) {
      return LangText{"12050", "Illegal login name or certificate for WPA authentication !"};
    }
    return std::nullopt;
  }
  // Vista logs on with the user's own Windows account when no login name is given.
  if (input.vista) return std::nullopt;
  if (FieldText(record.eapIdentity).empty() || FieldText(record.eapPassword).empty()) {
    return LangText{"13080", "Illegal login name or password for WPA authentication !"};
  }
  return std::nullopt;
}

}  // namespace

bool IsWepFamily(uint32_t authMode) {
  return authMode == kAuthOpen || authMode == kAuthShared || authMode == kAuthAutoSwitch;
}

bool IsPreSharedKey(uint32_t authMode) {
  return authMode == kAuthWpaPsk || authMode == kAuthWpa2Psk;
}

bool IsEnterprise(uint32_t authMode) {
  return authMode == kAuthWpa || authMode == kAuthWpa2;
}

std::vector<Choice> AuthenticationChoices(uint32_t networkType, uint32_t adapterKind,
                                          bool enterpriseOff) {
  std::vector<Choice> choices{kOpen, kShared};
  if (adapterKind != kAdapterKindOpenWep) choices.push_back(kAutoSwitch);
  if (networkType == kNetworkInfrastructure) {
    choices.push_back(kWpaPsk);
    choices.push_back(kWpa2Psk);
    if (!enterpriseOff) {
      choices.push_back(kWpa);
      choices.push_back(kWpa2);
    }
  }
  return choices;
}

uint32_t AdHocAuthMode(uint32_t authMode) {
  return IsWepFamily(authMode) ? authMode : kAuthOpen;
}

std::vector<Choice> WepFamilyEncryptions(uint32_t authMode) {
  if (authMode == kAuthShared) return {kWep};
  return {kNone, kWep};
}

std::vector<Choice> WpaEncryptions(uint32_t authMode, uint32_t eapMethod) {
  if (eapMethod == kEapLeap && authMode == kAuthWpa) return {kTkip};
  if (eapMethod == kEapLeap && authMode == kAuthWpa2) return {kAes};
  return {kTkip, kAes};
}

std::vector<Choice> EapChoices(uint32_t eapMask) {
  std::vector<Choice> choices;
  for (const Choice& choice : {kTls, kPeap, kLeap}) {
    if ((eapMask & (1u << choice.value)) != 0) choices.push_back(choice);
  }
  return choices;
}

int WepKeyCharacters(WepEntry entry, WepKeySize size) {
  const bool wide = size == WepKeySize::Bits128;
  if (entry == WepEntry::Ascii) return wide ? 13 : 5;
  return wide ? 26 : 10;
}

WepKeySize WepKeySizeOf(uint32_t keyLength) {
  return keyLength == 13 || keyLength == 26 ? WepKeySize::Bits128 : WepKeySize::Bits64;
}

std::optional<LangText> SecurityProblem(const ProfileRecord& record, const SecurityInput& input) {
  if (IsWepFamily(record.authMode) && record.encryption == kCipherWep) {
    return WepProblem(record, input);
  }
  if (IsPreSharedKey(record.authMode)) return PskProblem(record, input);
  if (IsEnterprise(record.authMode)) return EnterpriseProblem(record, input);
  return std::nullopt;
}

std::optional<LangText> AuthenticationName(uint32_t authMode) {
  return NameOf({kOpen, kShared, kAutoSwitch, kWpaPsk, kWpa2Psk, kWpa, kWpa2}, authMode);
}

std::optional<LangText> EncryptionName(uint32_t cipher) {
  return NameOf({kNone, kWep, kTkip, kAes}, cipher);
}

}  // namespace pages
