#include "sim/logon_domain.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <utility>

#include "platform/win_errors.h"
#include "sim/sim_machine.h"

namespace sim {
namespace {

// Windows names domains, servers and shares without regard to case.
bool SameName(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) ==
           std::tolower(static_cast<unsigned char>(y));
  });
}

constexpr uint32_t kAddressTypeNetbios = 2;
// DS_PDC_FLAG | DS_WRITABLE_FLAG: the one controller of a small domain.
constexpr uint32_t kControllerFlags = 0x00000001u | 0x00000010u;

// "\\server\share\rest" split at its separators; nothing when the path names no share.
struct SharePath {
  std::string_view server;
  std::string_view share;
};
std::optional<SharePath> SplitSharePath(std::string_view path) {
  if (path.size() < 3 || path.substr(0, 2) != "\\\\") return std::nullopt;
  const auto serverEnd = path.find('\\', 2);
  if (serverEnd == std::string_view::npos || serverEnd == 2) return std::nullopt;
  const auto shareEnd = path.find('\\', serverEnd + 1);
  const auto share =
      path.substr(serverEnd + 1, shareEnd == std::string_view::npos ? std::string_view::npos
                                                                    : shareEnd - serverEnd - 1);
  if (share.empty()) return std::nullopt;
  return SharePath{path.substr(2, serverEnd - 2), share};
}

}  // namespace

// The record and the texts it points into, held together until NetApiBufferFree.
struct SimLogonDomain::Buffer {
  std::string controllerName;
  std::string domainName;
  std::string siteName = "Default-First-Site-Name";
  platform::DomainControllerInfo info{};
};

SimLogonDomain::SimLogonDomain(std::optional<LogonDomainDescription> domain)
    : domain_(std::move(domain)) {}

SimLogonDomain::~SimLogonDomain() = default;

long SimLogonDomain::DsGetDcName(std::string_view domainName, uint32_t flags,
                                 platform::DomainControllerInfo** info) {
  if (info == nullptr) return platform::kErrorInvalidParameter;
  *info = nullptr;
  LogonDomainRequest request{LogonDomainRequest::Kind::kLookup, std::string(domainName), flags,
                             platform::kErrorNoSuchDomain};
  if (domain_ && SameName(domainName, domain_->name)) {
    auto buffer = std::make_unique<Buffer>();
    buffer->controllerName = domain_->controller;
    buffer->domainName = domain_->name;
    platform::DomainControllerInfo& record = buffer->info;
    record.domainControllerName = buffer->controllerName.c_str();
    record.domainControllerAddress = buffer->controllerName.c_str();
    record.domainControllerAddressType = kAddressTypeNetbios;
    record.domainName = buffer->domainName.c_str();
    record.dnsForestName = nullptr;
    record.flags = kControllerFlags;
    record.dcSiteName = buffer->siteName.c_str();
    record.clientSiteName = buffer->siteName.c_str();
    *info = &record;
    request.result = platform::kErrorSuccess;
    std::lock_guard lock(mutex_);
    buffers_.emplace(&record, std::move(buffer));
    sinceLookup_ = 0;
  }
  const long result = request.result;
  Log(std::move(request));
  return result;
}

long SimLogonDomain::NetApiBufferFree(platform::DomainControllerInfo* info) {
  long result = platform::kErrorSuccess;
  if (info != nullptr) {
    std::lock_guard lock(mutex_);
    if (buffers_.erase(info) == 0) result = platform::kErrorInvalidParameter;
  }
  Log({LogonDomainRequest::Kind::kFree, "", 0, result});
  return result;
}

long SimLogonDomain::OpenFileForReading(std::string_view path) {
  const long result = Open(path);
  Log({LogonDomainRequest::Kind::kOpen, std::string(path), 0, result});
  return result;
}

long SimLogonDomain::Open(std::string_view path) {
  const auto share = SplitSharePath(path);
  if (!share) return kErrorInvalidName;
  if (!domain_ || !SameName(share->server, std::string_view(domain_->controller).substr(2))) {
    return kErrorBadNetPath;
  }
  // The controller offers its NETLOGON share only, and that share holds no files.
  if (!SameName(share->share, "NETLOGON")) return platform::kErrorBadNetName;
  const auto answer = NetlogonError(domain_->netlogon);
  std::lock_guard lock(mutex_);
  if (++sinceLookup_ <= domain_->answerAfterAttempts || !answer) return kErrorBadNetPath;
  return *answer;
}

void SimLogonDomain::Log(LogonDomainRequest request) {
  requests_.Add(std::move(request));
}

std::vector<LogonDomainRequest> SimLogonDomain::Requests() const {
  return requests_.All();
}

void SimLogonDomain::ClearRequests() {
  requests_.Clear();
}

size_t SimLogonDomain::OutstandingBuffers() const {
  std::lock_guard lock(mutex_);
  return buffers_.size();
}

SimLogonDomain& CurrentLogonDomain() {
  return static_cast<SimMachine&>(platform::Current()).logonDomain();
}

}  // namespace sim
