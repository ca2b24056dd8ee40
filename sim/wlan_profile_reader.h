// Reading a WLAN profile document as the WLAN service does before it uses one: the profile's name,
// the network it is for, how to connect, and the security it asks for. A document the service
// could not use (not XML, elements of another namespace, a required element missing, a value
// outside its set, a key that cannot be the encryption's) is not readable at all.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace sim {

enum class ProfileAuthentication { kOpen, kShared, kWpa, kWpaPsk, kWpa2, kWpa2Psk };
enum class ProfileEncryption { kNone, kWep, kTkip, kAes };
enum class ProfileKeyType { kNetworkKey, kPassPhrase };

struct ProfileSharedKey {
  ProfileKeyType keyType = ProfileKeyType::kNetworkKey;
  std::string keyMaterial;
};

// The EAP method types a profile's 802.1X settings may name.
inline constexpr uint32_t kEapTypeTls = 13;
inline constexpr uint32_t kEapTypePeap = 25;

struct WlanProfile {
  std::string name;
  std::vector<uint8_t> ssid;  // 1 to 32 bytes
  bool nonBroadcast = false;  // probe for the name, as a hidden network needs
  bool adhoc = false;         // connectionType IBSS
  bool autoConnect = true;    // connectionMode auto
  ProfileAuthentication authentication = ProfileAuthentication::kOpen;
  ProfileEncryption encryption = ProfileEncryption::kNone;
  bool useOneX = false;
  std::optional<ProfileSharedKey> sharedKey;  // WEP and the pre-shared key modes
  uint32_t keyIndex = 0;                      // WEP: the slot of the transmit key
  std::optional<uint32_t> eapType;            // with 802.1X: kEapTypeTls or kEapTypePeap
  // EAP-TLS: the SHA-1 hash of the root the server's certificate must chain to, from the
  // method's configuration blob; nothing when the blob names none.
  std::optional<std::array<uint8_t, 20>> tlsRootHash;
};

// Why a document is not readable, with the reason code the service reports for it.
struct ProfileFault {
  uint32_t reasonCode = 0;
  std::string message;
};

// WLAN_REASON_CODE values of a refused profile.
inline constexpr uint32_t kReasonInvalidProfileSchema = 0x80001;
inline constexpr uint32_t kReasonConflictSecurity = 0x8000B;
inline constexpr uint32_t kReasonSecurityMissing = 0x8000C;
inline constexpr uint32_t kReasonInvalidAdhocConnectionMode = 0x8000E;
inline constexpr uint32_t kReasonNonBroadcastSetForAdhoc = 0x8000F;
inline constexpr uint32_t kReasonProfileSsidInvalid = 0x80013;

// The UTF-8 document in [text, text + length); nothing outside it is read.
std::variant<WlanProfile, ProfileFault> ReadWlanProfile(const char* text, size_t length);

// The profile text the service is handed (UTF-16) as UTF-8; nothing for text that is not UTF-16
// (a surrogate without its pair).
std::optional<std::string> Utf16ToUtf8(const std::u16string& text);
std::u16string Utf8ToUtf16(const std::string& text);

}  // namespace sim
