// Bringing the supplicant up, attaching the adapter's port, stopping and detaching it.
#include "lib/driver/supplicant_binding.h"

#include <cstring>
#include <string>

#include "lib/driver/oid_channel.h"
#include "lib/driver/post_authentication.h"
#include "lib/driver/supplicant_state.h"
#include "platform/debug_output.h"
#include "platform/services.h"

namespace vtr::supplicant {
namespace {

using namespace platform;

// The pause between stopping the port and taking its credentials away, so that the supplicant's
// threads are done with them.
constexpr uint32_t kDetachPauseMs = 100;

struct ModuleInit {
  AcModule module;
  const char* call;
};

constexpr ModuleInit kModules[] = {
    {AcModule::k8021x, "ac8021xInit"},
    {AcModule::kRsn, "acRsnInit"},
    {AcModule::kEapFast, "acEapFASTInit"},
    {AcModule::kEapGtc, "acEapGTCInit"},
    {AcModule::kEapLeap, "acEapLEAPInit"},
    {AcModule::kEapMd5, "acEapMD5Init"},
    {AcModule::kEapMsChapV2, "acEapMSCHAPv2Init"},
    {AcModule::kEapPeap, "acEapPEAPInit"},
    {AcModule::kEapTls, "acEapTLSInit"},
    {AcModule::kEapTtls, "acEapTTLSInit"},
    {AcModule::kCcx, "acCcxInit"},
};

SupplicantPort* Attached(SupplicantState& state) {
  return state.adapterSlot >= 0 ? &state.ports[static_cast<size_t>(state.adapterSlot)] : nullptr;
}

// The supplicant's name of the port with that hardware address; empty when none has it.
std::string FindPortName(platform::SupplicantPort& library, const uint8_t* mac) {
  uint32_t cursor = 0;
  std::string name;
  for (;;) {
    const int32_t code = library.acGetNextPortSymName(cursor, name);
    if (code == kAcErrNoMorePorts) return {};
    if (!Check("acGetNextPortSymName", code)) return {};
    AcPortAttributes attributes;
    if (!Check("acGetPortAttr", library.acGetPortAttr(name, attributes))) continue;
    if (std::memcmp(attributes.mac.data(), mac, attributes.mac.size()) == 0) return name;
  }
}

}  // namespace

SupplicantState& State() {
  static SupplicantState state;
  return state;
}

bool Check(const char* call, int32_t code) {
  if (code == kAcOk) return true;
  const std::string text =
      std::string(call) + " failed: " + platform::Current().Supplicant().acErrorString(code) + "\n";
  platform::OutputDebugStringA(text.c_str());
  return false;
}

AcPort AttachedHandle() {
  auto& state = State();
  std::lock_guard lock(state.mutex);
  const SupplicantPort* port = Attached(state);
  return port != nullptr ? port->handle : 0;
}

bool Loaded() {
  return State().loaded.load();
}

bool PortAttached() {
  return AttachedHandle() != 0;
}

bool BringUp() {
  auto& state = State();
  {
    // A new port table, unless a port is in use.
    std::lock_guard lock(state.mutex);
    if (state.adapterSlot < 0) state.ports = {};
  }
  auto& library = platform::Current().Supplicant();
  bool up = Check("acInit", library.acInit(OnEvent, OnNetwork));
  for (const ModuleInit& module : kModules) {
    if (!up) break;
    up = Check(module.call, library.acModuleInit(module.module));
  }
  state.loaded.store(up);
  return up;
}

int AttachPort() {
  uint8_t mac[6] = {};
  const bool addressRead = vtr::QueryOid(kOid802_3CurrentAddress, mac, sizeof(mac), nullptr) != 0;
  if (!Loaded() || !addressRead) return 0;
  auto& state = State();
  {
    std::lock_guard lock(state.mutex);
    if (Attached(state) != nullptr) return 1;
  }
  auto& library = platform::Current().Supplicant();
  const std::string name = FindPortName(library, mac);
  if (name.empty()) return 0;
  AcPort handle = 0;
  if (!Check("acPortAttach", library.acPortAttach(name, OnCredentialRequest, handle))) return 0;
  std::lock_guard lock(state.mutex);
  for (size_t slot = 0; slot < state.ports.size(); ++slot) {
    if (state.ports[slot].handle != 0) continue;
    state.ports[slot] = {};
    state.ports[slot].handle = handle;
    state.ports[slot].name = name;
    state.adapterSlot = static_cast<int>(slot);
    return 1;
  }
  return 0;
}

void StopPort() {
  const AcPort handle = AttachedHandle();
  if (handle == 0) return;
  // The work after the previous authentication asks about a link that is going; it ends first.
  StopPostAuthentication();
  auto& library = platform::Current().Supplicant();
  Check("acPortDisassociate", library.acPortDisassociate(handle));
  Check("acPortStop", library.acPortStop(handle));
  auto& state = State();
  std::lock_guard lock(state.mutex);
  if (SupplicantPort* port = Attached(state)) port->started = false;
}

void DestroyCredentials(SupplicantPort& port) {
  auto& library = platform::Current().Supplicant();
  if (port.certificate != 0) Check("acCertDestroy", library.acCertDestroy(port.certificate));
  if (port.identity != 0) Check("acIdentityDestroy", library.acIdentityDestroy(port.identity));
  if (port.password != 0) Check("acPasswordDestroy", library.acPasswordDestroy(port.password));
  if (port.psk != 0) Check("acRsnPskDestroy", library.acRsnPskDestroy(port.psk));
  port.certificate = port.identity = port.password = port.psk = 0;
}

void StopAndDetach() {
  const AcPort handle = AttachedHandle();
  if (handle == 0) return;
  StopPort();
  auto& platformServices = platform::Current();
  platformServices.Clock().SleepMs(kDetachPauseMs);
  auto& state = State();
  {
    std::lock_guard lock(state.mutex);
    if (SupplicantPort* port = Attached(state)) DestroyCredentials(*port);
  }
  Check("acPortDetach", platformServices.Supplicant().acPortDetach(handle));
  std::lock_guard lock(state.mutex);
  if (SupplicantPort* port = Attached(state)) *port = {};
  state.adapterSlot = -1;
}

}  // namespace vtr::supplicant
