// The credentials a profile gives the supplicant, and the answers to its credential questions.
#include <array>
#include <cstdio>
#include <cstring>
#include <string>

#include "lib/common/profile_bounds.h"
#include "lib/driver/supplicant_binding.h"
#include "lib/driver/supplicant_state.h"
#include "platform/debug_output.h"
#include "platform/services.h"
#include "vtrlib.h"

namespace vtr::supplicant {
namespace {

using namespace platform;

constexpr uint32_t kEapTls = 0;
constexpr uint32_t kEapLeap = 2;
constexpr uint32_t kBinaryKeyDigits = 64;

template <size_t N>
std::string FieldText(const char (&field)[N]) {
  return std::string(field, strnlen(field, N));
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The 64 hexadecimal digits of a binary key as its 32 bytes; false when a digit is not one.
bool BinaryKey(const char* digits, std::array<uint8_t, 32>& key) {
  for (size_t i = 0; i < key.size(); ++i) {
    const int high = HexDigit(digits[2 * i]);
    const int low = HexDigit(digits[2 * i + 1]);
    if (high < 0 || low < 0) return false;
    key[i] = static_cast<uint8_t>(high << 4 | low);
  }
  return true;
}

std::string ProfileIdentity(const EapCredentials& eap) {
  return eap.method == kEapTls ? eap.tlsIdentity : eap.eapIdentity;
}

// "DOMAIN\user", or the user alone without a domain.
std::string DomainIdentity(const EapCredentials& eap) {
  return eap.eapDomain.empty() ? eap.eapIdentity : eap.eapDomain + "\\" + eap.eapIdentity;
}

AcEapMethod MethodOf(uint32_t eapMethod) {
  if (eapMethod == kEapTls) return AcEapMethod::kTls;
  if (eapMethod == kEapLeap) return AcEapMethod::kLeap;
  return AcEapMethod::kPeap;
}

SupplicantPort* AttachedLocked(SupplicantState& state) {
  return state.adapterSlot >= 0 ? &state.ports[static_cast<size_t>(state.adapterSlot)] : nullptr;
}

// The credentials of the profile as objects of the supplicant (mutex held).
void BuildCredentials(SupplicantPort& port, const ProfileRecord& profile) {
  auto& library = platform::Current().Supplicant();
  DestroyCredentials(port);
  const std::string ssid = FieldText(profile.ssid).substr(0, bounds::kMaxSsidBytes);
  port.association.ssid.assign(ssid.begin(), ssid.end());
  port.eap = {profile.eapMethod, FieldText(profile.tlsIdentity), FieldText(profile.eapIdentity),
              FieldText(profile.eapDomain), FieldText(profile.eapPassword)};
  port.usesPsk = profile.authMode == VTR_AUTH_WPA_PSK || profile.authMode == VTR_AUTH_WPA2_PSK;
  port.uses8021x = profile.authMode == VTR_AUTH_WPA || profile.authMode == VTR_AUTH_WPA2;
  if (port.usesPsk) {
    if (profile.pskLength == kBinaryKeyDigits) {
      std::array<uint8_t, 32> key{};
      if (BinaryKey(profile.psk, key)) {
        Check("acRsnBinPskCreate", library.acRsnBinPskCreate(key.data(), key.size(), port.psk));
      } else {
        platform::OutputDebugStringA("acRsnBinPskCreate: the key is not 64 hexadecimal digits\n");
      }
    } else {
      Check("acRsnPskCreate",
            library.acRsnPskCreate(FieldText(profile.psk), port.association.ssid.data(),
                                   static_cast<uint32_t>(port.association.ssid.size()), port.psk));
    }
  }
  if (port.uses8021x) {
    Check("acIdentityCreate", library.acIdentityCreate(ProfileIdentity(port.eap), port.identity));
    Check("acPasswordCreate", library.acPasswordCreate(port.eap.eapPassword, port.password));
    if (profile.eapMethod == kEapTls) {
      std::array<uint8_t, 20> thumbprint{};
      std::memcpy(thumbprint.data(), profile.tlsCertificateHash, thumbprint.size());
      Check("acCertCreate", library.acCertCreate(thumbprint, FieldText(profile.tlsCertificateName),
                                                 port.certificate));
    }
  }
}

// What a credential question needs of the port, copied out under the lock.
struct PortView {
  bool found = false;
  EapCredentials eap;
  AcObject identity = 0;
  AcObject certificate = 0;
  AcAssociation association;
};

PortView View(AcPort handle) {
  auto& state = State();
  std::lock_guard lock(state.mutex);
  for (const SupplicantPort& port : state.ports) {
    if (port.handle != handle || handle == 0) continue;
    return {true, port.eap, port.identity, port.certificate, port.association};
  }
  return {};
}

// A new identity or password object for the port, the previous one destroyed first.
AcObject Recreate(AcPort handle, bool identity, const std::string& text) {
  auto& library = platform::Current().Supplicant();
  auto& state = State();
  std::lock_guard lock(state.mutex);
  for (SupplicantPort& port : state.ports) {
    if (port.handle != handle || handle == 0) continue;
    AcObject& slot = identity ? port.identity : port.password;
    if (slot != 0) {
      if (identity) {
        Check("acIdentityDestroy", library.acIdentityDestroy(slot));
      } else {
        Check("acPasswordDestroy", library.acPasswordDestroy(slot));
      }
      slot = 0;
    }
    const int32_t code =
        identity ? library.acIdentityCreate(text, slot) : library.acPasswordCreate(text, slot);
    Check(identity ? "acIdentityCreate" : "acPasswordCreate", code);
    return slot;
  }
  return 0;
}

void AnswerIdentity(AcPort handle, AcRequest request, const PortView& port) {
  auto& library = platform::Current().Supplicant();
  AcIdentityPrompt prompt;
  Check("acCredGetIdentityPrompt", library.acCredGetIdentityPrompt(request, prompt));
  const bool domainForm = prompt.domainForm && port.eap.method != kEapTls;
  const AcObject identity =
      Recreate(handle, true, domainForm ? DomainIdentity(port.eap) : ProfileIdentity(port.eap));
  Check("acCredIdentity", library.acCredIdentity(request, identity));
  Check("acCredComplete", library.acCredComplete(request));
}

void AnswerPassword(AcPort handle, AcRequest request, const PortView& port) {
  auto& library = platform::Current().Supplicant();
  std::string prompt;
  Check("acCredGetPasswordPrompt", library.acCredGetPasswordPrompt(request, prompt));
  const AcObject password = Recreate(handle, false, port.eap.eapPassword);
  Check("acCredPassword", library.acCredPassword(request, password));
  Check("acCredComplete", library.acCredComplete(request));
}

// The profile names no server constraints, so the server is trusted when its chain ends at a
// root the machine trusts; every check gives that verdict.
void AnswerServerVerification(AcRequest request) {
  auto& library = platform::Current().Supplicant();
  AcServerCertificate certificate;
  const bool read =
      Check("acCredGetServerCertificate", library.acCredGetServerCertificate(request, certificate));
  const bool trusted = read && certificate.chainValid;
  Check("acCredServerVerifyCA", library.acCredServerVerify(request, AcServerCheck::kCa, trusted));
  Check("acCredServerVerifyChain",
        library.acCredServerVerify(request, AcServerCheck::kChain, trusted));
  Check("acCredServerVerifyDomain",
        library.acCredServerVerify(request, AcServerCheck::kDomain, trusted));
  Check("acCredServerVerifyField",
        library.acCredServerVerify(request, AcServerCheck::kField, trusted));
  Check("acCredServerVerified", library.acCredServerVerified(request, trusted));
  Check("acCredComplete", library.acCredComplete(request));
}

// A rogue access point is reported, and the port joins its network again.
void AnswerRogueAp(AcPort handle, AcRequest request, const PortView& port) {
  auto& library = platform::Current().Supplicant();
  AcRogueReport report;
  Check("acCredGetRogueReport", library.acCredGetRogueReport(request, report));
  Check("acCredCcxRogueAP", library.acCredCcxRogueAP(request));
  Check("acCredComplete", library.acCredComplete(request));
  Check("acPortDisassociate", library.acPortDisassociate(handle));
  if (!port.association.ssid.empty()) {
    Check("acPortAssociate", library.acPortAssociate(handle, port.association));
  }
}

// An object the port holds, or the supplicant's own default when it holds none.
void AnswerWithObject(AcRequest request, AcObject object, bool certificate) {
  auto& library = platform::Current().Supplicant();
  if (object == 0) {
    Check("acCredDeferred", library.acCredDeferred(request));
    return;
  }
  if (certificate) {
    Check("acCredUserCertificate", library.acCredUserCertificate(request, object));
  } else {
    Check("acCredIdentity", library.acCredIdentity(request, object));
  }
  Check("acCredComplete", library.acCredComplete(request));
}

}  // namespace

bool StartOnProfile(const ProfileRecord& profile) {
  if (!Loaded()) return false;
  auto& state = State();
  AcPort handle = 0;
  AcAssociation association;
  AcObject psk = 0;
  bool usesPsk = false;
  bool uses8021x = false;
  {
    std::lock_guard lock(state.mutex);
    SupplicantPort* port = AttachedLocked(state);
    if (port == nullptr) return false;
    BuildCredentials(*port, profile);
    handle = port->handle;
    association = port->association;
    psk = port->psk;
    usesPsk = port->usesPsk;
    uses8021x = port->uses8021x;
  }
  auto& library = platform::Current().Supplicant();
  if (usesPsk) Check("acCredRsnPsk", library.acCredRsnPsk(handle, psk));
  if (uses8021x) Check("acPortAuth", library.acPortAuth(handle, MethodOf(profile.eapMethod)));
  // Not under the lock: the supplicant asks its credential questions while it associates.
  if (!Check("acPortAssociate", library.acPortAssociate(handle, association))) {
    Check("acPortStop", library.acPortStop(handle));
    return false;
  }
  std::lock_guard lock(state.mutex);
  if (SupplicantPort* port = AttachedLocked(state); port != nullptr && port->handle == handle) {
    port->started = true;
  }
  return true;
}

void OnCredentialRequest(AcPort handle, AcRequest request, uint32_t type) {
  auto& library = platform::Current().Supplicant();
  const PortView port = View(handle);
  switch (type) {
    case kAcRequestSessionStart:
      Check("acCredSessionStart", library.acCredSessionStart(request));
      Check("acCredComplete", library.acCredComplete(request));
      return;
    case kAcRequestIdentity:
      AnswerIdentity(handle, request, port);
      return;
    case kAcRequestPassword:
    case kAcRequestChangePassword:
    case kAcRequestRetryPassword:
      AnswerPassword(handle, request, port);
      return;
    case kAcRequestServerVerify:
      AnswerServerVerification(request);
      return;
    case kAcRequestRogueAp:
      AnswerRogueAp(handle, request, port);
      return;
    case kAcRequestInformational:
      return;
    case kAcRequestMachineIdentity:
      AnswerWithObject(request, port.identity, false);
      return;
    case kAcRequestUserCertificate:
      AnswerWithObject(request, port.certificate, true);
      return;
    case kAcRequestEapMethods:
    case kAcRequestEapNotification:
    case kAcRequestFastProvisioning:
    case kAcRequestPacType:
    case kAcRequestTunnelMethod:
    case kAcRequestEapSim:
      // The supplicant's defaults serve these.
      Check("acCredDeferred", library.acCredDeferred(request));
      return;
    default: {
      char text[64];
      std::snprintf(text, sizeof text, "*** UI request type %d not handled ***\n",
                    static_cast<int>(type));
      platform::OutputDebugStringA(text);
      return;
    }
  }
}

}  // namespace vtr::supplicant
