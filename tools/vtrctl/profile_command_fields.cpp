// Profile fields for vtrctl profile add and edit, and how a profile is shown.
#include "tools/vtrctl/profile_command_fields.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "app/core/personal_certificates.h"
#include "app/core/vtr_library.h"
#include "platform/services.h"
#include "tools/vtrctl/code_names.h"
#include "tools/vtrctl/ipv4_text.h"
#include "tools/vtrctl/text_bytes.h"

namespace vtrctl {
namespace {

constexpr std::string_view kMask = "********";
constexpr std::string_view kWorkingProfile = "<Default>";

constexpr std::array<OptionSpec, 25> kOptions = {{{"--name", true},
                                                  {"--ssid", true},
                                                  {"--type", true},
                                                  {"--band", true},
                                                  {"--channel", true},
                                                  {"--auth", true},
                                                  {"--encryption", true},
                                                  {"--wep-key", true},
                                                  {"--wep-ascii", false},
                                                  {"--wep-index", true},
                                                  {"--wep-passphrase", true},
                                                  {"--wep-bits", true},
                                                  {"--psk", true},
                                                  {"--eap", true},
                                                  {"--identity", true},
                                                  {"--password", true},
                                                  {"--domain", true},
                                                  {"--cert-name", true},
                                                  {"--cert-hash", true},
                                                  {"--cert", true},
                                                  {"--ip", true},
                                                  {"--mask", true},
                                                  {"--gateway", true},
                                                  {"--dns", true},
                                                  {"--dhcp", false}}};

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// The one certificate of the user's personal store that the text names: its whole thumbprint,
// or a part of its subject.
platform::StoredCertificate PersonalCertificate(const std::string& text) {
  const std::string wanted = Lower(text);
  std::vector<platform::StoredCertificate> found;
  for (const auto& certificate : platform::Current().Certificates().PersonalCertificates()) {
    if (Lower(core::ThumbprintText(certificate.thumbprint)) == wanted ||
        Lower(certificate.subject).find(wanted) != std::string::npos) {
      found.push_back(certificate);
    }
  }
  if (found.empty()) throw UsageError("no certificate '" + text + "' in the personal store");
  if (found.size() > 1) {
    throw UsageError("'" + text + "' names more than one certificate of the personal store");
  }
  return found.front();
}

// The name a profile keeps for the certificate, as the utility's certificate list gives it.
std::string ProfileCertificateName(const platform::StoredCertificate& certificate) {
  for (const auto& held : core::PersonalStoreCertificates()) {
    if (held.sha1Hash == certificate.thumbprint) return core::ProfileCertificateName(held);
  }
  return certificate.subject;
}

// The certificate's thumbprint as 40 upper-case hexadecimal digits; empty when none is set.
std::string CertificateHashText(const ProfileRecord& record) {
  std::string text;
  bool set = false;
  char digits[3];
  for (std::size_t i = 0; i < 20; ++i) {
    set = set || record.tlsCertificateHash[i] != 0;
    std::snprintf(digits, sizeof digits, "%02X", record.tlsCertificateHash[i]);
    text += digits;
  }
  return set ? text : std::string();
}

template <std::size_t N>
void SetText(char (&field)[N], const std::string& text, std::size_t max, std::string_view what) {
  if (text.size() > max || text.size() >= N) {
    throw UsageError(std::string(what) + " is longer than " + std::to_string(max) + " characters");
  }
  std::memset(field, 0, N);
  std::memcpy(field, text.data(), text.size());
}

bool IsHex(const std::string& text) {
  for (char c : text) {
    if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
  }
  return true;
}

std::string HexOf(const uint8_t* bytes, std::size_t count) {
  std::string text;
  char digits[3];
  for (std::size_t i = 0; i < count; ++i) {
    std::snprintf(digits, sizeof(digits), "%02X", bytes[i]);
    text += digits;
  }
  return text;
}

void ParseAddress(const std::string& text, uint8_t (&address)[4], std::string_view what) {
  const Ipv4 parsed = RequireIpv4(text, what);
  std::copy(parsed.begin(), parsed.end(), address);
}

struct WepKeyOption {
  std::size_t slot = 0;
  std::string key;
};

// A WEP key as the user typed it: "N:KEY" for slot N (1 to 4), or KEY for slot 1.
WepKeyOption ParseWepKeyOption(const std::string& option) {
  if (option.size() > 2 && option[1] == ':' && option[0] >= '1' && option[0] <= '4') {
    return {static_cast<std::size_t>(option[0] - '1'), option.substr(2)};
  }
  return {0, option};
}

void ApplyWepKey(const WepKeyOption& given, bool ascii, ProfileRecord& record) {
  const std::size_t slot = given.slot;
  const std::string& key = given.key;
  uint32_t length = 0;
  if (ascii) {
    if (key.size() != 5 && key.size() != 13 && key.size() != 16) {
      throw UsageError("a WEP key typed as characters has 5, 13 or 16 of them");
    }
    length = static_cast<uint32_t>(key.size());
  } else {
    if (!IsHex(key) || (key.size() != 10 && key.size() != 26 && key.size() != 32)) {
      throw UsageError("a WEP key is 10, 26 or 32 hexadecimal digits (or use --wep-ascii)");
    }
    length = static_cast<uint32_t>(key.size() / 2);
  }
  record.wepKeyLength[slot] = length;
  SetText(record.wepKey[slot], key, 32, "a WEP key");
}

// One flag says whether all four keys are text or hexadecimal: a key of the other form kept in a
// slot this command leaves alone would be read the wrong way.
void RequireOneKeyForm(const std::vector<WepKeyOption>& given, bool ascii,
                       const ProfileRecord& record) {
  for (std::size_t slot = 0; slot < 4; ++slot) {
    const bool replaced = std::any_of(given.begin(), given.end(),
                                      [&](const WepKeyOption& key) { return key.slot == slot; });
    if (replaced || record.wepKeyLength[slot] == 0 || (record.wepKeyAscii != 0) == ascii) continue;
    throw UsageError("WEP key " + std::to_string(slot + 1) + " is stored as " +
                     (ascii ? "hexadecimal digits" : "text") +
                     ", and the four keys are all one or the other: give it again " +
                     (ascii ? "as text with --wep-ascii" : "in hexadecimal") + ", or the new key " +
                     (ascii ? "in hexadecimal" : "as text"));
  }
}

bool UsesPsk(const ProfileRecord& record) {
  return record.authMode == VTR_AUTH_WPA_PSK || record.authMode == VTR_AUTH_WPA2_PSK;
}

bool Uses8021X(const ProfileRecord& record) {
  return record.authMode == VTR_AUTH_WPA || record.authMode == VTR_AUTH_WPA2;
}

// A record keeps only the secrets its security uses: one typed in this command for another
// security is refused, and one left from the profile's earlier security is cleared, so that no
// key lingers in the store unseen.
void DropUnusedFields(const ParsedArgs& parsed, ProfileRecord& record) {
  const auto refuse = [&](std::initializer_list<std::string_view> options, std::string_view needs) {
    for (std::string_view option : options) {
      if (parsed.Has(option))
        throw UsageError(std::string(option) + " goes with " + std::string(needs));
    }
  };
  if (record.encryption != VTR_CIPHER_WEP) {
    refuse({"--wep-key", "--wep-passphrase", "--wep-index"}, "--encryption wep");
    std::memset(record.wepKey, 0, sizeof(record.wepKey));
    std::memset(record.wepKeyLength, 0, sizeof(record.wepKeyLength));
    std::memset(record.wepPassphrase, 0, sizeof(record.wepPassphrase));
    record.wepPassphraseLength = 0;
    record.wepKeyIndex = 0;
    record.wepKeyAscii = 0;
  }
  if (!UsesPsk(record)) {
    refuse({"--psk"}, "--auth wpa-psk or wpa2-psk");
    std::memset(record.psk, 0, sizeof(record.psk));
    record.pskLength = 0;
    record.pskIsHex = 0;
  }
  if (!Uses8021X(record)) {
    refuse(
        {"--eap", "--identity", "--password", "--domain", "--cert", "--cert-name", "--cert-hash"},
        "--auth wpa or wpa2");
    for (auto* text : {&record.eapIdentity, &record.eapPassword, &record.eapDomain,
                       &record.tlsIdentity, &record.tlsCertificateName}) {
      std::memset(*text, 0, sizeof(*text));
    }
    std::memset(record.tlsCertificateHash, 0, sizeof(record.tlsCertificateHash));
  }
}

// A name the store and the utility can both keep: no control characters (a line break would
// split every list it is shown in), and not the utility's own working profile's.
void CheckNewName(const std::string& name) {
  if (name.empty()) throw UsageError("a profile needs a name");
  if (std::any_of(name.begin(), name.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7F;
      })) {
    throw UsageError("a profile name cannot hold control characters such as a line break");
  }
  const std::size_t first = name.find_first_not_of(' ');
  const std::size_t last = name.find_last_not_of(' ');
  if (first != std::string::npos && name.substr(first, last - first + 1) == kWorkingProfile) {
    throw UsageError(
        "\"<Default>\" is the name of the utility's own working profile; choose "
        "another name");
  }
}

}  // namespace

