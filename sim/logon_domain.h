// The logon domain's network on the simulated machine: the controller of the domain the
// description names, and its NETLOGON share. Every request is logged, so tests can assert what
// reached the network and that every lookup buffer was given back.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/logon_domain.h"
#include "sim/logon_domain_description.h"
#include "sim/recent_log.h"

namespace sim {

// The error of a share request nobody answered: the network path was not found.
inline constexpr long kErrorBadNetPath = 53;
// A path that names no share.
inline constexpr long kErrorInvalidName = 123;

struct LogonDomainRequest {
  enum class Kind { kLookup, kOpen, kFree };
  Kind kind = Kind::kLookup;
  std::string target;  // the domain looked up, or the path opened
  uint32_t flags = 0;  // a lookup's flags
  long result = 0;
};

class SimLogonDomain : public platform::LogonDomainPort {
 public:
  explicit SimLogonDomain(std::optional<LogonDomainDescription> domain);
  ~SimLogonDomain() override;

  long DsGetDcName(std::string_view domainName, uint32_t flags,
                   platform::DomainControllerInfo** info) override;
  long NetApiBufferFree(platform::DomainControllerInfo* info) override;
  long OpenFileForReading(std::string_view path) override;

  std::vector<LogonDomainRequest> Requests() const;
  void ClearRequests();
  // Lookup buffers handed out and not yet freed.
  size_t OutstandingBuffers() const;

 private:
  struct Buffer;

  long Open(std::string_view path);
  void Log(LogonDomainRequest request);

  const std::optional<LogonDomainDescription> domain_;
  mutable std::mutex mutex_;
  RecentLog<LogonDomainRequest> requests_;
  std::map<const platform::DomainControllerInfo*, std::unique_ptr<Buffer>> buffers_;
  // NETLOGON requests since the last lookup, for the controller's first unanswered ones.
  uint32_t sinceLookup_ = 0;
};

// The current machine's logon domain (tests read its log).
SimLogonDomain& CurrentLogonDomain();

}  // namespace sim
