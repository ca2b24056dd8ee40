// Single sign-on on a simulated machine: which Winlogon values lead to a controller lookup, how
// the NETLOGON request is repeated on the machine clock, and that every lookup buffer goes back.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lib/driver/single_sign_on.h"
#include "platform/logon_domain.h"
#include "platform/services.h"
#include "sim/logon_domain.h"
#include "support/machine_fixture.h"

namespace {

using testing_support::MachineTest;
using vtr::SignOnResult;
using Kind = sim::LogonDomainRequest::Kind;

constexpr const char* kWinlogonKey =
    "Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon\\Halvorn";
constexpr const char* kProbe = "\\\\DC1\\NETLOGON\\NonExist";

class SingleSignOnTest : public MachineTest {
 protected:
  // A machine in the domain HALVORN whose controller \\DC1 answers as given.
  void UseDomainMachine(const std::string& netlogon, uint32_t answerAfterAttempts = 0,
                        const std::string& controller = "\\\\DC1") {
    auto description = testing_support::XpDescription();
    description["logonDomain"] = {{"name", "HALVORN"},
                                  {"controller", controller},
                                  {"netlogon", netlogon},
                                  {"answerAfterAttempts", answerAfterAttempts}};
    UseMachine(description);
  }
  void UseWorkgroupMachine() {
    auto description = testing_support::XpDescription();
    description.erase("logonDomain");
    UseMachine(description);
  }

  // Replaces the Winlogon value with these bytes, stored as they are.
  void SetDomainBytes(const std::string& bytes) {
    platform::RegKey key;
    auto& registry = platform::Current().Registry();
    ASSERT_EQ(
        registry.CreateKey(platform::kHkeyLocalMachine, kWinlogonKey, platform::kKeyAllAccess, key),
        0);
    ASSERT_EQ(registry.SetValue(key, "WinlogonDomain", platform::kRegSz,
                                reinterpret_cast<const uint8_t*>(bytes.data()),
                                static_cast<uint32_t>(bytes.size())),
              0);
  }

  // Runs the contact; the machine time it took.
  uint64_t Contact(SignOnResult& result) {
    sim::CurrentLogonDomain().ClearRequests();
    const uint64_t start = platform::Current().Clock().NowMs();
    result = vtr::ContactLogonDomain();
    // However it ended, the lookup buffer was given back.
    EXPECT_EQ(sim::CurrentLogonDomain().OutstandingBuffers(), 0u);
    return platform::Current().Clock().NowMs() - start;
  }

  static std::vector<sim::LogonDomainRequest> Requests(Kind kind) {
    std::vector<sim::LogonDomainRequest> matching;
    for (const auto& request : sim::CurrentLogonDomain().Requests()) {
      if (request.kind == kind) matching.push_back(request);
    }
    return matching;
  }
};

TEST_F(SingleSignOnTest, NoUsableDomainValueEndsWithoutAnyNetworkLookup) {
  SignOnResult result{};
  UseWorkgroupMachine();  // no Winlogon key at all
  EXPECT_EQ(Contact(result), 0u);
  EXPECT_EQ(result, SignOnResult::kNoDomain);
  EXPECT_TRUE(sim::CurrentLogonDomain().Requests().empty());

  UseDomainMachine("notFound");
  const struct {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"an empty value", std::string(1, '\0')},
      {"a value without its terminator that fills all 128 bytes", std::string(128, 'H')},
      {"a value longer than 128 bytes", std::string(200, 'H') + '\0'},
      {"a value that begins with its terminator", std::string("\0HALVORN", 8)},
  };
  for (const auto& c : cases) {
    SetDomainBytes(c.bytes);
    EXPECT_EQ(Contact(result), 0u) << c.what;
    EXPECT_EQ(result, SignOnResult::kNoDomain) << c.what;
    EXPECT_TRUE(sim::CurrentLogonDomain().Requests().empty()) << c.what;
  }

  // The key without the value.
  platform::RegKey key;
  auto& registry = platform::Current().Registry();
  ASSERT_EQ(
      registry.OpenKey(platform::kHkeyLocalMachine, kWinlogonKey, platform::kKeyAllAccess, key), 0);
  ASSERT_EQ(registry.DeleteValue(key, "WinlogonDomain"), 0);
  EXPECT_EQ(Contact(result), 0u);
  EXPECT_EQ(result, SignOnResult::kNoDomain);
  EXPECT_TRUE(sim::CurrentLogonDomain().Requests().empty());
}