const std::string_view kProfileFieldHelp =
    "fields:\n"
    "  --name NAME               profile name (up to 256 characters)\n"
    "  --ssid SSID               network name (up to 32 characters)\n"
    "  --type infrastructure|adhoc\n"
    "  --band b|g|a|auto         wireless mode of the network\n"
    "  --channel N               ad hoc channel 1 to 14 (0 = automatic)\n"
    "  --auth open|shared|auto|wpa-psk|wpa2-psk|wpa|wpa2\n"
    "  --encryption none|wep|tkip|aes\n"
    "  --wep-key [N:]KEY         WEP key for slot N (1-4, default 1): 10, 26 or 32 hex digits\n"
    "  --wep-ascii               the WEP keys are typed as 5, 13 or 16 characters\n"
    "  --wep-index N             the key to transmit with (1-4)\n"
    "  --wep-passphrase TEXT     make the WEP keys from a passphrase (with --wep-bits 64|128)\n"
    "  --psk KEY                 WPA pre-shared key: 8 to 63 characters, or 64 hex digits\n"
    "  --eap tls|peap|leap       802.1X method for wpa and wpa2\n"
    "  --identity, --password, --domain TEXT       802.1X credentials\n"
    "  --cert-name TEXT, --cert-hash HEX            EAP-TLS certificate (hash: 40 hex digits)\n"
    "  --cert TEXT               EAP-TLS certificate from the personal store, by its thumbprint\n"
    "                            or a part of its subject (sets the hash, and as the name\n"
    "                            its issuer, the authority the trusted root is found from)\n"
    "  --ip, --mask, --gateway A.B.C.D             fixed address after connecting\n"
    "  --dns A.B.C.D             DNS server (up to two)\n"
    "  --dhcp                    use DHCP again (drops the fixed address and DNS servers)\n";

