#include "lib/driver/single_sign_on.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "lib/common/registry_access.h"
#include "platform/logon_domain.h"
#include "platform/registry.h"
#include "platform/services.h"

namespace vtr {
namespace {

constexpr const char* kWinlogonKey =
    "Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon\\Halvorn";
constexpr const char* kDomainValue = "WinlogonDomain";
constexpr uint32_t kDomainValueBytes = 128;

constexpr const char* kProbeSuffix = "\\NETLOGON\\NonExist";
// The request path is built in a MAX_PATH buffer: a controller name that leaves no room for
// the share and the terminator is not contacted.
constexpr size_t kMaxPath = 260;
constexpr int kProbeAttempts = 7;
constexpr uint32_t kProbeIntervalMs = 500;

// Errors only a controller that received the request can give: the share is there and the
// file is not, or the controller refused the account.
constexpr std::array<long, 6> kAnsweredErrors = {
    2,     // file not found
    5,     // access denied
    1331,  // account disabled
    1909,  // account locked out
    1311,  // no logon servers
    67,    // bad network name
};

bool ProvesAnswer(long error) {
  for (long answered : kAnsweredErrors) {
    if (error == answered) return true;
  }
  return false;
}

// The lookup's buffer goes back to NetApi however the contact ends.
struct ControllerInfoRelease {
  void operator()(platform::DomainControllerInfo* info) const {
    platform::Current().LogonDomain().NetApiBufferFree(info);
  }
};
using ControllerInfo = std::unique_ptr<platform::DomainControllerInfo, ControllerInfoRelease>;

// The domain named by the Winlogon value. A value that is missing, empty or does not fit in
// its 128 bytes with a terminator names no domain; the text ends at its first NUL.
std::optional<std::string> LogonDomainName() {
  auto domain =
      ReadRegistryText(kWinlogonKey, kDomainValue, kDomainValueBytes, platform::kHkeyLocalMachine);
  if (!domain || domain->empty()) return std::nullopt;
  return domain;
}

// "\\NAME\NETLOGON\NonExist", or nothing when the controller name is not a server name or the
// path would not fit.
std::optional<std::string> ProbePath(const char* controllerName) {
  if (controllerName == nullptr) return std::nullopt;
  const std::string_view name(controllerName);
  if (name.size() < 3 || name.substr(0, 2) != "\\\\") return std::nullopt;
  std::string path = std::string(name) + kProbeSuffix;
  if (path.size() >= kMaxPath) return std::nullopt;
  return path;
}

SignOnResult ProbeController(const std::string& path) {
  auto& services = platform::Current();
  for (int attempt = 0; attempt < kProbeAttempts; ++attempt) {
    if (attempt > 0) services.Clock().SleepMs(kProbeIntervalMs);
    if (ProvesAnswer(services.LogonDomain().OpenFileForReading(path))) {
      return SignOnResult::kControllerAnswered;
    }
  }
  return SignOnResult::kNoAnswer;
}

}  // namespace

SignOnResult ContactLogonDomain() {
  const auto domain = LogonDomainName();
  if (!domain) return SignOnResult::kNoDomain;

  platform::DomainControllerInfo* found = nullptr;
  const long result = platform::Current().LogonDomain().DsGetDcName(
      *domain, platform::kDsForceRediscovery | platform::kDsReturnFlatName, &found);
  const ControllerInfo info(found);
  if (result != 0 || !info) return SignOnResult::kNoController;

  const auto path = ProbePath(info->domainControllerName);
  if (!path) return SignOnResult::kNoController;
  return ProbeController(*path);
}

}  // namespace vtr
