#include "lib/nativewifi/profile_document.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <utility>
#include <vector>

#include "lib/common/profile_bounds.h"
#include "platform/xml_dom.h"
#include "vtrlib/codes.h"

namespace vtr {
namespace {

using platform::XmlDocument;
using platform::XmlNode;

constexpr const char* kName = "/wlv1:WLANProfile/wlv1:name";
constexpr const char* kSsidName = "/wlv1:WLANProfile/wlv1:SSIDConfig/wlv1:SSID/wlv1:name";
constexpr const char* kSsidHex = "/wlv1:WLANProfile/wlv1:SSIDConfig/wlv1:SSID/wlv1:hex";
constexpr const char* kNonBroadcast = "/wlv1:WLANProfile/wlv1:SSIDConfig/wlv1:nonBroadcast";
constexpr const char* kConnectionType = "/wlv1:WLANProfile/wlv1:connectionType";
constexpr const char* kConnectionMode = "/wlv1:WLANProfile/wlv1:connectionMode";
constexpr const char* kAuthentication =
    "/wlv1:WLANProfile/wlv1:MSM/wlv1:security/wlv1:authEncryption/wlv1:authentication";
constexpr const char* kEncryption =
    "/wlv1:WLANProfile/wlv1:MSM/wlv1:security/wlv1:authEncryption/wlv1:encryption";
constexpr const char* kKeyType =
    "/wlv1:WLANProfile/wlv1:MSM/wlv1:security/wlv1:sharedKey/wlv1:keyType";
constexpr const char* kKeyMaterial =
    "/wlv1:WLANProfile/wlv1:MSM/wlv1:security/wlv1:sharedKey/wlv1:keyMaterial";
constexpr const char* kKeyIndex = "/wlv1:WLANProfile/wlv1:MSM/wlv1:security/wlv1:keyIndex";
constexpr const char* kConfigBlob =
    "/wlv1:WLANProfile/wlv1:MSM/wlv1:security/oxv1:OneX/oxv1:EAPConfig/ephc:EapHostConfig/"
    "ephc:ConfigBlob";

constexpr size_t kRawPskDigits = 64;
constexpr uint32_t kEapTls = 0;
constexpr uint32_t kEapPeap = 1;

// Windows-1252 for 0x80..0x9F; its five unassigned bytes keep their C1 code points, as Windows
// maps them.
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
constexpr uint32_t kReplacementCharacter = 0xFFFD;

const std::vector<std::pair<std::string, std::string>>& Prefixes() {
  static const std::vector<std::pair<std::string, std::string>> prefixes = {
      {"wlv1", kWlanProfileNamespace},
      {"oxv1", kOneXNamespace},
      {"ephc", kEapHostConfigNamespace},
      {"epcm", kEapCommonNamespace}};
  return prefixes;
}

void AppendUtf8(std::string& text, uint32_t c) {
  if (c < 0x80) {
    text += static_cast<char>(c);
  } else if (c < 0x800) {
    text += static_cast<char>(0xC0 | (c >> 6));
    text += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    text += static_cast<char>(0xE0 | (c >> 12));
    text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    text += static_cast<char>(0x80 | (c & 0x3F));
  }
}

template <std::size_t N>
std::string Field(const char (&field)[N]) {
  return RecordTextAsXml(std::string_view(field, bounds::TextLength(field)));
}

std::string NamespaceOfPrefix(const std::string& qualifiedName) {
  const std::string prefix = qualifiedName.substr(0, qualifiedName.find(':'));
  for (const auto& [name, value] : Prefixes()) {
    if (name == prefix) return value;
  }
  return {};
}

// Selects the node at path; when it is missing, creates every missing element along the path in
// the namespace of its prefix, each appended to its parent. Then the node gets the value.
bool SetValue(XmlDocument& document, const std::string& path, const std::string& value) {
  XmlNode node = document.SelectSingleNode(path);
  if (!node) {
    XmlNode parent;
    std::string walked;
    size_t start = 1;  // past the leading "/"
    while (start <= path.size()) {
      const size_t end = std::min(path.find('/', start), path.size());
      const std::string component = path.substr(start, end - start);
      walked += "/" + component;
      XmlNode existing = document.SelectSingleNode(walked);
      if (!existing) {
        // The document element itself is the template's; nothing is made above it.
        if (!parent) return false;
        existing = document.CreateElement(component, NamespaceOfPrefix(component));
        if (!existing || !document.AppendChild(parent, existing)) return false;
      }
      parent = existing;
      start = end + 1;
    }
    node = document.SelectSingleNode(path);
    if (!node) return false;
  }
  return document.SetText(node, value);
}

std::string HexOf(std::string_view bytes) {
  std::string hex;
  char pair[3];
  for (unsigned char byte : bytes) {
    std::snprintf(pair, sizeof pair, "%02X", byte);
    hex += pair;
  }
  return hex;
}

bool IsWpaPsk(uint32_t authMode) {
  return authMode == VTR_AUTH_WPA_PSK || authMode == VTR_AUTH_WPA2_PSK;
}

bool IsWpaRadius(uint32_t authMode) {
  return authMode == VTR_AUTH_WPA || authMode == VTR_AUTH_WPA2;
}

// "TKIP" or "AES" for the record's encryption; nothing leaves the template's.
const char* EncryptionName(uint32_t encryption) {
  if (encryption == VTR_CIPHER_TKIP) return "TKIP";
  if (encryption == VTR_CIPHER_AES) return "AES";
  return nullptr;
}

struct Setting {
  const char* path;
  std::string value;
};

// The values of the record in the order they are set.
bool CollectSettings(const ProfileRecord& record, std::string_view eapTlsBlob,
                     std::vector<Setting>& settings) {
  const std::string_view ssid(record.ssid, bounds::TextLength(record.ssid));
  if (ssid.size() > bounds::kMaxSsidBytes) return false;
  const bool infrastructure = record.networkType == 1;
  const std::string name = RecordTextAsXml(ssid);
  settings.push_back({kName, name});
  settings.push_back({kSsidName, name});
  settings.push_back({kSsidHex, HexOf(ssid)});
  if (infrastructure) settings.push_back({kNonBroadcast, "true"});
  settings.push_back({kConnectionType, infrastructure ? "ESS" : "IBSS"});
  settings.push_back({kConnectionMode, infrastructure ? "auto" : "manual"});

  const uint32_t auth = record.authMode;
  const bool wep = record.encryption == VTR_CIPHER_WEP;
  if ((record.encryption == VTR_CIPHER_NONE || wep) &&
      (auth == VTR_AUTH_OPEN || auth == VTR_AUTH_SHARED)) {
    settings.push_back({kAuthentication, auth == VTR_AUTH_OPEN ? "open" : "shared"});
  }
  if (wep) {
    uint32_t slot = 0;
    if (!bounds::WepKeySlot(record, slot)) return false;
    settings.push_back({kKeyMaterial, Field(record.wepKey[slot])});
    settings.push_back({kKeyIndex, std::to_string(slot)});
  }
  const char* encryption = EncryptionName(record.encryption);
  if (IsWpaPsk(auth)) {
    if (encryption != nullptr) settings.push_back({kEncryption, encryption});
    settings.push_back({kAuthentication, auth == VTR_AUTH_WPA_PSK ? "WPAPSK" : "WPA2PSK"});
    if (bounds::TextLength(record.psk) == kRawPskDigits) {
      settings.push_back({kKeyType, "networkKey"});
    }
    settings.push_back({kKeyMaterial, Field(record.psk)});
  }
  if (IsWpaRadius(auth)) {
    if (encryption != nullptr) settings.push_back({kEncryption, encryption});
    settings.push_back({kAuthentication, auth == VTR_AUTH_WPA ? "WPA" : "WPA2"});
    if (record.eapMethod == kEapTls) settings.push_back({kConfigBlob, std::string(eapTlsBlob)});
  }
  return true;
}

}  // namespace

std::optional<uint32_t> ProfileTemplateId(const ProfileRecord& record) {
  if (IsWpaPsk(record.authMode)) return kTemplateWpaPsk;
  if (IsWpaRadius(record.authMode)) {
    // LEAP has no template; neither has a method the library does not know.
    if (record.eapMethod == kEapTls) return kTemplateEapTls;
    if (record.eapMethod == kEapPeap) return kTemplatePeap;
    return std::nullopt;
  }
  if (record.encryption == VTR_CIPHER_NONE) return kTemplateOpen;
  if (record.encryption == VTR_CIPHER_WEP) return kTemplateWep;
  return std::nullopt;
}

bool NeedsEapTlsBlob(const ProfileRecord& record) {
  return IsWpaRadius(record.authMode) && record.eapMethod == kEapTls;
}

std::string ProfileDocumentText(const ProfileRecord& record, std::string_view eapTlsBlob) {
  const std::optional<uint32_t> id = ProfileTemplateId(record);
  if (!id) return {};
  const std::optional<std::string_view> text = ProfileTemplate(*id);
  std::vector<Setting> settings;
  if (!text || !CollectSettings(record, eapTlsBlob, settings)) return {};
  XmlDocument document;
  if (!document.LoadXml(*text)) return {};
  document.SetSelectionNamespaces(Prefixes());
  for (const Setting& setting : settings) {
    if (!SetValue(document, setting.path, setting.value)) return {};
  }
  return document.Xml();
}

std::u16string ProfileXml(const ProfileRecord& record, std::string_view eapTlsBlob) {
  std::u16string xml = Utf16(ProfileDocumentText(record, eapTlsBlob));
  if (xml.size() > kMaxProfileCharacters) xml.clear();
  return xml;
}

std::string RecordTextAsXml(std::string_view bytes) {
  if (platform::IsXmlText(bytes)) return std::string(bytes);
  std::string text;
  for (unsigned char byte : bytes) {
    uint32_t c = byte;
    if (byte >= 0x80 && byte < 0xA0) c = kWindows1252High[byte - 0x80];
    // Control characters other than tab, line feed and carriage return have no place in XML.
    if (c < 0x20 && c != 0x9 && c != 0xA && c != 0xD) c = kReplacementCharacter;
    AppendUtf8(text, c);
  }
  return text;
}

std::u16string Utf16(std::string_view utf8) {
  std::u16string text;
  text.reserve(utf8.size());
  size_t i = 0;
  while (i < utf8.size()) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    if (utf8.size() - i < length) break;
    uint32_t c = length == 1   ? lead
                 : length == 2 ? lead & 0x1Fu
                 : length == 3 ? lead & 0x0Fu
                               : lead & 0x07u;
    for (size_t k = 1; k < length; ++k)
      c = (c << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3Fu);
    if (c >= 0x10000) {
      c -= 0x10000;
      text += static_cast<char16_t>(0xD800 + (c >> 10));
      text += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    } else {
      text += static_cast<char16_t>(c);
    }
    i += length;
  }
  return text;
}

}  // namespace vtr