std::span<const OptionSpec> ProfileFieldOptions() {
  return kOptions;
}

void ApplyProfileFields(const ParsedArgs& parsed, const core::CVtrLibrary& lib,
                        ProfileRecord& record) {
  if (parsed.Has("--name")) {
    const std::string& name = parsed.Value("--name");
    CheckNewName(name);
    SetText(record.profileName, name, 256, "the profile name");
  }
  if (parsed.Has("--ssid")) SetText(record.ssid, parsed.Value("--ssid"), 32, "the SSID");
  if (parsed.Has("--type")) {
    record.networkType = CodeOf(NetworkTypes(), parsed.Value("--type"), "network type");
  }
  if (parsed.Has("--band")) record.phyMode = CodeOf(Bands(), parsed.Value("--band"), "band");
  if (parsed.Has("--channel")) {
    // The field holds a position in the driver's ad hoc channel list, which equals the channel
    // number only in the 2.4 GHz band; the utility offers those channels alone, and so do we.
    record.adhocChannel = ParseNumber(parsed.Value("--channel"), 14, "channel");
  }
  if (parsed.Has("--auth")) {
    record.authMode = CodeOf(AuthModes(), parsed.Value("--auth"), "authentication");
  }
  if (parsed.Has("--encryption")) {
    record.encryption = CodeOf(Encryptions(), parsed.Value("--encryption"), "encryption");
  }
  if (parsed.Has("--wep-passphrase")) {
    const std::string& passphrase = parsed.Value("--wep-passphrase");
    if (passphrase.empty() || passphrase.size() > 32) {
      throw UsageError("a WEP passphrase has 1 to 32 characters");
    }
    const uint32_t bits = parsed.Has("--wep-bits")
                              ? ParseNumber(parsed.Value("--wep-bits"), 128, "WEP key size")
                              : 128;
    if (bits != 64 && bits != 128) throw UsageError("--wep-bits is 64 or 128");
    uint8_t keys[64] = {};
    if (bits == 64) {
      lib.Passphrase64(passphrase.c_str(), keys);
    } else {
      lib.Passphrase128(passphrase.c_str(), keys);
    }
    const std::size_t length = bits == 64 ? 5 : 13;
    for (std::size_t slot = 0; slot < 4; ++slot) {
      // The 64-bit generator makes four keys; the 128-bit one makes one for every slot.
      const uint8_t* key = bits == 64 ? keys + slot * 16 : keys;
      SetText(record.wepKey[slot], HexOf(key, length), 32, "a WEP key");
      record.wepKeyLength[slot] = static_cast<uint32_t>(length);
    }
    SetText(record.wepPassphrase, passphrase, 32, "the WEP passphrase");
    record.wepPassphraseLength = static_cast<uint32_t>(passphrase.size());
    record.wepKeyManual = 0;
    record.wepKeyAscii = 0;
  } else if (parsed.Has("--wep-bits")) {
    throw UsageError("--wep-bits goes with --wep-passphrase");
  }
  if (parsed.Has("--wep-key")) {
    if (parsed.Has("--wep-passphrase")) {
      throw UsageError("give WEP keys or a WEP passphrase, not both");
    }
    const bool ascii = parsed.Has("--wep-ascii");
    std::vector<WepKeyOption> given;
    for (const std::string& option : parsed.options.at("--wep-key")) {
      given.push_back(ParseWepKeyOption(option));
    }
    RequireOneKeyForm(given, ascii, record);
    for (const WepKeyOption& key : given) ApplyWepKey(key, ascii, record);
    record.wepKeyManual = 1;
    record.wepKeyAscii = ascii ? 1 : 0;
    std::memset(record.wepPassphrase, 0, sizeof(record.wepPassphrase));
    record.wepPassphraseLength = 0;
  } else if (parsed.Has("--wep-ascii")) {
    throw UsageError("--wep-ascii goes with --wep-key");
  }
  if (parsed.Has("--wep-index")) {
    record.wepKeyIndex = ParseNumber(parsed.Value("--wep-index"), 4, "WEP key index") - 1;
    if (record.wepKeyIndex > 3) throw UsageError("the WEP key index is 1 to 4");
  }
  if (parsed.Has("--psk")) {
    const std::string& psk = parsed.Value("--psk");
    const bool hex = psk.size() == 64 && IsHex(psk);
    if (!hex && (psk.size() < 8 || psk.size() > 63)) {
      throw UsageError("a pre-shared key has 8 to 63 characters, or 64 hexadecimal digits");
    }
    SetText(record.psk, psk, 64, "the pre-shared key");
    record.pskLength = static_cast<uint32_t>(psk.size());
    record.pskIsHex = hex ? 1 : 0;
  }
  if (parsed.Has("--eap")) record.eapMethod = CodeOf(EapMethods(), parsed.Value("--eap"), "EAP");
  if (parsed.Has("--identity")) {
    // One login name serves whichever method the profile uses.
    SetText(record.eapIdentity, parsed.Value("--identity"), 256, "the identity");
    SetText(record.tlsIdentity, parsed.Value("--identity"), 256, "the identity");
  }
  if (parsed.Has("--password")) {
    SetText(record.eapPassword, parsed.Value("--password"), 256, "the password");
  }
  if (parsed.Has("--domain"))
    SetText(record.eapDomain, parsed.Value("--domain"), 256, "the domain");
  if (parsed.Has("--cert-name")) {
    SetText(record.tlsCertificateName, parsed.Value("--cert-name"), 256, "the certificate name");
  }
  if (parsed.Has("--cert-hash")) {
    const std::string& hash = parsed.Value("--cert-hash");
    if (hash.size() != 40 || !IsHex(hash)) {
      throw UsageError("a certificate hash is 40 hexadecimal digits");
    }
    std::memset(record.tlsCertificateHash, 0, sizeof(record.tlsCertificateHash));
    for (std::size_t i = 0; i < 20; ++i) {
      record.tlsCertificateHash[i] =
          static_cast<uint8_t>(std::stoul(hash.substr(i * 2, 2), nullptr, 16));
    }
  }
  if (parsed.Has("--cert")) {
    if (parsed.Has("--cert-name") || parsed.Has("--cert-hash")) {
      throw UsageError("--cert takes the name and hash from the store; give neither");
    }
    const platform::StoredCertificate certificate = PersonalCertificate(parsed.Value("--cert"));
    SetText(record.tlsCertificateName, ProfileCertificateName(certificate), 256,
            "the certificate name");
    std::memset(record.tlsCertificateHash, 0, sizeof(record.tlsCertificateHash));
    std::memcpy(record.tlsCertificateHash, certificate.thumbprint.data(), 20);
  }
  if (parsed.Has("--dhcp")) {
    if (parsed.Has("--ip") || parsed.Has("--dns")) {
      throw UsageError("--dhcp takes no fixed address or DNS server");
    }
    record.useStaticIp = 0;
    record.useStaticDns = 0;
    for (auto* address : {&record.ipAddress, &record.subnetMask, &record.defaultGateway,
                          &record.preferredDns, &record.alternateDns}) {
      std::memset(*address, 0, 4);
    }
  }
  if (parsed.Has("--ip")) {
    ParseAddress(parsed.Value("--ip"), record.ipAddress, "address");
    record.useStaticIp = 1;
  }
  if (parsed.Has("--mask")) ParseAddress(parsed.Value("--mask"), record.subnetMask, "mask");
  if (parsed.Has("--gateway")) {
    ParseAddress(parsed.Value("--gateway"), record.defaultGateway, "gateway");
  }
  if (parsed.Has("--dns")) {
    const auto& servers = parsed.options.at("--dns");
    if (servers.size() > 2) throw UsageError("at most two DNS servers");
    ParseAddress(servers[0], record.preferredDns, "DNS server");
    std::memset(record.alternateDns, 0, 4);
    if (servers.size() == 2) ParseAddress(servers[1], record.alternateDns, "DNS server");
    record.useStaticDns = 1;
  }
  DropUnusedFields(parsed, record);
}

