#include "sim/wlan_profile_reader.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <cstring>
#include <memory>
#include <mutex>

namespace sim {
namespace {

constexpr const char* kProfileNamespace = "http://www.microsoft.com/networking/WLAN/profile/v1";
constexpr const char* kOneXNamespace = "http://www.microsoft.com/networking/OneX/v1";
constexpr const char* kEapHostNamespace = "http://www.microsoft.com/provisioning/EapHostConfig";
constexpr const char* kEapCommonNamespace = "http://www.microsoft.com/provisioning/EapCommon";

// Far beyond any profile (the service takes a few kilobytes); keeps the length an int.
constexpr size_t kMaxDocumentBytes = 1 << 20;
constexpr size_t kMaxSsidBytes = 32;

// The EAP-TLS configuration blob: a header of four u32 (the hash's length last), then the hash.
constexpr size_t kTlsBlobHashLengthAt = 12;
constexpr size_t kTlsBlobHashAt = 16;

class Unreadable {
 public:
  Unreadable(uint32_t reason, std::string message) : fault_{reason, std::move(message)} {}
  const ProfileFault& fault() const { return fault_; }

 private:
  ProfileFault fault_;
};

[[noreturn]] void Refuse(std::string message, uint32_t reason = kReasonInvalidProfileSchema) {
  throw Unreadable(reason, std::move(message));
}

struct DocumentFree {
  void operator()(xmlDoc* document) const { xmlFreeDoc(document); }
};
struct ContextFree {
  void operator()(xmlParserCtxt* context) const { xmlFreeParserCtxt(context); }
};

bool IsElement(const xmlNode* node, const char* name, const char* ns) {
  return node->type == XML_ELEMENT_NODE && node->ns != nullptr &&
         std::strcmp(reinterpret_cast<const char*>(node->name), name) == 0 &&
         std::strcmp(reinterpret_cast<const char*>(node->ns->href), ns) == 0;
}

// The first child of that name in that namespace; an element of the same name in another
// namespace is a different element.
const xmlNode* Child(const xmlNode* parent, const char* name, const char* ns) {
  if (parent == nullptr) return nullptr;
  for (const xmlNode* child = parent->children; child != nullptr; child = child->next) {
    if (IsElement(child, name, ns)) return child;
  }
  return nullptr;
}

const xmlNode* RequiredChild(const xmlNode* parent, const char* name, const char* ns) {
  const xmlNode* child = Child(parent, name, ns);
  if (child == nullptr) Refuse(std::string("missing element ") + name);
  return child;
}

// An element's text: its text and CDATA children; an element inside is not a value.
std::string Text(const xmlNode* element) {
  std::string text;
  for (const xmlNode* child = element->children; child != nullptr; child = child->next) {
    if (child->type == XML_TEXT_NODE || child->type == XML_CDATA_SECTION_NODE) {
      if (child->content != nullptr) text += reinterpret_cast<const char*>(child->content);
    } else if (child->type == XML_ELEMENT_NODE || child->type == XML_ENTITY_REF_NODE) {
      Refuse(std::string("element ") + reinterpret_cast<const char*>(element->name) +
             " holds more than a value");
    }
  }
  return text;
}

// Values of enumerations, numbers and booleans lose the blanks around them, as schema types do.
std::string Token(const xmlNode* element) {
  const std::string text = Text(element);
  const char* blanks = " \t\r\n";
  const size_t first = text.find_first_not_of(blanks);
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

bool Boolean(const xmlNode* element) {
  const std::string value = Token(element);
  if (value == "true" || value == "1") return true;
  if (value == "false" || value == "0") return false;
  Refuse(std::string("element ") + reinterpret_cast<const char*>(element->name) +
         " is not true or false");
}

std::optional<bool> OptionalBoolean(const xmlNode* parent, const char* name) {
  const xmlNode* element = Child(parent, name, kProfileNamespace);
  if (element == nullptr) return std::nullopt;
  return Boolean(element);
}

uint32_t Number(const std::string& text, uint32_t max, const char* what) {
  if (text.empty() || text.size() > 10) Refuse(std::string(what) + " is not a number");
  uint64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') Refuse(std::string(what) + " is not a number");
    value = value * 10 + static_cast<uint64_t>(c - '0');
  }
  if (value > max) Refuse(std::string(what) + " is out of range");
  return static_cast<uint32_t>(value);
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool IsHex(const std::string& text) {
  for (char c : text) {
    if (HexDigit(c) < 0) return false;
  }
  return true;
}

std::optional<std::vector<uint8_t>> HexBytes(const std::string& text) {
  if (text.size() % 2 != 0 || !IsHex(text)) return std::nullopt;
  std::vector<uint8_t> bytes(text.size() / 2);
  for (size_t i = 0; i < bytes.size(); ++i) {
    bytes[i] = static_cast<uint8_t>(HexDigit(text[2 * i]) * 16 + HexDigit(text[2 * i + 1]));
  }
  return bytes;
}

// The hexadecimal form wins when the profile gives both, as the service's own profiles do.
std::vector<uint8_t> ReadSsid(const xmlNode* ssidConfig) {
  const xmlNode* ssid = RequiredChild(ssidConfig, "SSID", kProfileNamespace);
  std::vector<uint8_t> bytes;
  if (const xmlNode* hex = Child(ssid, "hex", kProfileNamespace)) {
    const auto parsed = HexBytes(Token(hex));
    if (!parsed) Refuse("SSID hex is not hexadecimal bytes", kReasonProfileSsidInvalid);
    bytes = *parsed;
  } else if (const xmlNode* name = Child(ssid, "name", kProfileNamespace)) {
    const std::string text = Text(name);
    bytes.assign(text.begin(), text.end());
  } else {
    Refuse("SSID has neither hex nor name", kReasonProfileSsidInvalid);
  }
  if (bytes.empty() || bytes.size() > kMaxSsidBytes) {
    Refuse("SSID is not 1 to 32 bytes", kReasonProfileSsidInvalid);
  }
  return bytes;
}

ProfileAuthentication ReadAuthentication(const std::string& value) {
  if (value == "open") return ProfileAuthentication::kOpen;
  if (value == "shared") return ProfileAuthentication::kShared;
  if (value == "WPA") return ProfileAuthentication::kWpa;
  if (value == "WPAPSK") return ProfileAuthentication::kWpaPsk;
  if (value == "WPA2") return ProfileAuthentication::kWpa2;
  if (value == "WPA2PSK") return ProfileAuthentication::kWpa2Psk;
  Refuse("unknown authentication \"" + value + "\"");
}

ProfileEncryption ReadEncryption(const std::string& value) {
  if (value == "none") return ProfileEncryption::kNone;
  if (value == "WEP") return ProfileEncryption::kWep;
  if (value == "TKIP") return ProfileEncryption::kTkip;
  if (value == "AES") return ProfileEncryption::kAes;
  Refuse("unknown encryption \"" + value + "\"");
}

bool UsesPsk(ProfileAuthentication authentication) {
  return authentication == ProfileAuthentication::kWpaPsk ||
         authentication == ProfileAuthentication::kWpa2Psk;
}

bool UsesEnterprise(ProfileAuthentication authentication) {
  return authentication == ProfileAuthentication::kWpa ||
         authentication == ProfileAuthentication::kWpa2;
}

// The pairs the service knows: open or shared with WEP (open also without), and the WPA modes
// with TKIP or AES, 802.1X exactly with the enterprise ones.
void CheckPair(const WlanProfile& profile) {
  const bool wpaCipher = profile.encryption == ProfileEncryption::kTkip ||
                         profile.encryption == ProfileEncryption::kAes;
  bool fits = false;
  switch (profile.authentication) {
    case ProfileAuthentication::kOpen:
      fits = profile.encryption == ProfileEncryption::kNone ||
             profile.encryption == ProfileEncryption::kWep;
      break;
    case ProfileAuthentication::kShared:
      fits = profile.encryption == ProfileEncryption::kWep;
      break;
    default:
      fits = wpaCipher;
      break;
  }
  if (!fits) Refuse("authentication and encryption do not go together", kReasonConflictSecurity);
  if (profile.useOneX != UsesEnterprise(profile.authentication)) {
    Refuse("802.1X does not fit the authentication", kReasonConflictSecurity);
  }
}

bool IsWepKey(const ProfileSharedKey& key) {
  const size_t size = key.keyMaterial.size();
  if (key.keyType != ProfileKeyType::kNetworkKey) return false;
  if (size == 10 || size == 26) return IsHex(key.keyMaterial);
  return size == 5 || size == 13;
}

bool IsPreSharedKey(const ProfileSharedKey& key) {
  const std::string& material = key.keyMaterial;
  if (key.keyType == ProfileKeyType::kNetworkKey) return material.size() == 64 && IsHex(material);
  if (material.size() < 8 || material.size() > 63) return false;
  // A passphrase is printable ASCII.
  for (char c : material) {
    if (c < 0x20 || c > 0x7E) return false;
  }
  return true;
}

ProfileSharedKey ReadSharedKey(const xmlNode* sharedKey) {
  ProfileSharedKey key;
  const std::string type = Token(RequiredChild(sharedKey, "keyType", kProfileNamespace));
  if (type == "networkKey") {
    key.keyType = ProfileKeyType::kNetworkKey;
  } else if (type == "passPhrase") {
    key.keyType = ProfileKeyType::kPassPhrase;
  } else {
    Refuse("unknown key type \"" + type + "\"");
  }
  // A protected key is sealed to another machine's secret; this service cannot open it.
  if (Boolean(RequiredChild(sharedKey, "protected", kProfileNamespace))) {
    Refuse("the key is protected");
  }
  key.keyMaterial = Text(RequiredChild(sharedKey, "keyMaterial", kProfileNamespace));
  return key;
}

std::optional<std::array<uint8_t, 20>> TlsRootHash(const std::string& blobText) {
  const auto blob = HexBytes(blobText);
  if (!blob) Refuse("ConfigBlob is not hexadecimal bytes");
  constexpr size_t kHashSize = 20;
  if (blob->size() < kTlsBlobHashAt + kHashSize) return std::nullopt;
  uint32_t hashLength = 0;
  for (int i = 3; i >= 0; --i) hashLength = hashLength * 256 + (*blob)[kTlsBlobHashLengthAt + i];
  if (hashLength != kHashSize) return std::nullopt;
  std::array<uint8_t, 20> hash{};
  std::memcpy(hash.data(), blob->data() + kTlsBlobHashAt, kHashSize);
  return hash;
}

void ReadOneX(const xmlNode* security, WlanProfile& profile) {
  const xmlNode* oneX = Child(security, "OneX", kOneXNamespace);
  if (oneX == nullptr) Refuse("802.1X without its settings", kReasonSecurityMissing);
  const xmlNode* config = RequiredChild(oneX, "EAPConfig", kOneXNamespace);
  const xmlNode* host = RequiredChild(config, "EapHostConfig", kEapHostNamespace);
  const xmlNode* method = RequiredChild(host, "EapMethod", kEapHostNamespace);
  const xmlNode* type = RequiredChild(method, "Type", kEapCommonNamespace);
  const uint32_t eapType = Number(Token(type), 255, "EAP method type");
  if (eapType != kEapTypeTls && eapType != kEapTypePeap) Refuse("unknown EAP method");
  profile.eapType = eapType;
  const xmlNode* blob = Child(host, "ConfigBlob", kEapHostNamespace);
  const std::optional<std::array<uint8_t, 20>> root =
      blob != nullptr ? TlsRootHash(Token(blob)) : std::nullopt;
  if (eapType == kEapTypeTls) profile.tlsRootHash = root;
}

void ReadSecurity(const xmlNode* root, WlanProfile& profile) {
  const xmlNode* msm = Child(root, "MSM", kProfileNamespace);
  const xmlNode* security = Child(msm, "security", kProfileNamespace);
  if (security == nullptr) Refuse("no security settings", kReasonSecurityMissing);
  const xmlNode* pair = RequiredChild(security, "authEncryption", kProfileNamespace);
  profile.authentication =
      ReadAuthentication(Token(RequiredChild(pair, "authentication", kProfileNamespace)));
  profile.encryption = ReadEncryption(Token(RequiredChild(pair, "encryption", kProfileNamespace)));
  profile.useOneX = OptionalBoolean(pair, "useOneX").value_or(false);
  CheckPair(profile);

  const bool wep = profile.encryption == ProfileEncryption::kWep;
  const bool psk = UsesPsk(profile.authentication);
  if (const xmlNode* sharedKey = Child(security, "sharedKey", kProfileNamespace)) {
    profile.sharedKey = ReadSharedKey(sharedKey);
  }
  if ((wep || psk) && !profile.sharedKey) Refuse("no key", kReasonSecurityMissing);
  if (wep && !IsWepKey(*profile.sharedKey)) Refuse("the key is no WEP key");
  if (psk && !IsPreSharedKey(*profile.sharedKey)) Refuse("the key is no pre-shared key");
  if (const xmlNode* keyIndex = Child(security, "keyIndex", kProfileNamespace)) {
    profile.keyIndex = Number(Token(keyIndex), 3, "keyIndex");
  }
  if (profile.useOneX) ReadOneX(security, profile);
}

WlanProfile ReadProfile(const xmlNode* root) {
  if (root == nullptr || !IsElement(root, "WLANProfile", kProfileNamespace)) {
    Refuse("not a WLANProfile of the profile namespace");
  }
  WlanProfile profile;
  profile.name = Text(RequiredChild(root, "name", kProfileNamespace));
  if (profile.name.empty()) Refuse("the profile has no name");
  const xmlNode* ssidConfig = RequiredChild(root, "SSIDConfig", kProfileNamespace);
  profile.ssid = ReadSsid(ssidConfig);
  profile.nonBroadcast = OptionalBoolean(ssidConfig, "nonBroadcast").value_or(false);

  const std::string type = Token(RequiredChild(root, "connectionType", kProfileNamespace));
  if (type != "ESS" && type != "IBSS") Refuse("unknown connection type \"" + type + "\"");
  profile.adhoc = type == "IBSS";
  if (const xmlNode* mode = Child(root, "connectionMode", kProfileNamespace)) {
    const std::string value = Token(mode);
    if (value != "auto" && value != "manual") Refuse("unknown connection mode \"" + value + "\"");
    profile.autoConnect = value == "auto";
  } else {
    profile.autoConnect = !profile.adhoc;
  }
  // An ad hoc network is joined only when asked, and by its beacons.
  if (profile.adhoc && profile.autoConnect) {
    Refuse("an ad hoc profile connects manually", kReasonInvalidAdhocConnectionMode);
  }
  if (profile.adhoc && profile.nonBroadcast) {
    Refuse("an ad hoc network is not probed for", kReasonNonBroadcastSetForAdhoc);
  }
  ReadSecurity(root, profile);
  return profile;
}

}  // namespace

std::variant<WlanProfile, ProfileFault> ReadWlanProfile(const char* text, size_t length) {
  if (text == nullptr || length == 0 || length > kMaxDocumentBytes) {
    return ProfileFault{kReasonInvalidProfileSchema, "no document"};
  }
  static std::once_flag initialised;
  std::call_once(initialised, [] { xmlInitParser(); });
  std::unique_ptr<xmlParserCtxt, ContextFree> context(xmlNewParserCtxt());
  if (!context) return ProfileFault{kReasonInvalidProfileSchema, "out of memory"};
  // The text is UTF-8 whatever its declaration says (the caller's UTF-16 was converted); nothing
  // is fetched from outside.
  const int options = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING |
                      XML_PARSE_IGNORE_ENC | XML_PARSE_NOCDATA;
  std::unique_ptr<xmlDoc, DocumentFree> document(
      xmlCtxtReadMemory(context.get(), text, static_cast<int>(length), nullptr, "UTF-8", options));
  if (!document) return ProfileFault{kReasonInvalidProfileSchema, "not well-formed XML"};
  // A profile has no document type; one could only bring entities the service does not expand.
  if (document->intSubset != nullptr || document->extSubset != nullptr) {
    return ProfileFault{kReasonInvalidProfileSchema, "a document type declaration"};
  }
  try {
    return ReadProfile(xmlDocGetRootElement(document.get()));
  } catch (const Unreadable& unreadable) {
    return unreadable.fault();
  }
}

std::optional<std::string> Utf16ToUtf8(const std::u16string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    uint32_t code = text[i];
    if (code >= 0xD800 && code <= 0xDBFF) {
      if (i + 1 >= text.size() || text[i + 1] < 0xDC00 || text[i + 1] > 0xDFFF) return std::nullopt;
      code = 0x10000 + ((code - 0xD800) << 10) + (text[++i] - 0xDC00);
    } else if (code >= 0xDC00 && code <= 0xDFFF) {
      return std::nullopt;
    }
    if (code < 0x80) {
      out += static_cast<char>(code);
    } else if (code < 0x800) {
      out += static_cast<char>(0xC0 | (code >> 6));
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
      out += static_cast<char>(0xE0 | (code >> 12));
      out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (code >> 18));
      out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    }
  }
  return out;
}

std::u16string Utf8ToUtf16(const std::string& text) {
  std::u16string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<uint8_t>(text[i]);
    const size_t extra = lead < 0x80    ? 0
                         : lead >= 0xF0 ? 3
                         : lead >= 0xE0 ? 2
                         : lead >= 0xC0 ? 1
                                        : 4;
    uint32_t code = extra == 0   ? lead
                    : extra == 1 ? lead & 0x1F
                    : extra == 2 ? lead & 0x0F
                                 : lead & 0x07;
    bool valid = extra < 4 && lead < 0xF8 && i + extra < text.size();
    for (size_t k = 1; valid && k <= extra; ++k) {
      const auto next = static_cast<uint8_t>(text[i + k]);
      valid = (next & 0xC0) == 0x80;
      code = (code << 6) | (next & 0x3F);
    }
    if (!valid || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
      out += u'\uFFFD';  // a byte that starts no character stands for itself as a replacement
      ++i;
      continue;
    }
    if (code >= 0x10000) {
      out += static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
      out += static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
    } else {
      out += static_cast<char16_t>(code);
    }
    i += extra + 1;
  }
  return out;
}

}  // namespace sim
