// The logon domain's network: NetApi's DsGetDcNameA and NetApiBufferFree, and opening a file
// on a share the way CreateFileA opens one for reading. Results are Windows error codes.
#pragma once

#include <cstdint>
#include <string_view>

namespace platform {

// DsGetDcNameA flags.
inline constexpr uint32_t kDsForceRediscovery = 0x00000001u;
inline constexpr uint32_t kDsReturnFlatName = 0x80000000u;

inline constexpr long kErrorBadNetName = 67;
inline constexpr long kErrorNoLogonServers = 1311;
inline constexpr long kErrorAccountDisabled = 1331;
inline constexpr long kErrorNoSuchDomain = 1355;
inline constexpr long kErrorAccountLockedOut = 1909;

// DOMAIN_CONTROLLER_INFOA. The strings live in the same buffer as the record; the whole buffer
// belongs to the caller until it hands it to NetApiBufferFree.
struct DomainControllerInfo {
  const char* domainControllerName;  // "\\NAME": begins with two backslashes
  const char* domainControllerAddress;
  uint32_t domainControllerAddressType;  // 1 an IP address, 2 a NetBIOS name
  uint8_t domainGuid[16];
  const char* domainName;
  const char* dnsForestName;
  uint32_t flags;
  const char* dcSiteName;
  const char* clientSiteName;
};

class LogonDomainPort {
 public:
  virtual ~LogonDomainPort() = default;
  // Finds a controller of the domain (a flat or DNS name). On success *info is a buffer the
  // caller frees with NetApiBufferFree; otherwise *info is null and the answer is the error,
  // ERROR_NO_SUCH_DOMAIN (1355) for a domain no controller serves.
  virtual long DsGetDcName(std::string_view domainName, uint32_t flags,
                           DomainControllerInfo** info) = 0;
  virtual long NetApiBufferFree(DomainControllerInfo* info) = 0;
  // Opens an existing file for reading and closes it at once: 0 when it opened, else the
  // error CreateFileA would have left for GetLastError. A path on a share ("\\server\share\...")
  // reaches that server, which answers with its own errors, or never answers.
  virtual long OpenFileForReading(std::string_view path) = 0;
};

}  // namespace platform