void CheckProfile(const ProfileRecord& record) {
  if (ProfileName(record).empty()) throw UsageError("a profile needs a name (--name)");
  const std::string ssid = FieldText(record.ssid);
  if (ssid.empty()) throw UsageError("a profile needs an SSID (--ssid)");
  const uint32_t auth = record.authMode;
  const uint32_t cipher = record.encryption;
  const bool wepAuth = auth == 0 || auth == 1 || auth == 2;
  if (wepAuth && cipher != 0 && cipher != 1) {
    throw UsageError("open, shared and auto authentication use no encryption or WEP");
  }
  if (auth == 1 && cipher != 1) throw UsageError("shared-key authentication needs WEP");
  if (!wepAuth && cipher != 2 && cipher != 4) {
    throw UsageError("WPA and WPA2 need TKIP or AES encryption");
  }
  if (record.networkType == 0 && (auth == 16 || auth == 32)) {
    throw UsageError("an ad hoc network cannot use 802.1X (wpa or wpa2)");
  }
  if (cipher == 1) {
    const uint32_t index = record.wepKeyIndex;
    if (index > 3 || record.wepKeyLength[index] == 0) {
      throw UsageError("WEP needs a key in slot " + std::to_string(index + 1) +
                       " (--wep-key or --wep-passphrase)");
    }
  }
  if ((auth == 4 || auth == 8) && record.pskLength == 0) {
    throw UsageError("WPA-PSK and WPA2-PSK need a pre-shared key (--psk)");
  }
  if (auth == 16 || auth == 32) {
    if (record.eapMethod == 0) {
      if (FieldText(record.tlsIdentity).empty() || FieldText(record.tlsCertificateName).empty()) {
        throw UsageError("EAP-TLS needs --identity and --cert (or --cert-name)");
      }
    } else if (FieldText(record.eapIdentity).empty() || FieldText(record.eapPassword).empty()) {
      throw UsageError("PEAP and LEAP need --identity and --password");
    }
  }
  if (record.useStaticIp != 0 && (IsZero(record.ipAddress) || IsZero(record.subnetMask))) {
    throw UsageError("a fixed address needs --ip and --mask");
  }
}

