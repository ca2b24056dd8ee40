// The supplicant library of the simulated machine. Like the library it stands in for, it is
// loaded once into a process and serves the adapters of the machine the process runs on.
//
// Each attached port has a thread of its own, on which the library's callbacks are called. An
// association request runs the exchange with the network on that thread: the pre-shared key's
// PMK is compared with the network's, or the 802.1X questions (identity, password, server
// verification, user certificate) are asked through the port's credential callback and the
// answers checked against the network's accounts. The caller of acPortAssociate waits until
// the exchange has decided, so that what the adapter will do is settled on the machine clock
// before the caller goes on; the events follow on the port's thread. On success the keys go to
// the adapter (RsnKeys) and the supplicant associates it with the network; the link completes
// on the machine clock and the port then reports the link up and state 5. A refusal reports
// status 301 and state 2, and the network goes on refusing.
#pragma once

#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/supplicant.h"
#include "sim/supplicant_keys.h"

namespace sim {

class SimMachine;

class SimSupplicant : public platform::SupplicantPort {
 public:
  SimSupplicant() = default;
  ~SimSupplicant() override;
  SimSupplicant(const SimSupplicant&) = delete;
  SimSupplicant& operator=(const SimSupplicant&) = delete;

  int32_t acInit(platform::AcEventCallback events, platform::AcNetCallback network) override;
  int32_t acModuleInit(platform::AcModule module) override;
  int32_t acExit() override;

  int32_t acGetNextPortSymName(uint32_t& cursor, std::string& name) override;
  int32_t acGetPortAttr(const std::string& name, platform::AcPortAttributes& attributes) override;
  int32_t acPortAttach(const std::string& name, platform::AcCredentialCallback requests,
                       platform::AcPort& port) override;
  int32_t acPortDetach(platform::AcPort port) override;
  int32_t acPortAssociate(platform::AcPort port,
                          const platform::AcAssociation& association) override;
  int32_t acPortDisassociate(platform::AcPort port) override;
  int32_t acPortAuth(platform::AcPort port, platform::AcEapMethod method) override;
  int32_t acPortStop(platform::AcPort port) override;
  int32_t acPortGetLinkState(platform::AcPort port, uint32_t& linkState) override;
  int32_t acPortGetState(platform::AcPort port, uint32_t& state) override;
  int32_t acPortGetStatus(platform::AcPort port, uint32_t& status) override;

  int32_t acRsnPskCreate(const std::string& passphrase, const uint8_t* ssid, uint32_t ssidLength,
                         platform::AcObject& key) override;
  int32_t acRsnBinPskCreate(const uint8_t* key, uint32_t length,
                            platform::AcObject& object) override;
  int32_t acIdentityCreate(const std::string& identity, platform::AcObject& object) override;
  int32_t acPasswordCreate(const std::string& password, platform::AcObject& object) override;
  int32_t acCertCreate(const std::array<uint8_t, 20>& thumbprint, const std::string& name,
                       platform::AcObject& object) override;
  int32_t acRsnPskDestroy(platform::AcObject object) override;
  int32_t acIdentityDestroy(platform::AcObject object) override;
  int32_t acPasswordDestroy(platform::AcObject object) override;
  int32_t acCertDestroy(platform::AcObject object) override;
  int32_t acCredRsnPsk(platform::AcPort port, platform::AcObject key) override;

  int32_t acCredSessionStart(platform::AcRequest request) override;
  int32_t acCredComplete(platform::AcRequest request) override;
  int32_t acCredGetIdentityPrompt(platform::AcRequest request,
                                  platform::AcIdentityPrompt& prompt) override;
  int32_t acCredIdentity(platform::AcRequest request, platform::AcObject identity) override;
  int32_t acCredGetPasswordPrompt(platform::AcRequest request, std::string& prompt) override;
  int32_t acCredPassword(platform::AcRequest request, platform::AcObject password) override;
  int32_t acCredGetServerCertificate(platform::AcRequest request,
                                     platform::AcServerCertificate& certificate) override;
  int32_t acCredServerVerify(platform::AcRequest request, platform::AcServerCheck check,
                             bool passed) override;
  int32_t acCredServerVerified(platform::AcRequest request, bool trusted) override;
  int32_t acCredUserCertificate(platform::AcRequest request,
                                platform::AcObject certificate) override;
  int32_t acCredDeferred(platform::AcRequest request) override;
  int32_t acCredGetRogueReport(platform::AcRequest request,
                               platform::AcRogueReport& report) override;
  int32_t acCredCcxRogueAP(platform::AcRequest request) override;

  int32_t acIpIsConnected(platform::AcPort port, bool& connected) override;
  int32_t acIpDhcpIsEnabled(platform::AcPort port, bool& enabled) override;
  int32_t acIpGetConfig(platform::AcPort port, platform::AcIpConfig& config) override;
  int32_t acIpDhcpRenew(platform::AcPort port) override;

  std::string acErrorString(int32_t code) override;

