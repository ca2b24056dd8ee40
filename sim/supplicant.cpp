// The supplicant library's calls: bring-up, ports, credential objects, answers to credential
// requests and the IP helpers. The exchanges on the ports' threads are in
// supplicant_exchange.cpp.
#include "sim/supplicant.h"

#include <algorithm>

#include "sim/association.h"
#include "sim/dhcp_client.h"
#include "sim/sim_machine.h"

namespace sim {
namespace {

using namespace platform;

const char* ModuleCall(AcModule module) {
  switch (module) {
    case AcModule::k8021x:
      return "ac8021xInit";
    case AcModule::kRsn:
      return "acRsnInit";
    case AcModule::kEapFast:
      return "acEapFASTInit";
    case AcModule::kEapGtc:
      return "acEapGTCInit";
    case AcModule::kEapLeap:
      return "acEapLEAPInit";
    case AcModule::kEapMd5:
      return "acEapMD5Init";
    case AcModule::kEapMsChapV2:
      return "acEapMSCHAPv2Init";
    case AcModule::kEapPeap:
      return "acEapPEAPInit";
    case AcModule::kEapTls:
      return "acEapTLSInit";
    case AcModule::kEapTtls:
      return "acEapTTLSInit";
    case AcModule::kCcx:
      return "acCcxInit";
  }
  return "";
}

const char* MethodName(AcEapMethod method) {
  switch (method) {
    case AcEapMethod::kTls:
      return "tls";
    case AcEapMethod::kPeap:
      return "peap";
    case AcEapMethod::kLeap:
      return "leap";
  }
  return "";
}

SimMachine& CurrentMachine() {
  return static_cast<SimMachine&>(platform::Current());
}

bool FailsHere(const char* call) {
  return CurrentMachine().description().supplicant.failingCall == call;
}

std::string SsidText(const std::vector<uint8_t>& ssid) {
  NetworkDescription network;
  network.ssid = ssid;
  return sim::SsidText(network);
}

}  // namespace

SimSupplicant::~SimSupplicant() {
  acExit();
}

SimSupplicant& ProcessSupplicant() {
  // Never destroyed: like a library that stays loaded, it outlives every caller at exit.
  static SimSupplicant* supplicant = new SimSupplicant();
  return *supplicant;
}

void SimSupplicant::Note(std::string line) {
  log_.push_back(std::move(line));
  changed_.notify_all();
}

std::vector<std::string> SimSupplicant::Log() const {
  std::lock_guard lock(mutex_);
  return log_;
}

void SimSupplicant::ClearLog() {
  std::lock_guard lock(mutex_);
  log_.clear();
}

SimSupplicant::Port* SimSupplicant::FindPort(AcPort handle) {
  auto it = ports_.find(handle);
  return it != ports_.end() ? it->second.get() : nullptr;
}

int32_t SimSupplicant::acInit(AcEventCallback events, AcNetCallback network) {
  std::lock_guard lock(mutex_);
  Note("acInit");
  if (FailsHere("acInit")) return kAcErrInitFailed;
  // A second bring-up in the same process takes the new callbacks; the ports stay.
  events_ = std::move(events);
  network_ = std::move(network);
  initialised_ = true;
  return kAcOk;
}

int32_t SimSupplicant::acModuleInit(AcModule module) {
  std::lock_guard lock(mutex_);
  const char* call = ModuleCall(module);
  Note(call);
  if (!initialised_) return kAcErrNotInitialised;
  return FailsHere(call) ? kAcErrInitFailed : kAcOk;
}

int32_t SimSupplicant::acExit() {
  std::unique_lock lock(mutex_);
  Note("acExit");
  while (!ports_.empty()) StopThread(ports_.begin()->first, lock);
  requests_.clear();
  objects_.clear();
  events_ = nullptr;
  network_ = nullptr;
  initialised_ = false;
  return kAcOk;
}

void SimSupplicant::StopThread(AcPort handle, std::unique_lock<std::mutex>& lock) {
  auto it = ports_.find(handle);
  if (it == ports_.end()) return;
  std::thread thread = std::move(it->second->thread);
  std::erase_if(requests_, [&](const auto& entry) { return entry.second.port == handle; });
  ports_.erase(it);
  changed_.notify_all();
  lock.unlock();
  // A port detached from its own callback cannot wait for itself; its thread ends on its own.
  if (thread.get_id() == std::this_thread::get_id()) {
    thread.detach();
  } else if (thread.joinable()) {
    thread.join();
  }
  lock.lock();
}

int32_t SimSupplicant::acGetNextPortSymName(uint32_t& cursor, std::string& name) {
  std::lock_guard lock(mutex_);
  if (!initialised_) return kAcErrNotInitialised;
  const auto& adapters = CurrentMachine().description().adapters;
  if (cursor >= adapters.size()) return kAcErrNoMorePorts;
  name = adapters[cursor++].name;
  return kAcOk;
}

int32_t SimSupplicant::acGetPortAttr(const std::string& name, AcPortAttributes& attributes) {
  std::lock_guard lock(mutex_);
  if (!initialised_) return kAcErrNotInitialised;
  for (const auto& adapter : CurrentMachine().description().adapters) {
    if (adapter.name != name) continue;
    attributes = {};
    std::copy_n(adapter.mac.begin(), std::min<size_t>(adapter.mac.size(), 6),
                attributes.mac.begin());
    attributes.description = adapter.description;
    return kAcOk;
  }
  return kAcErrNoSuchPort;
}

int32_t SimSupplicant::acPortAttach(const std::string& name, AcCredentialCallback requests,
                                    AcPort& port) {
  std::lock_guard lock(mutex_);
  Note("acPortAttach " + name);
  if (!initialised_) return kAcErrNotInitialised;
  SimMachine& machine = CurrentMachine();
  const auto& adapters = machine.description().adapters;
  if (std::none_of(adapters.begin(), adapters.end(),
                   [&](const auto& adapter) { return adapter.name == name; })) {
    return kAcErrNoSuchPort;
  }
  for (const auto& [handle, attached] : ports_) {
    if (attached->name == name) return kAcErrAlreadyAttached;
  }
  const AcPort handle = nextHandle_++;
  auto created = std::make_unique<Port>();
  created->name = name;
  created->machine = &machine;
  created->requests = std::move(requests);
  created->thread = std::thread([this, handle] { Run(handle); });
  ports_[handle] = std::move(created);
  port = handle;
  return kAcOk;
}

int32_t SimSupplicant::acPortDetach(AcPort handle) {
  std::unique_lock lock(mutex_);
  Note("acPortDetach");
  if (FindPort(handle) == nullptr) return kAcErrNotAttached;
  StopThread(handle, lock);
  return kAcOk;
}

int32_t SimSupplicant::acPortAssociate(AcPort handle, const AcAssociation& association) {
  std::unique_lock lock(mutex_);
  Note("acPortAssociate " + SsidText(association.ssid));
  Port* port = FindPort(handle);
  if (port == nullptr) return kAcErrNotAttached;
  if (association.ssid.empty() || association.ssid.size() > 32) return kAcErrBadArgument;
  const uint64_t generation = ++port->generation;
  port->ssid = association.ssid;
  port->state = kAcStateConnecting;
  port->status = kAcStatusNone;
  port->jobs.push_back({Job::Kind::kExchange, association.ssid, 0, generation, {}, {}, {}});
  const bool onPortThread = port->thread.get_id() == std::this_thread::get_id();
  changed_.notify_all();
  // Settle the outcome before the caller goes on to give the driver the network's name.
  if (!onPortThread) {
    changed_.wait(lock, [&] {
      Port* waited = FindPort(handle);
      return waited == nullptr || waited->decidedGeneration >= generation ||
             waited->generation != generation;
    });
  }
  return kAcOk;
}

int32_t SimSupplicant::acPortDisassociate(AcPort handle) {
  std::unique_lock lock(mutex_);
  Note("acPortDisassociate");
  Port* port = FindPort(handle);
  if (port == nullptr) return kAcErrNotAttached;
  ++port->generation;
  port->jobs.clear();
  const std::vector<uint8_t> ssid = std::exchange(port->ssid, {});
  port->linkState = kAcLinkDown;
  SimMachine& machine = *port->machine;
  changed_.notify_all();
  lock.unlock();
  TakeKeys(machine, ssid);
  return kAcOk;
}

int32_t SimSupplicant::acPortAuth(AcPort handle, AcEapMethod method) {
  std::lock_guard lock(mutex_);
  Note(std::string("acPortAuth ") + MethodName(method));
  Port* port = FindPort(handle);
  if (port == nullptr) return kAcErrNotAttached;
  port->eap = method;
  return kAcOk;
}

int32_t SimSupplicant::acPortStop(AcPort handle) {
  std::unique_lock lock(mutex_);
  Note("acPortStop");
  Port* port = FindPort(handle);
  if (port == nullptr) return kAcErrNotAttached;
  ++port->generation;
  port->jobs.clear();
  const std::vector<uint8_t> ssid = std::exchange(port->ssid, {});
  // A stopped port forgets what it was given; the next start hands it over again.
  port->pmk.reset();
  port->eap.reset();
  port->linkState = kAcLinkDown;
  port->state = kAcStateStopped;
  port->status = kAcStatusNone;
  SimMachine& machine = *port->machine;
  changed_.notify_all();
  lock.unlock();
  TakeKeys(machine, ssid);
  return kAcOk;
}

int32_t SimSupplicant::acPortGetLinkState(AcPort handle, uint32_t& linkState) {
  std::lock_guard lock(mutex_);
  Port* port = FindPort(handle);
  if (port == nullptr) return kAcErrNotAttached;
  linkState = port->linkState;
  return kAcOk;
}

int32_t SimSupplicant::acPortGetState(AcPort handle, uint32_t& state) {
  std::lock_guard lock(mutex_);
  Port* port = FindPort(handle);
  if (port == nullptr) return kAcErrNotAttached;
  state = port->state;
  return kAcOk;
}

int32_t SimSupplicant::acPortGetStatus(AcPort handle, uint32_t& status) {
  std::lock_guard lock(mutex_);
  Port* port = FindPort(handle);
  if (port == nullptr) return kAcErrNotAttached;
  status = port->status;
  return kAcOk;
}

int32_t SimSupplicant::CreateObject(Object object, const char* call, AcObject& handle) {
  std::lock_guard lock(mutex_);
  Note(call);
  if (!initialised_) return kAcErrNotInitialised;
  handle = nextHandle_++;
  objects_[handle] = std::move(object);
  return kAcOk;
}

int32_t SimSupplicant::DestroyObject(AcObject handle, ObjectKind kind, const char* call) {
  std::lock_guard lock(mutex_);
  Note(call);
  auto it = objects_.find(handle);
  if (it == objects_.end() || it->second.kind != kind) return kAcErrBadObject;
  objects_.erase(it);
  return kAcOk;
}

int32_t SimSupplicant::acRsnPskCreate(const std::string& passphrase, const uint8_t* ssid,
                                      uint32_t ssidLength, AcObject& key) {
  if (passphrase.size() < 8 || passphrase.size() > 63 || ssid == nullptr || ssidLength == 0 ||
      ssidLength > 32) {
    std::lock_guard lock(mutex_);
    Note("acRsnPskCreate");
    return kAcErrBadArgument;
  }
  Object object{ObjectKind::kPsk, {}, {}, {}};
  // The key derivation is slow by design; it runs before the lock is taken.
  object.pmk = PassphrasePmk(passphrase, std::vector<uint8_t>(ssid, ssid + ssidLength));
  return CreateObject(std::move(object), "acRsnPskCreate", key);
}

int32_t SimSupplicant::acRsnBinPskCreate(const uint8_t* key, uint32_t length, AcObject& object) {
  Object created{ObjectKind::kPsk, {}, {}, {}};
  if (key == nullptr || length != created.pmk.size()) {
    std::lock_guard lock(mutex_);
    Note("acRsnBinPskCreate");
    return kAcErrBadArgument;
  }
  std::copy_n(key, length, created.pmk.begin());
  return CreateObject(std::move(created), "acRsnBinPskCreate", object);
}

int32_t SimSupplicant::acIdentityCreate(const std::string& identity, AcObject& object) {
  return CreateObject({ObjectKind::kIdentity, identity, {}, {}}, "acIdentityCreate", object);
}

int32_t SimSupplicant::acPasswordCreate(const std::string& password, AcObject& object) {
  return CreateObject({ObjectKind::kPassword, password, {}, {}}, "acPasswordCreate", object);
}

int32_t SimSupplicant::acCertCreate(const std::array<uint8_t, 20>& thumbprint,
                                    const std::string& name, AcObject& object) {
  return CreateObject({ObjectKind::kCertificate, name, {}, thumbprint}, "acCertCreate", object);
}

int32_t SimSupplicant::acRsnPskDestroy(AcObject object) {
  return DestroyObject(object, ObjectKind::kPsk, "acRsnPskDestroy");
}

int32_t SimSupplicant::acIdentityDestroy(AcObject object) {
  return DestroyObject(object, ObjectKind::kIdentity, "acIdentityDestroy");
}

int32_t SimSupplicant::acPasswordDestroy(AcObject object) {
  return DestroyObject(object, ObjectKind::kPassword, "acPasswordDestroy");
}

int32_t SimSupplicant::acCertDestroy(AcObject object) {
  return DestroyObject(object, ObjectKind::kCertificate, "acCertDestroy");
}

int32_t SimSupplicant::acCredRsnPsk(AcPort handle, AcObject key) {
  std::lock_guard lock(mutex_);
  Note("acCredRsnPsk");
  Port* port = FindPort(handle);
  if (port == nullptr) return kAcErrNotAttached;
  auto it = objects_.find(key);
  if (it == objects_.end() || it->second.kind != ObjectKind::kPsk) return kAcErrBadObject;
  port->pmk = it->second.pmk;
  return kAcOk;
}

template <typename AnswerFn>
int32_t SimSupplicant::Answer(AcRequest request, const char* call, AnswerFn answer) {
  std::lock_guard lock(mutex_);
  Note(call);
  auto it = requests_.find(request);
  if (it == requests_.end() || !it->second.open) return kAcErrBadRequest;
  return answer(it->second);
}

int32_t SimSupplicant::acCredSessionStart(AcRequest request) {
  return Answer(request, "acCredSessionStart", [](Request& open) {
    open.sessionStarted = true;
    return kAcOk;
  });
}

int32_t SimSupplicant::acCredComplete(AcRequest request) {
  return Answer(request, "acCredComplete", [](Request& open) {
    open.answered = true;
    open.open = false;
    return kAcOk;
  });
}

int32_t SimSupplicant::acCredGetIdentityPrompt(AcRequest request, AcIdentityPrompt& prompt) {
  return Answer(request, "acCredGetIdentityPrompt", [&](Request& open) {
    Port* port = FindPort(open.port);
    const bool tls = port != nullptr && port->eap == AcEapMethod::kTls;
    prompt.text = tls ? "Identity for the user certificate" : "User name";
    // PEAP and LEAP take Windows accounts, so they ask for "DOMAIN\user".
    prompt.domainForm = !tls;
    return kAcOk;
  });
}

int32_t SimSupplicant::acCredIdentity(AcRequest request, AcObject identity) {
  return Answer(request, "acCredIdentity", [&](Request& open) {
    auto it = objects_.find(identity);
    if (it == objects_.end() || it->second.kind != ObjectKind::kIdentity) return kAcErrBadObject;
    open.identity = it->second.text;
    return kAcOk;
  });
}

int32_t SimSupplicant::acCredGetPasswordPrompt(AcRequest request, std::string& prompt) {
  return Answer(request, "acCredGetPasswordPrompt", [&](Request& open) {
    prompt = open.type == kAcRequestChangePassword ? "New password" : "Password";
    return kAcOk;
  });
}

int32_t SimSupplicant::acCredPassword(AcRequest request, AcObject password) {
  return Answer(request, "acCredPassword", [&](Request& open) {
    auto it = objects_.find(password);
    if (it == objects_.end() || it->second.kind != ObjectKind::kPassword) return kAcErrBadObject;
    open.password = it->second.text;
    return kAcOk;
  });
}

int32_t SimSupplicant::acCredGetServerCertificate(AcRequest request,
                                                  AcServerCertificate& certificate) {
  return Answer(request, "acCredGetServerCertificate", [&](Request& open) {
    Port* port = FindPort(open.port);
    certificate.subject = "CN=radius." + (port != nullptr ? SsidText(port->ssid) : "");
    certificate.issuer = "CN=Halvorn Root CA";
    certificate.chainValid = true;
    return kAcOk;
  });
}

int32_t SimSupplicant::acCredServerVerify(AcRequest request, AcServerCheck /*check*/, bool passed) {
  return Answer(request, "acCredServerVerify", [&](Request& open) {
    if (!passed) open.serverTrusted = false;
    return kAcOk;
  });
}

int32_t SimSupplicant::acCredServerVerified(AcRequest request, bool trusted) {
  return Answer(request, "acCredServerVerified", [&](Request& open) {
    open.serverTrusted = trusted && open.serverTrusted.value_or(true);
    return kAcOk;
  });
}

int32_t SimSupplicant::acCredUserCertificate(AcRequest request, AcObject certificate) {
  return Answer(request, "acCredUserCertificate", [&](Request& open) {
    auto it = objects_.find(certificate);
    if (it == objects_.end() || it->second.kind != ObjectKind::kCertificate) {
      return kAcErrBadObject;
    }
    open.certificate = it->second.thumbprint;
    return kAcOk;
  });
}

int32_t SimSupplicant::acCredDeferred(AcRequest request) {
  return Answer(request, "acCredDeferred", [](Request& open) {
    open.answered = true;
    open.open = false;
    return kAcOk;
  });
}

int32_t SimSupplicant::acCredGetRogueReport(AcRequest request, AcRogueReport& report) {
  return Answer(request, "acCredGetRogueReport", [&](Request& /*open*/) {
    // The access point the network side reports as not its own.
    report.bssid = {0x02, 0xBA, 0xD0, 0x00, 0x00, 0x01};
    return kAcOk;
  });
}

int32_t SimSupplicant::acCredCcxRogueAP(AcRequest request) {
  return Answer(request, "acCredCcxRogueAP", [](Request& open) {
    open.rogueReported = true;
    return kAcOk;
  });
}

namespace {

// The port's adapter and its link now; false when the port is not the wireless adapter's.
bool ReadLink(SimMachine& machine, const std::string& name, AdapterState& state, uint64_t& nowMs) {
  const AdapterDescription* adapter = machine.devices().WirelessAdapter();
  AdapterStateFile* file = machine.devices().WirelessState();
  if (adapter == nullptr || file == nullptr || adapter->name != name) return false;
  nowMs = machine.Clock().NowMs();
  return file->Read([&](const AdapterState& current) { state = current; }) == 0;
}

}  // namespace

bool SimSupplicant::EnterAddressQuery(const char* call, AcPort handle, SimMachine*& machine,
                                      std::string& name) {
  std::unique_lock lock(mutex_);
  Note(call);
  changed_.wait(lock, [&] { return !addressQueriesHeld_; });
  Port* port = FindPort(handle);
  if (port == nullptr) return false;
  machine = port->machine;
  name = port->name;
  return true;
}

int32_t SimSupplicant::acIpIsConnected(AcPort handle, bool& connected) {
  SimMachine* machine = nullptr;
  std::string name;
  if (!EnterAddressQuery("acIpIsConnected", handle, machine, name)) return kAcErrNotAttached;
  AdapterState state;
  uint64_t now = 0;
  connected = ReadLink(*machine, name, state, now) && LinkUp(state, now) &&
              CurrentAddress(state.link, now).Bound();
  return kAcOk;
}

int32_t SimSupplicant::acIpDhcpIsEnabled(AcPort handle, bool& enabled) {
  SimMachine* machine = nullptr;
  std::string name;
  if (!EnterAddressQuery("acIpDhcpIsEnabled", handle, machine, name)) return kAcErrNotAttached;
  enabled = false;
  for (const auto& adapter : machine->description().adapters) {
    if (adapter.name == name) enabled = adapter.dhcpEnabled;
  }
  return kAcOk;
}

int32_t SimSupplicant::acIpGetConfig(AcPort handle, AcIpConfig& config) {
  SimMachine* machine = nullptr;
  std::string name;
  if (!EnterAddressQuery("acIpGetConfig", handle, machine, name)) return kAcErrNotAttached;
  AdapterState state;
  uint64_t now = 0;
  config = {};
  if (!ReadLink(*machine, name, state, now)) return kAcErrNotConnected;
  const IpBinding& bound = CurrentAddress(state.link, now);
  config.address = bound.address;
  config.mask = bound.mask;
  return kAcOk;
}

int32_t SimSupplicant::acIpDhcpRenew(AcPort handle) {
  SimMachine* found = nullptr;
  std::string name;
  if (!EnterAddressQuery("acIpDhcpRenew", handle, found, name)) return kAcErrNotAttached;
  SimMachine& machine = *found;
  const AdapterDescription* adapter = machine.devices().WirelessAdapter();
  AdapterStateFile* file = machine.devices().WirelessState();
  if (adapter == nullptr || file == nullptr) return kAcErrNotConnected;
  const uint64_t now = machine.Clock().NowMs();
  bool linked = false;
  const long error = file->Modify([&](AdapterState& state) {
    SettleAddress(state.link, now);
    linked = LinkUp(state, now);
    // A client that holds nothing and waits for nothing starts discovery again.
    if (!linked || state.link.address.bound.Bound() || state.link.address.pending) return;
    StartAddressing(*adapter, state.link, AssociatedNetwork(state, machine.description()));
  });
  return error == 0 && linked ? kAcOk : kAcErrNotConnected;
}

std::string SimSupplicant::acErrorString(int32_t code) {
  switch (code) {
    case kAcOk:
      return "The operation completed successfully";
    case kAcErrNotInitialised:
      return "The supplicant is not initialised";
    case kAcErrAlreadyAttached:
      return "The port is attached already";
    case kAcErrNoSuchPort:
      return "No port of that name";
    case kAcErrNoMorePorts:
      return "No more ports";
    case kAcErrBadObject:
      return "Not a credential object of that kind";
    case kAcErrBadRequest:
      return "No such open credential request";
    case kAcErrNotAttached:
      return "The port is not attached";
    case kAcErrBadArgument:
      return "An argument is out of range";
    case kAcErrInitFailed:
      return "The module could not be initialised";
    case kAcErrNotConnected:
      return "The port's interface is not connected";
    default:
      return "Unknown supplicant error " + std::to_string(code);
  }
}

}  // namespace sim
