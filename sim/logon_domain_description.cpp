#include "sim/logon_domain_description.h"

#include <array>
#include <utility>

#include "platform/logon_domain.h"
#include "platform/win_errors.h"
#include "sim/description_fields.h"

namespace sim {
namespace {

using namespace fields;

constexpr std::array<std::pair<const char*, NetlogonAnswer>, 7> kAnswerNames = {{
    {"notFound", NetlogonAnswer::kNotFound},
    {"accessDenied", NetlogonAnswer::kAccessDenied},
    {"accountDisabled", NetlogonAnswer::kAccountDisabled},
    {"lockedOut", NetlogonAnswer::kLockedOut},
    {"noLogonServers", NetlogonAnswer::kNoLogonServers},
    {"badNetName", NetlogonAnswer::kBadNetName},
    {"silent", NetlogonAnswer::kSilent},
}};

// A NetBIOS domain name: 1 to 15 characters.
constexpr size_t kMaxFlatNameChars = 15;
// A server name as DsGetDcNameA reports it: two backslashes, then a NetBIOS or DNS name.
constexpr size_t kMaxControllerChars = 2 + 255;
constexpr uint32_t kMaxAnswerAfter = 100;

NetlogonAnswer ReadAnswer(const json& value, const std::string& where) {
  const std::string text = Text(value, where);
  for (const auto& [name, answer] : kAnswerNames) {
    if (text == name) return answer;
  }
  throw FieldError(where +
                   ": expected \"notFound\", \"accessDenied\", \"accountDisabled\", "
                   "\"lockedOut\", \"noLogonServers\", \"badNetName\" or \"silent\"");
}

std::string ReadController(const json& value, const std::string& where) {
  std::string text = Text(value, where);
  if (text.size() < 3 || text.compare(0, 2, "\\\\") != 0 ||
      text.find('\\', 2) != std::string::npos) {
    throw FieldError(where + ": expected a server name like \"\\\\\\\\DC1\"");
  }
  if (text.size() > kMaxControllerChars) throw FieldError(where + ": at most 257 characters");
  return text;
}

}  // namespace

LogonDomainDescription ReadLogonDomain(const json& value, const std::string& where) {
  ExpectObject(value, where);
  LogonDomainDescription domain;
  domain.name = Text(Required(value, where, "name"), where + ".name");
  if (domain.name.empty() || domain.name.size() > kMaxFlatNameChars) {
    throw FieldError(where + ".name: expected 1 to 15 characters");
  }
  Optional(value, where, "controller",
           [&](const json& v, const std::string& w) { domain.controller = ReadController(v, w); });
  Optional(value, where, "netlogon",
           [&](const json& v, const std::string& w) { domain.netlogon = ReadAnswer(v, w); });
  Optional(value, where, "answerAfterAttempts", [&](const json& v, const std::string& w) {
    domain.answerAfterAttempts = Number<uint32_t>(v, w);
    if (domain.answerAfterAttempts > kMaxAnswerAfter) throw FieldError(w + ": at most 100");
  });
  return domain;
}

std::optional<long> NetlogonError(NetlogonAnswer answer) {
  switch (answer) {
    case NetlogonAnswer::kNotFound:
      return platform::kErrorFileNotFound;
    case NetlogonAnswer::kAccessDenied:
      return platform::kErrorAccessDenied;
    case NetlogonAnswer::kAccountDisabled:
      return platform::kErrorAccountDisabled;
    case NetlogonAnswer::kLockedOut:
      return platform::kErrorAccountLockedOut;
    case NetlogonAnswer::kNoLogonServers:
      return platform::kErrorNoLogonServers;
    case NetlogonAnswer::kBadNetName:
      return platform::kErrorBadNetName;
    case NetlogonAnswer::kSilent:
      break;
  }
  return std::nullopt;
}

}  // namespace sim
