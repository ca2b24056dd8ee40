#include "lib/driver/post_authentication.h"

#include <atomic>
#include <mutex>
#include <thread>

#include "lib/driver/single_sign_on.h"
#include "lib/driver/supplicant_state.h"
#include "platform/services.h"

namespace vtr::supplicant {
namespace {

using namespace platform;

constexpr int kConnectedChecks = 15;
constexpr uint32_t kConnectedCheckMs = 1000;
constexpr int kAddressReads = 30;
constexpr uint32_t kFinalPauseMs = 2000;
constexpr const char* kNoAddress = "0.0.0.0";

struct PostAuthentication {
  // A run the supplicant's events started after the last stop ends with the process: a thread
  // still joinable here would end it through std::terminate instead.
  ~PostAuthentication() {
    cancelled.store(true);
    std::lock_guard lock(mutex);
    if (thread.joinable()) thread.join();
  }

  std::atomic<bool> busy{false};
  std::atomic<bool> cancelled{false};
  std::mutex mutex;
  std::thread thread;  // guarded by mutex
};

PostAuthentication& Work() {
  static PostAuthentication work;
  return work;
}

// A wait on the machine clock that a stop cuts short; false when cut.
bool Pause(uint32_t ms) {
  if (Work().cancelled.load()) return false;
  platform::Current().Clock().SleepMs(ms);
  return !Work().cancelled.load();
}

bool Connected(AcPort port) {
  bool connected = false;
  return Check("acIpIsConnected",
               platform::Current().Supplicant().acIpIsConnected(port, connected)) &&
         connected;
}

std::string Address(AcPort port) {
  AcIpConfig config;
  if (!Check("acIpGetConfig", platform::Current().Supplicant().acIpGetConfig(port, config))) {
    return kNoAddress;
  }
  return config.address;
}

// Waits for the interface to report a connection and an address; a DHCP client that holds
// none after 30 reads is asked to renew.
void CheckAddress(AcPort port) {
  auto& library = platform::Current().Supplicant();
  for (int check = 1; check <= kConnectedChecks && !Connected(port); ++check) {
    if (check < kConnectedChecks && !Pause(kConnectedCheckMs)) return;
  }
  bool dhcp = false;
  Check("acIpDhcpIsEnabled", library.acIpDhcpIsEnabled(port, dhcp));
  if (!dhcp) {
    Address(port);
    return;
  }
  for (int read = 0; read < kAddressReads; ++read) {
    if (Address(port) != kNoAddress) return;
  }
  Check("acIpDhcpRenew", library.acIpDhcpRenew(port));
  Connected(port);
}

void Run(AcPort port) {
  CheckAddress(port);
  ContactLogonDomain();
  Pause(kFinalPauseMs);
  Work().busy.store(false);
}

}  // namespace

int StartPostAuthentication(AcPort port) {
  auto& work = Work();
  if (work.busy.exchange(true)) return kPostAuthenticationBusy;
  std::lock_guard lock(work.mutex);
  // The previous run has cleared busy, so its thread is ending or has ended.
  if (work.thread.joinable()) work.thread.join();
  work.cancelled.store(false);
  work.thread = std::thread(Run, port);
  return 0;
}

void StopPostAuthentication() {
  auto& work = Work();
  std::lock_guard lock(work.mutex);
  work.cancelled.store(true);
  if (work.thread.joinable()) work.thread.join();
}

}  // namespace vtr::supplicant