  // What the library was asked and what it told, in order ("acPortAssociate HomeNet",
  // "request 3 answered", "event status 301"), for tests and `vtrctl sim`.
  std::vector<std::string> Log() const;
  void ClearLog();
  // Asks the owner of every attached port a credential question of that type, on the port's
  // thread, as the network side does during an exchange.
  void RaiseRequest(uint32_t type);
  // Sets the values of every attached port and tells the event callback, on the port's thread.
  void Raise(std::optional<uint32_t> linkState, std::optional<uint32_t> state,
             std::optional<uint32_t> status);
  // While held, the acIp* calls wait before they answer, as an interface that is slow to tell.
  void HoldAddressQueries(bool hold);
  // Returns once no port's thread has work left (exchanges, events, watching a link). A port
  // that waits for its link to come up on the machine clock is not left waiting: the machine's
  // time passes until then.
  void WaitIdle();
  // Returns once the log holds line at least count times (true), or after ten seconds of real
  // time without (false), so that a test that waits for what never comes fails instead of hanging.
  bool WaitForLog(const std::string& line, size_t count);

 private:
  enum class ObjectKind { kPsk, kIdentity, kPassword, kCertificate };
  struct Object {
    ObjectKind kind;
    std::string text;  // identity, password, certificate name
    Pmk pmk{};
    std::array<uint8_t, 20> thumbprint{};
  };
  struct Request {
    platform::AcPort port = 0;
    uint32_t type = 0;
    bool open = true;
    bool answered = false;  // completed or deferred
    bool sessionStarted = false;
    std::optional<std::string> identity;
    std::optional<std::string> password;
    std::optional<std::array<uint8_t, 20>> certificate;
    std::optional<bool> serverTrusted;
    bool rogueReported = false;
  };
  struct Job {
    enum class Kind { kExchange, kRequest, kReport } kind;
    std::vector<uint8_t> ssid;
    uint32_t type = 0;
    uint64_t generation = 0;
    std::optional<uint32_t> linkState;
    std::optional<uint32_t> state;
    std::optional<uint32_t> status;
  };
  struct Port {
    std::string name;
    SimMachine* machine = nullptr;
    platform::AcCredentialCallback requests;
    std::optional<Pmk> pmk;                    // from acCredRsnPsk
    std::optional<platform::AcEapMethod> eap;  // from acPortAuth
    uint32_t linkState = platform::kAcLinkDown;
    uint32_t state = platform::kAcStateStopped;
    uint32_t status = platform::kAcStatusNone;
    std::vector<uint8_t> ssid;  // the network associated with; empty when none
    // Bumped by every association and stop: work of an older generation is dropped.
    uint64_t generation = 0;
    uint64_t decidedGeneration = 0;
    std::deque<Job> jobs;
    bool busy = false;
    // While the port waits for its link: when the association completes.
    std::optional<uint64_t> watchUntilMs;
    std::thread thread;
  };
  struct Outcome {
    uint32_t status = platform::kAcStatusNone;
    std::vector<uint8_t> ssid;  // the network to associate with on success
    NetworkSecurity security = NetworkSecurity::kOpen;
    NetworkCiphers ciphers = NetworkCiphers::kAes;
  };

  // The port's thread: takes jobs until the port is detached.
  void Run(platform::AcPort handle);
  void Exchange(platform::AcPort handle, const Job& job);
  Outcome Decide(platform::AcPort handle, const Job& job);
  Outcome Ask8021x(platform::AcPort handle, const NetworkDescription& network);
  // Asks one question on the port's thread; the answered request, or nothing when it was left.
  std::optional<Request> Ask(platform::AcPort handle, uint32_t type);
  void WatchLink(platform::AcPort handle, uint64_t generation);
  // Sets the port's values under the lock, then tells the event callback each that changed.
  void Report(platform::AcPort handle, uint64_t generation, std::optional<uint32_t> linkState,
              std::optional<uint32_t> state, std::optional<uint32_t> status);
  // The keys go from the adapter, and an association with that network with them.
  void TakeKeys(SimMachine& machine, const std::vector<uint8_t>& ssid);

  int32_t CreateObject(Object object, const char* call, platform::AcObject& handle);
  int32_t DestroyObject(platform::AcObject handle, ObjectKind kind, const char* call);
  // Runs answer on an open request under the lock; kAcErrBadRequest when there is none.
  template <typename Answer>
  int32_t Answer(platform::AcRequest request, const char* call, Answer answer);
  Port* FindPort(platform::AcPort handle);  // mutex_ held
  // Logs an acIp* call and waits while address queries are held; the port's machine and name.
  bool EnterAddressQuery(const char* call, platform::AcPort handle, SimMachine*& machine,
                         std::string& name);
  void Note(std::string line);  // mutex_ held
  // Removes the port and ends its thread (mutex_ held, released while waiting for it).
  void StopThread(platform::AcPort handle, std::unique_lock<std::mutex>& lock);

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  bool initialised_ = false;
  bool addressQueriesHeld_ = false;
  platform::AcEventCallback events_;
  platform::AcNetCallback network_;
  uint32_t nextHandle_ = 1;
  std::map<platform::AcObject, Object> objects_;
  std::map<platform::AcPort, std::unique_ptr<Port>> ports_;
  std::map<platform::AcRequest, Request> requests_;
  std::vector<std::string> log_;
};

// The supplicant library loaded into this process.
SimSupplicant& ProcessSupplicant();

}  // namespace sim
