// The WLAN profile document of a profile record: the Native Wi-Fi service takes a network only as
// an XML profile, so the Vista build fills one of its templates with the record's network name,
// network type, security and keys.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "vtrlib/profile_record.h"

namespace vtr {

// Template ids of the library's resources.
inline constexpr uint32_t kTemplateWep = 10000;
inline constexpr uint32_t kTemplateWpaPsk = 10001;
inline constexpr uint32_t kTemplateOpen = 10002;
inline constexpr uint32_t kTemplatePeap = 10003;
inline constexpr uint32_t kTemplateEapTls = 10004;
inline constexpr uint32_t kTemplatePeapStoredCredentials = 10005;  // kept, never chosen
inline constexpr uint32_t kTemplateEapTlsAutoSwitch = 10006;       // kept, never chosen

// The longest profile text the service is handed, in UTF-16 units.
inline constexpr size_t kMaxProfileCharacters = 4092;

// Namespace names of the WLAN profile schema and its 802.1X and EAP parts.
inline constexpr const char* kWlanProfileNamespace =
    "http://www.microsoft.com/networking/WLAN/profile/v1";
inline constexpr const char* kOneXNamespace = "http://www.microsoft.com/networking/OneX/v1";
inline constexpr const char* kEapHostConfigNamespace =
    "http://www.microsoft.com/provisioning/EapHostConfig";
inline constexpr const char* kEapCommonNamespace =
    "http://www.microsoft.com/provisioning/EapCommon";

// The template text of an id; nothing for an id the library does not hold.
std::optional<std::string_view> ProfileTemplate(uint32_t id);

// The template the record's security selects: by encryption (none → open, WEP → WEP), then the
// pre-shared key modes, then the 802.1X modes by EAP method. LEAP, any other method and other
// encryptions have none.
std::optional<uint32_t> ProfileTemplateId(const ProfileRecord& record);

// True when the record's 802.1X settings ask for the EAP-TLS configuration blob.
bool NeedsEapTlsBlob(const ProfileRecord& record);

// The filled document as UTF-8 text. eapTlsBlob is written to the EAP-TLS template's ConfigBlob.
// Empty when there is no template, a value could not be set, or the record's network name or key
// index cannot be what it claims (a name above 32 bytes, a WEP key slot outside 0 to 3).
std::string ProfileDocumentText(const ProfileRecord& record, std::string_view eapTlsBlob);

// The same as the service takes it: UTF-16, at most kMaxProfileCharacters units; empty otherwise.
std::u16string ProfileXml(const ProfileRecord& record, std::string_view eapTlsBlob);

// A record text field as XML text: UTF-8 stays as it is; bytes that are not UTF-8 are read in the
// Windows-1252 ANSI code page, and characters XML cannot carry become U+FFFD.
std::string RecordTextAsXml(std::string_view bytes);

// UTF-8 to UTF-16 (the input is valid UTF-8, as RecordTextAsXml and the DOM produce it).
std::u16string Utf16(std::string_view utf8);

}  // namespace vtr
