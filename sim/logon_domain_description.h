// machine.json's "logonDomain": the Windows domain the machine logs on to, its controller and
// how the controller's NETLOGON share answers.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include <nlohmann/json_fwd.hpp>

namespace sim {

// What the controller's NETLOGON share answers when asked for a file that is not there.
enum class NetlogonAnswer {
  kNotFound,         // "notFound": ERROR_FILE_NOT_FOUND 2
  kAccessDenied,     // "accessDenied": ERROR_ACCESS_DENIED 5
  kAccountDisabled,  // "accountDisabled": ERROR_ACCOUNT_DISABLED 1331
  kLockedOut,        // "lockedOut": ERROR_ACCOUNT_LOCKED_OUT 1909
  kNoLogonServers,   // "noLogonServers": ERROR_NO_LOGON_SERVERS 1311
  kBadNetName,       // "badNetName": ERROR_BAD_NET_NAME 67
  kSilent,           // "silent": never answers
};

struct LogonDomainDescription {
  std::string name;                    // the flat name, written to "WinlogonDomain"
  std::string controller = "\\\\DC1";  // "\\NAME", as DsGetDcNameA reports it
  NetlogonAnswer netlogon = NetlogonAnswer::kNotFound;
  // The controller's first requests go unanswered, as while the new network's route settles.
  uint32_t answerAfterAttempts = 0;
};

// Reads the section; faults name the field below where.
LogonDomainDescription ReadLogonDomain(const nlohmann::json& value, const std::string& where);

// The error an answered request gives, or nothing for a silent share.
std::optional<long> NetlogonError(NetlogonAnswer answer);

}  // namespace sim