TEST_F(SingleSignOnTest, DomainValueIsTheTextUpToItsTerminatorWithinItsBytes) {
  UseDomainMachine("notFound");
  SignOnResult result{};
  const struct {
    const char* what;
    std::string bytes;
    std::string looked;
  } cases[] = {
      {"as the machine was set up", "HALVORN" + std::string(1, '\0'), "HALVORN"},
      {"stored without a terminator", "halvorn", "halvorn"},
      {"followed by other bytes", std::string("HALVORN\0junk", 12), "HALVORN"},
      {"127 characters and the terminator: the longest that fits", std::string(127, 'X') + '\0',
       std::string(127, 'X')},
  };
  for (const auto& c : cases) {
    SetDomainBytes(c.bytes);
    Contact(result);
    const auto lookups = Requests(Kind::kLookup);
    ASSERT_EQ(lookups.size(), 1u) << c.what;
    EXPECT_EQ(lookups[0].target, c.looked) << c.what;
    EXPECT_EQ(lookups[0].flags, platform::kDsForceRediscovery | platform::kDsReturnFlatName);
  }
  // Only the domain's own name finds its controller (in any case); the others find none.
  EXPECT_EQ(result, SignOnResult::kNoController);
  SetDomainBytes("halvorn");
  Contact(result);
  EXPECT_EQ(result, SignOnResult::kControllerAnswered);
}

TEST_F(SingleSignOnTest, EachAnswerThatProvesTheControllerEndsTheAttemptsAtOnce) {
  const struct {
    const char* netlogon;
    long error;
  } answers[] = {
      {"notFound", 2},     {"accessDenied", 5},      {"accountDisabled", 1331},
      {"lockedOut", 1909}, {"noLogonServers", 1311}, {"badNetName", 67},
  };
  for (const auto& answer : answers) {
    UseDomainMachine(answer.netlogon);
    SignOnResult result{};
    EXPECT_EQ(Contact(result), 0u) << answer.netlogon;
    EXPECT_EQ(result, SignOnResult::kControllerAnswered) << answer.netlogon;
    const auto opens = Requests(Kind::kOpen);
    ASSERT_EQ(opens.size(), 1u) << answer.netlogon;
    EXPECT_EQ(opens[0].target, kProbe);
    EXPECT_EQ(opens[0].result, answer.error) << answer.netlogon;
    EXPECT_EQ(Requests(Kind::kFree).size(), 1u);
  }
}

TEST_F(SingleSignOnTest, UnansweredRequestsAreRepeatedSevenTimesHalfASecondApart) {
  UseDomainMachine("silent");
  SignOnResult result{};
  EXPECT_EQ(Contact(result), 3000u);
  EXPECT_EQ(result, SignOnResult::kNoAnswer);
  const auto opens = Requests(Kind::kOpen);
  ASSERT_EQ(opens.size(), 7u);
  for (const auto& open : opens) EXPECT_EQ(open.result, sim::kErrorBadNetPath);

  // A controller that answers the fourth request: three waits, then done.
  UseDomainMachine("accessDenied", 3);
  EXPECT_EQ(Contact(result), 1500u);
  EXPECT_EQ(result, SignOnResult::kControllerAnswered);
  EXPECT_EQ(Requests(Kind::kOpen).size(), 4u);

  // One that would answer only the eighth is never heard.
  UseDomainMachine("notFound", 7);
  EXPECT_EQ(Contact(result), 3000u);
  EXPECT_EQ(result, SignOnResult::kNoAnswer);
}

TEST_F(SingleSignOnTest, NoControllerForTheDomainOrForARequestPathMeansNoRequest) {
  UseDomainMachine("notFound");
  SetDomainBytes("ELSEWHERE");
  SignOnResult result{};
  EXPECT_EQ(Contact(result), 0u);
  EXPECT_EQ(result, SignOnResult::kNoController);
  const auto lookups = Requests(Kind::kLookup);
  ASSERT_EQ(lookups.size(), 1u);
  EXPECT_EQ(lookups[0].result, platform::kErrorNoSuchDomain);
  EXPECT_TRUE(Requests(Kind::kOpen).empty());
  EXPECT_TRUE(Requests(Kind::kFree).empty());  // a failed lookup hands out no buffer

  // The request path must fit in MAX_PATH with its terminator: 241 characters of controller
  // name and the 18 of "\NETLOGON\NonExist" make 259, one more does not fit.
  const std::string longest = "\\\\" + std::string(239, 'D');
  UseDomainMachine("notFound", 0, longest);
  Contact(result);
  EXPECT_EQ(result, SignOnResult::kControllerAnswered);
  ASSERT_EQ(Requests(Kind::kOpen).size(), 1u);
  EXPECT_EQ(Requests(Kind::kOpen)[0].target.size(), 259u);

  UseDomainMachine("notFound", 0, longest + "D");
  EXPECT_EQ(Contact(result), 0u);
  EXPECT_EQ(result, SignOnResult::kNoController);
  EXPECT_TRUE(Requests(Kind::kOpen).empty());
  EXPECT_EQ(Requests(Kind::kFree).size(), 1u);
}

}  // namespace