std::string ProfileName(const ProfileRecord& record) {
  return FieldText(record.profileName);
}

std::string SecurityText(const ProfileRecord& record) {
  return SecurityName(record.authMode, record.encryption);
}

std::vector<std::pair<std::string, std::string>> ProfileRows(const ProfileRecord& record,
                                                             bool showSecrets) {
  const auto secret = [&](const std::string& text) {
    return text.empty() || showSecrets ? text : std::string(kMask);
  };
  std::vector<std::pair<std::string, std::string>> rows = {
      {"Name", PrintableText(ProfileName(record))},
      {"SSID", PrintableText(FieldText(record.ssid))},
      {"Default", record.isDefault == 1 ? "yes" : "no"},
      {"Network type", NameOf(NetworkTypes(), record.networkType)},
      {"Band", NameOf(Bands(), record.phyMode)},
      {"Authentication", NameOf(AuthModes(), record.authMode)},
      {"Encryption", NameOf(Encryptions(), record.encryption)},
  };
  if (record.networkType == 0) {
    rows.emplace_back("Ad hoc channel",
                      record.adhocChannel == 0 ? "automatic" : std::to_string(record.adhocChannel));
  }
  if (record.encryption == 1) {
    for (std::size_t slot = 0; slot < 4; ++slot) {
      if (record.wepKeyLength[slot] == 0) continue;
      rows.emplace_back(
          "WEP key " + std::to_string(slot + 1) + (record.wepKeyIndex == slot ? " (transmit)" : ""),
          secret(FieldText(record.wepKey[slot])));
    }
    if (record.wepKeyManual == 0) {
      rows.emplace_back("WEP passphrase", secret(FieldText(record.wepPassphrase)));
    }
  }
  if (record.authMode == VTR_AUTH_WPA_PSK || record.authMode == VTR_AUTH_WPA2_PSK) {
    rows.emplace_back("Pre-shared key", secret(FieldText(record.psk)));
  }
  if (record.authMode == 16 || record.authMode == 32) {
    rows.emplace_back("EAP", NameOf(EapMethods(), record.eapMethod));
    if (record.eapMethod == 0) {
      rows.emplace_back("Identity", FieldText(record.tlsIdentity));
      rows.emplace_back("Certificate", FieldText(record.tlsCertificateName));
    } else {
      rows.emplace_back("Identity", FieldText(record.eapIdentity));
      rows.emplace_back("Password", secret(FieldText(record.eapPassword)));
      rows.emplace_back("Domain", FieldText(record.eapDomain));
    }
  }
  if (record.useStaticIp != 0) {
    rows.emplace_back("IP address", Ipv4Text(record.ipAddress));
    rows.emplace_back("Subnet mask", Ipv4Text(record.subnetMask));
    rows.emplace_back("Gateway", Ipv4Text(record.defaultGateway));
  }
  if (record.useStaticDns != 0) {
    rows.emplace_back("DNS servers",
                      Ipv4Text(record.preferredDns) + " " + Ipv4Text(record.alternateDns));
  }
  return rows;
}

