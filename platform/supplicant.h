// The outside 802.1X/WPA supplicant library (acAuth): WPA key management and EAP for the
// adapter's port. The calls keep the library's names (acInit, acPortAssociate, acCredIdentity...)
// in C++ form; numbers the library defines itself (events, port states, statuses, credential
// request types, result codes) are below.
//
// The library runs threads of its own: the event callback and the port's credential-request
// callback are called on them, never on the caller's thread, and a callback may call back into
// the library (answering a request, asking for a port's state).
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace platform {

using AcPort = uint32_t;     // 0: none
using AcObject = uint32_t;   // a credential object; 0: none
using AcRequest = uint32_t;  // one credential question of a port

// Result codes.
enum AcResult : int32_t {
  kAcOk = 0,
  kAcErrNotInitialised = 1,
  kAcErrAlreadyAttached = 2,
  kAcErrNoSuchPort = 3,
  kAcErrNoMorePorts = 4,
  kAcErrBadObject = 5,
  kAcErrBadRequest = 6,
  kAcErrNotAttached = 7,
  kAcErrBadArgument = 8,
  kAcErrInitFailed = 9,
  kAcErrNotConnected = 10,
};

// Events of the event callback; the details are asked for with acPortGet*.
enum AcEvent : uint32_t {
  kAcEventLinkState = 1,
  kAcEventState = 2,
  kAcEventStatus = 3,
};

// acPortGetLinkState.
enum AcLinkState : uint32_t {
  kAcLinkDown = 1,
  kAcLinkUp = 2,
};

// acPortGetState.
enum AcPortState : uint32_t {
  kAcStateStopped = 0,
  kAcStateConnecting = 1,
  kAcStateHeld = 2,  // the last attempt failed; acPortGetStatus tells why
  kAcStateAuthenticating = 3,
  kAcStateAuthenticated = 5,
};

// acPortGetStatus.
enum AcStatus : uint32_t {
  kAcStatusNone = 0,
  kAcStatusRejected = 301,    // the network refused the credentials
  kAcStatusUnanswered = 302,  // a credential question was left unanswered
  kAcStatusNoNetwork = 303,   // no network of that name is in range
  kAcStatusServerRefused = 304,
};

// Credential request types.
enum AcRequestType : uint32_t {
  kAcRequestSessionStart = 2,
  kAcRequestIdentity = 3,
  kAcRequestPassword = 5,
  kAcRequestChangePassword = 6,
  kAcRequestRetryPassword = 7,
  kAcRequestServerVerify = 8,
  kAcRequestEapMethods = 9,
  kAcRequestMachineIdentity = 10,
  kAcRequestUserCertificate = 11,
  kAcRequestEapNotification = 12,
  kAcRequestFastProvisioning = 13,
  kAcRequestPacType = 14,
  kAcRequestTunnelMethod = 15,
  kAcRequestRogueAp = 16,
  kAcRequestInformational = 17,
  kAcRequestEapSim = 18,
};

// The per-method initialisation calls (ac8021xInit, acRsnInit, acEapFASTInit ... acCcxInit).
enum class AcModule {
  k8021x,
  kRsn,
  kEapFast,
  kEapGtc,
  kEapLeap,
  kEapMd5,
  kEapMsChapV2,
  kEapPeap,
  kEapTls,
  kEapTtls,
  kCcx,
};

// The EAP method acPortAuth runs.
enum class AcEapMethod { kTls, kPeap, kLeap };

struct AcPortAttributes {
  std::array<uint8_t, 6> mac{};
  std::string description;
};

// acPortAssociate's parameters.
struct AcAssociation {
  std::vector<uint8_t> ssid;  // up to 32 bytes
};

// What acCredGetIdentityPrompt tells: the method asking, and whether it wants the identity in
// the domain form ("DOMAIN\user").
struct AcIdentityPrompt {
  std::string text;
  bool domainForm = false;
};

// The server's certificate as the supplicant received it, for a server-verification request.
struct AcServerCertificate {
  std::string subject;
  std::string issuer;
  bool chainValid = false;  // the chain ends at a root the machine trusts
};

enum class AcServerCheck { kCa, kChain, kDomain, kField };

// The access point a rogue-access-point report names.
struct AcRogueReport {
  std::array<uint8_t, 6> bssid{};
};

// acIpGetConfig.
struct AcIpConfig {
  std::string address = "0.0.0.0";
  std::string mask = "0.0.0.0";
};

using AcEventCallback = std::function<void(uint32_t event, AcPort port)>;
using AcNetCallback = std::function<void(uint32_t event, AcPort port)>;
using AcCredentialCallback = std::function<void(AcPort port, AcRequest request, uint32_t type)>;

class SupplicantPort {
 public:
  virtual ~SupplicantPort() = default;

  // Bring-up and shut-down.
  virtual int32_t acInit(AcEventCallback events, AcNetCallback network) = 0;
  virtual int32_t acModuleInit(AcModule module) = 0;
  virtual int32_t acExit() = 0;

  // Ports: names in turn from cursor 0 (kAcErrNoMorePorts after the last), their attributes,
  // attaching one with the caller's credential-request callback.
  virtual int32_t acGetNextPortSymName(uint32_t& cursor, std::string& name) = 0;
  virtual int32_t acGetPortAttr(const std::string& name, AcPortAttributes& attributes) = 0;
  virtual int32_t acPortAttach(const std::string& name, AcCredentialCallback requests,
                               AcPort& port) = 0;
  virtual int32_t acPortDetach(AcPort port) = 0;
  virtual int32_t acPortAssociate(AcPort port, const AcAssociation& association) = 0;
  virtual int32_t acPortDisassociate(AcPort port) = 0;
  virtual int32_t acPortAuth(AcPort port, AcEapMethod method) = 0;
  virtual int32_t acPortStop(AcPort port) = 0;
  virtual int32_t acPortGetLinkState(AcPort port, uint32_t& linkState) = 0;
  virtual int32_t acPortGetState(AcPort port, uint32_t& state) = 0;
  virtual int32_t acPortGetStatus(AcPort port, uint32_t& status) = 0;

  // Credential objects.
  virtual int32_t acRsnPskCreate(const std::string& passphrase, const uint8_t* ssid,
                                 uint32_t ssidLength, AcObject& key) = 0;
  virtual int32_t acRsnBinPskCreate(const uint8_t* key, uint32_t length, AcObject& object) = 0;
  virtual int32_t acIdentityCreate(const std::string& identity, AcObject& object) = 0;
  virtual int32_t acPasswordCreate(const std::string& password, AcObject& object) = 0;
  virtual int32_t acCertCreate(const std::array<uint8_t, 20>& thumbprint, const std::string& name,
                               AcObject& object) = 0;
  virtual int32_t acRsnPskDestroy(AcObject object) = 0;
  virtual int32_t acIdentityDestroy(AcObject object) = 0;
  virtual int32_t acPasswordDestroy(AcObject object) = 0;
  virtual int32_t acCertDestroy(AcObject object) = 0;
  virtual int32_t acCredRsnPsk(AcPort port, AcObject key) = 0;

  // Answers to credential requests. A request stays open until acCredComplete or
  // acCredDeferred; one left open when the callback returns is unanswered.
  virtual int32_t acCredSessionStart(AcRequest request) = 0;
  virtual int32_t acCredComplete(AcRequest request) = 0;
  virtual int32_t acCredGetIdentityPrompt(AcRequest request, AcIdentityPrompt& prompt) = 0;
  virtual int32_t acCredIdentity(AcRequest request, AcObject identity) = 0;
  virtual int32_t acCredGetPasswordPrompt(AcRequest request, std::string& prompt) = 0;
  virtual int32_t acCredPassword(AcRequest request, AcObject password) = 0;
  virtual int32_t acCredGetServerCertificate(AcRequest request,
                                             AcServerCertificate& certificate) = 0;
  virtual int32_t acCredServerVerify(AcRequest request, AcServerCheck check, bool passed) = 0;
  virtual int32_t acCredServerVerified(AcRequest request, bool trusted) = 0;
  virtual int32_t acCredUserCertificate(AcRequest request, AcObject certificate) = 0;
  virtual int32_t acCredDeferred(AcRequest request) = 0;
  virtual int32_t acCredGetRogueReport(AcRequest request, AcRogueReport& report) = 0;
  virtual int32_t acCredCcxRogueAP(AcRequest request) = 0;

  // The port's IP interface.
  virtual int32_t acIpIsConnected(AcPort port, bool& connected) = 0;
  virtual int32_t acIpDhcpIsEnabled(AcPort port, bool& enabled) = 0;
  virtual int32_t acIpGetConfig(AcPort port, AcIpConfig& config) = 0;
  virtual int32_t acIpDhcpRenew(AcPort port) = 0;

  // The library's text for a result code.
  virtual std::string acErrorString(int32_t code) = 0;
};

}  // namespace platform
