// The machine's logon domain: its description with the field at fault named, the Winlogon value
// a new machine gets, the controller lookup and what the controller's shares answer.
#include <gtest/gtest.h>

#include <string>
#include <variant>

#include "platform/logon_domain.h"
#include "platform/services.h"
#include "platform/win_errors.h"
#include "sim/logon_domain.h"
#include "sim/machine_description.h"
#include "support/machine_fixture.h"

namespace {

using testing_support::MachineTest;

std::string ParseFault(const nlohmann::json& logonDomain) {
  auto description = testing_support::XpDescription();
  description["logonDomain"] = logonDomain;
  const auto parsed = sim::ParseMachineDescription(description.dump());
  if (const auto* fault = std::get_if<std::string>(&parsed)) return *fault;
  return "";
}

TEST(LogonDomainDescription, FaultsNameTheField) {
  const struct {
    nlohmann::json section;
    const char* fault;
  } cases[] = {
      {"HALVORN", "machine.json.logonDomain: expected an object"},
      {{{"controller", "\\\\DC1"}}, "machine.json.logonDomain: missing required field \"name\""},
      {{{"name", ""}}, "machine.json.logonDomain.name: expected 1 to 15 characters"},
      {{{"name", "SIXTEEN-CHARS-XX"}},
       "machine.json.logonDomain.name: expected 1 to 15 characters"},
      {{{"name", "H"}, {"controller", "DC1"}},
       "machine.json.logonDomain.controller: expected a server name like \"\\\\\\\\DC1\""},
      {{{"name", "H"}, {"controller", "\\\\DC1\\NETLOGON"}},
       "machine.json.logonDomain.controller: expected a server name like \"\\\\\\\\DC1\""},
      {{{"name", "H"}, {"controller", "\\\\" + std::string(256, 'D')}},
       "machine.json.logonDomain.controller: at most 257 characters"},
      {{{"name", "H"}, {"netlogon", "refused"}},
       "machine.json.logonDomain.netlogon: expected \"notFound\", \"accessDenied\", "
       "\"accountDisabled\", \"lockedOut\", \"noLogonServers\", \"badNetName\" or \"silent\""},
      {{{"name", "H"}, {"answerAfterAttempts", -1}},
       "machine.json.logonDomain.answerAfterAttempts: number out of range"},
      {{{"name", "H"}, {"answerAfterAttempts", 101}},
       "machine.json.logonDomain.answerAfterAttempts: at most 100"},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseFault(c.section), c.fault) << c.section.dump();
  EXPECT_EQ(ParseFault({{"name", "H"}, {"controller", "\\\\" + std::string(255, 'D')}}), "");
}

class LogonDomainTest : public MachineTest {
 protected:
  void SetUp() override {
    auto description = testing_support::XpDescription();
    description["logonDomain"] = {{"name", "HALVORN"}, {"controller", "\\\\HALVORN-DC1"}};
    UseMachine(description);
  }
  platform::LogonDomainPort& Port() { return platform::Current().LogonDomain(); }
};

TEST_F(LogonDomainTest, NewMachineKnowsItsDomainAndFindsItsController) {
  platform::RegKey key;
  auto& registry = platform::Current().Registry();
  ASSERT_EQ(registry.OpenKey(platform::kHkeyLocalMachine,
                             "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon\\Halvorn",
                             platform::kKeyRead, key),
            0);
  char name[32] = {};
  uint32_t size = sizeof name;
  uint32_t type = 0;
  ASSERT_EQ(
      registry.QueryValue(key, "WinlogonDomain", &type, reinterpret_cast<uint8_t*>(name), &size),
      0);
  EXPECT_EQ(type, platform::kRegSz);
  EXPECT_EQ(std::string(name, size), std::string("HALVORN", 8));  // with its terminator

  platform::DomainControllerInfo* info = nullptr;
  ASSERT_EQ(Port().DsGetDcName("halvorn", platform::kDsForceRediscovery, &info), 0);
  ASSERT_NE(info, nullptr);
  EXPECT_STREQ(info->domainControllerName, "\\\\HALVORN-DC1");
  EXPECT_STREQ(info->domainName, "HALVORN");
  EXPECT_EQ(sim::CurrentLogonDomain().OutstandingBuffers(), 1u);
  EXPECT_EQ(Port().NetApiBufferFree(info), 0);
  EXPECT_EQ(sim::CurrentLogonDomain().OutstandingBuffers(), 0u);
  // A buffer given back twice, or one the port never handed out, is refused.
  EXPECT_EQ(Port().NetApiBufferFree(info), platform::kErrorInvalidParameter);

  info = reinterpret_cast<platform::DomainControllerInfo*>(1);
  EXPECT_EQ(Port().DsGetDcName("HALVORN.EXAMPLE", 0, &info), platform::kErrorNoSuchDomain);
  EXPECT_EQ(info, nullptr);
}

TEST_F(LogonDomainTest, OnlyTheControllersNetlogonShareAnswers) {
  const struct {
    const char* path;
    long error;
  } cases[] = {
      {"\\\\HALVORN-DC1\\NETLOGON\\NonExist", platform::kErrorFileNotFound},
      {"\\\\halvorn-dc1\\netlogon\\NonExist", platform::kErrorFileNotFound},
      {"\\\\HALVORN-DC1\\SYSVOL\\NonExist", platform::kErrorBadNetName},
      {"\\\\FILESERVER\\NETLOGON\\NonExist", sim::kErrorBadNetPath},
      {"\\\\HALVORN-DC1", sim::kErrorInvalidName},
      {"\\\\\\NETLOGON\\NonExist", sim::kErrorInvalidName},
      {"C:\\NETLOGON\\NonExist", sim::kErrorInvalidName},
  };
  for (const auto& c : cases) EXPECT_EQ(Port().OpenFileForReading(c.path), c.error) << c.path;
  // Every request is in the log, in order.
  const auto requests = sim::CurrentLogonDomain().Requests();
  ASSERT_EQ(requests.size(), std::size(cases));
  EXPECT_EQ(requests[2].target, cases[2].path);
  EXPECT_EQ(requests[2].result, platform::kErrorBadNetName);
}

}  // namespace