nlohmann::json ProfileJson(const ProfileRecord& record, bool showSecrets) {
  const auto secret = [&](const std::string& text) -> nlohmann::json {
    if (text.empty()) return text;
    return showSecrets ? text : std::string(kMask);
  };
  // A field the profile's security does not use is null, whatever the record still holds.
  const auto when = [](bool applies, nlohmann::json value) {
    return applies ? std::move(value) : nlohmann::json(nullptr);
  };
  const bool wep = record.encryption == VTR_CIPHER_WEP;
  const bool psk = record.authMode == VTR_AUTH_WPA_PSK || record.authMode == VTR_AUTH_WPA2_PSK;
  const bool eap = record.authMode == VTR_AUTH_WPA || record.authMode == VTR_AUTH_WPA2;
  const bool tls = eap && record.eapMethod == 0;
  nlohmann::json wepKeys = nlohmann::json::array();
  for (std::size_t slot = 0; slot < 4; ++slot) {
    wepKeys.push_back(record.wepKeyLength[slot] == 0 ? nlohmann::json(nullptr)
                                                     : secret(FieldText(record.wepKey[slot])));
  }
  nlohmann::json out;
  PutText(out, "name", ProfileName(record));
  PutSsid(out, FieldText(record.ssid));
  out.update({
      {"default", record.isDefault == 1},
      {"networkType", NameOf(NetworkTypes(), record.networkType)},
      {"band", NameOf(Bands(), record.phyMode)},
      {"adhocChannel", when(record.networkType == VTR_NETWORK_ADHOC, record.adhocChannel)},
      {"auth", NameOf(AuthModes(), record.authMode)},
      {"encryption", NameOf(Encryptions(), record.encryption)},
      {"wepKeys", when(wep, wepKeys)},
      {"wepIndex", when(wep, record.wepKeyIndex + 1)},
      {"wepAscii", when(wep, record.wepKeyAscii != 0)},
      {"wepPassphrase",
       when(wep && record.wepKeyManual == 0, secret(FieldText(record.wepPassphrase)))},
      {"psk", when(psk, secret(FieldText(record.psk)))},
      {"eap", when(eap, NameOf(EapMethods(), record.eapMethod))},
      {"identity", when(eap, FieldText(tls ? record.tlsIdentity : record.eapIdentity))},
      {"password", when(eap && !tls, secret(FieldText(record.eapPassword)))},
      {"domain", when(eap && !tls, FieldText(record.eapDomain))},
      {"certificateName", when(tls, FieldText(record.tlsCertificateName))},
      {"certificateHash", when(tls, CertificateHashText(record))},
      {"surveyChannel", record.surveyChannel},
      {"ip", nullptr},
      {"dns", nullptr},
  });
  if (record.useStaticIp != 0) {
    out["ip"] = {{"address", Ipv4Text(record.ipAddress)},
                 {"mask", Ipv4Text(record.subnetMask)},
                 {"gateway", Ipv4Text(record.defaultGateway)}};
  }
  if (record.useStaticDns != 0) {
    out["dns"] = {Ipv4Text(record.preferredDns), Ipv4Text(record.alternateDns)};
  }
  return out;
}

}  // namespace vtrctl
