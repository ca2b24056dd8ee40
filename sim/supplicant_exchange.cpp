// The ports' threads: the exchange with a network, the questions to the port's owner, and the
// events that tell the outcome.
#include <algorithm>
#include <chrono>
#include <cstring>

#include "platform/ndis_802_11.h"
#include "sim/adapter_scan.h"
#include "sim/association.h"
#include "sim/rsn_settings.h"
#include "sim/sim_machine.h"
#include "sim/supplicant.h"

namespace sim {
namespace {

using namespace platform;

// How often a port watching a link looks at the adapter and the clock.
constexpr std::chrono::milliseconds kWatchLookEvery{1};

// The network of that name the adapter would authenticate with: the strongest one heard.
std::optional<NetworkDescription> NetworkToJoin(SimMachine& machine, const std::string& port,
                                                const std::vector<uint8_t>& ssid) {
  const AdapterDescription* adapter = machine.devices().WirelessAdapter();
  AdapterStateFile* file = machine.devices().WirelessState();
  if (adapter == nullptr || file == nullptr || adapter->name != port) return std::nullopt;
  std::optional<NetworkDescription> found;
  file->Read([&](const AdapterState& state) {
    if (!state.present || !state.radioOn) return;
    for (const auto& network : CurrentNeighbourhood(state, machine.description())) {
      if (network.ssid != ssid || network.adhoc || network.rssi < kJoinSensitivityDbm) continue;
      if (!UsesPreSharedKey(network.security) && !Uses8021x(network.security)) continue;
      if (!RadioHears(adapter->radio, state, network)) continue;
      if (!found || network.rssi > found->rssi) found = network;
    }
  });
  return found;
}

}  // namespace

void SimSupplicant::Run(AcPort handle) {
  std::unique_lock lock(mutex_);
  for (;;) {
    Port* port = FindPort(handle);
    if (port == nullptr) return;
    if (port->jobs.empty()) {
      port->busy = false;
      changed_.notify_all();
      changed_.wait(lock);
      continue;
    }
    const Job job = port->jobs.front();
    port->jobs.pop_front();
    port->busy = true;
    lock.unlock();
    switch (job.kind) {
      case Job::Kind::kExchange:
        Exchange(handle, job);
        break;
      case Job::Kind::kRequest:
        Ask(handle, job.type);
        break;
      case Job::Kind::kReport:
        Report(handle, job.generation, job.linkState, job.state, job.status);
        break;
    }
    lock.lock();
  }
}

void SimSupplicant::Exchange(AcPort handle, const Job& job) {
  const Outcome outcome = Decide(handle, job);
  SimMachine* machine = nullptr;
  {
    std::lock_guard lock(mutex_);
    Port* port = FindPort(handle);
    if (port == nullptr) return;
    machine = port->machine;
    const bool current = port->generation == job.generation;
    if (current && outcome.status == kAcStatusNone) {
      // The keys are in place before the caller may give the driver the name.
      const uint64_t delay = port->eap ? k8021xExchangeMs : kHandshakeMs;
      const uint64_t now = machine->Clock().NowMs();
      const AdapterDescription* adapter = machine->devices().WirelessAdapter();
      machine->devices().WirelessState()->Modify([&](AdapterState& state) {
        state.rsnKeys = RsnKeys{outcome.ssid, now + delay};
        InstallRsnSettings(state, outcome.security, outcome.ciphers);
        Ndis80211Ssid ssid{};
        ssid.ssidLength = static_cast<uint32_t>(outcome.ssid.size());
        std::memcpy(ssid.ssid, outcome.ssid.data(), outcome.ssid.size());
        auto& setting = state.settings[kOid802_11Ssid];
        setting.resize(sizeof ssid);
        std::memcpy(setting.data(), &ssid, sizeof ssid);
        Associate(*adapter, state, machine->description(), now);
      });
    }
    port->decidedGeneration = std::max(port->decidedGeneration, job.generation);
    changed_.notify_all();
    if (!current) return;
  }
  if (outcome.status != kAcStatusNone) {
    Report(handle, job.generation, kAcLinkDown, kAcStateHeld, outcome.status);
    return;
  }
  Report(handle, job.generation, std::nullopt, kAcStateAuthenticating, std::nullopt);
  WatchLink(handle, job.generation);
}

SimSupplicant::Outcome SimSupplicant::Decide(AcPort handle, const Job& job) {
  SimMachine* machine = nullptr;
  std::string name;
  std::optional<Pmk> pmk;
  bool eap = false;
  {
    std::lock_guard lock(mutex_);
    Port* port = FindPort(handle);
    if (port == nullptr) return {kAcStatusNoNetwork, {}};
    machine = port->machine;
    name = port->name;
    pmk = port->pmk;
    eap = port->eap.has_value();
  }
  const auto network = NetworkToJoin(*machine, name, job.ssid);
  if (!network) return {kAcStatusNoNetwork, {}};
  if (UsesPreSharedKey(network->security)) {
    const auto expected = NetworkPmk(*network);
    // A key that does not match fails the handshake's message integrity check.
    if (!pmk || !expected || *pmk != *expected) return {kAcStatusRejected, {}};
    return {kAcStatusNone, network->ssid, network->security, network->ciphers};
  }
  // The authentication server wants EAP; a port without it cannot answer.
  if (!eap) return {kAcStatusRejected, {}};
  return Ask8021x(handle, *network);
}

SimSupplicant::Outcome SimSupplicant::Ask8021x(AcPort handle, const NetworkDescription& network) {
  if (!Ask(handle, kAcRequestSessionStart)) return {kAcStatusUnanswered, {}};
  const auto verified = Ask(handle, kAcRequestServerVerify);
  if (!verified) return {kAcStatusUnanswered, {}};
  if (!verified->serverTrusted.value_or(false)) return {kAcStatusServerRefused, {}};
  const auto identity = Ask(handle, kAcRequestIdentity);
  if (!identity || !identity->identity) return {kAcStatusUnanswered, {}};

  std::optional<AcEapMethod> method;
  SimMachine* machine = nullptr;
  {
    std::lock_guard lock(mutex_);
    Port* port = FindPort(handle);
    if (port == nullptr) return {kAcStatusNoNetwork, {}};
    method = port->eap;
    machine = port->machine;
  }
  const auto& accounts = network.credentials.accounts;
  bool accepted = false;
  if (method == AcEapMethod::kTls) {
    const auto certificate = Ask(handle, kAcRequestUserCertificate);
    if (!certificate || !certificate->certificate) return {kAcStatusUnanswered, {}};
    accepted = CertificateAccepted(accounts, *identity->identity, *certificate->certificate,
                                   machine->description().personalCertificates);
  } else {
    const auto password = Ask(handle, kAcRequestPassword);
    if (!password || !password->password) return {kAcStatusUnanswered, {}};
    accepted = PasswordAccepted(accounts, *identity->identity, *password->password);
  }
  if (!accepted) return {kAcStatusRejected, {}};
  return {kAcStatusNone, network.ssid, network.security, network.ciphers};
}

std::optional<SimSupplicant::Request> SimSupplicant::Ask(AcPort handle, uint32_t type) {
  AcCredentialCallback callback;
  AcRequest id = 0;
  {
    std::lock_guard lock(mutex_);
    Port* port = FindPort(handle);
    if (port == nullptr) return std::nullopt;
    id = nextHandle_++;
    Request request;
    request.port = handle;
    request.type = type;
    requests_[id] = request;
    callback = port->requests;
    Note("request " + std::to_string(type));
  }
  if (callback) callback(handle, id, type);
  std::lock_guard lock(mutex_);
  auto it = requests_.find(id);
  if (it == requests_.end()) return std::nullopt;  // the port went away meanwhile
  Request request = it->second;
  requests_.erase(it);
  Note("request " + std::to_string(type) + (request.answered ? " answered" : " unanswered"));
  if (!request.answered) return std::nullopt;
  return request;
}

void SimSupplicant::WatchLink(AcPort handle, uint64_t generation) {
  std::unique_lock lock(mutex_);
  for (;;) {
    Port* port = FindPort(handle);
    if (port == nullptr || port->generation != generation) return;
    std::optional<Association> association;
    port->machine->devices().WirelessState()->Read(
        [&](const AdapterState& state) { association = state.link.association; });
    const uint64_t now = port->machine->Clock().NowMs();
    std::optional<uint32_t> linkState;
    if (!association || association->ssid != port->ssid) {
      linkState = kAcLinkDown;
    } else if (now >= association->upAtMs) {
      linkState = kAcLinkUp;
    }
    if (linkState) {
      port->watchUntilMs.reset();
      lock.unlock();
      const std::optional<uint32_t> state =
          *linkState == kAcLinkUp ? std::optional<uint32_t>(kAcStateAuthenticated) : std::nullopt;
      Report(handle, generation, linkState, state, std::nullopt);
      return;
    }
    // The port does not move the machine's time on by itself: the caller that gave the driver
    // the network's name waits on the clock after it has registered for the address change,
    // and only then does the link come up here.
    port->watchUntilMs = association->upAtMs;
    changed_.notify_all();
    changed_.wait_for(lock, kWatchLookEvery);
  }
}

void SimSupplicant::Report(AcPort handle, uint64_t generation, std::optional<uint32_t> linkState,
                           std::optional<uint32_t> state, std::optional<uint32_t> status) {
  std::vector<uint32_t> events;
  AcEventCallback callback;
  AcNetCallback network;
  {
    std::lock_guard lock(mutex_);
    Port* port = FindPort(handle);
    if (port == nullptr || port->generation != generation) return;
    auto change = [&](uint32_t& field, std::optional<uint32_t> value, uint32_t event,
                      const char* what) {
      if (!value) return;
      field = *value;
      events.push_back(event);
      Note(std::string("event ") + what + " " + std::to_string(*value));
    };
    change(port->linkState, linkState, kAcEventLinkState, "link");
    change(port->status, status, kAcEventStatus, "status");
    change(port->state, state, kAcEventState, "state");
    callback = events_;
    network = network_;
  }
  for (uint32_t event : events) {
    if (callback) callback(event, handle);
    // The network side hears of the link too, for the interface's address.
    if (event == kAcEventLinkState && network) network(event, handle);
  }
}

void SimSupplicant::TakeKeys(SimMachine& machine, const std::vector<uint8_t>& ssid) {
  AdapterStateFile* file = machine.devices().WirelessState();
  if (file == nullptr || ssid.empty()) return;
  const uint64_t now = machine.Clock().NowMs();
  file->Modify([&](AdapterState& state) {
    if (state.link.association && state.link.association->ssid == ssid) {
      Disassociate(state, now);
    }
    if (state.rsnKeys && state.rsnKeys->ssid == ssid) state.rsnKeys.reset();
  });
}

void SimSupplicant::RaiseRequest(uint32_t type) {
  std::lock_guard lock(mutex_);
  for (auto& [handle, port] : ports_) {
    port->jobs.push_back({Job::Kind::kRequest, {}, type, port->generation, {}, {}, {}});
  }
  changed_.notify_all();
}

void SimSupplicant::Raise(std::optional<uint32_t> linkState, std::optional<uint32_t> state,
                          std::optional<uint32_t> status) {
  std::lock_guard lock(mutex_);
  for (auto& [handle, port] : ports_) {
    Job job{Job::Kind::kReport, {}, 0, port->generation, linkState, state, status};
    port->jobs.push_back(std::move(job));
  }
  changed_.notify_all();
}

void SimSupplicant::HoldAddressQueries(bool hold) {
  std::lock_guard lock(mutex_);
  addressQueriesHeld_ = hold;
  changed_.notify_all();
}

bool SimSupplicant::WaitForLog(const std::string& line, size_t count) {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, std::chrono::seconds(10), [&] {
    return static_cast<size_t>(std::count(log_.begin(), log_.end(), line)) >= count;
  });
}

void SimSupplicant::WaitIdle() {
  std::unique_lock lock(mutex_);
  for (;;) {
    bool idle = true;
    std::optional<uint64_t> watchedUntil;
    ClockPort* clock = nullptr;
    for (const auto& [handle, port] : ports_) {
      if (port->jobs.empty() && !port->busy) continue;
      idle = false;
      if (!port->jobs.empty() || !port->watchUntilMs) {
        watchedUntil.reset();
        clock = nullptr;
        break;
      }
      if (!watchedUntil || *port->watchUntilMs < *watchedUntil) {
        watchedUntil = port->watchUntilMs;
        clock = &port->machine->Clock();
      }
    }
    if (idle) return;
    if (clock != nullptr) {
      // Only links to come up are left: the waiter lets the machine's time pass until then.
      const uint64_t now = clock->NowMs();
      lock.unlock();
      if (*watchedUntil > now) clock->SleepMs(static_cast<uint32_t>(*watchedUntil - now));
      lock.lock();
    }
    changed_.wait_for(lock, kWatchLookEvery);
  }
}

}  // namespace sim
