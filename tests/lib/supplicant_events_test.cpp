// The binding's answers to the supplicant's events and questions, its bring-up and its part in
// the zero-configuration hand-over.
#include <gmock/gmock.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "lib/supplicant_fixture.h"
#include "platform/ndis_802_11.h"
#include "sim/miniport_log.h"

namespace {

using ::testing::HasSubstr;
using ::testing::Not;
using testing_support::SupplicantTest;

class SupplicantEventsTest : public SupplicantTest {
 protected:
  // The program runs from a folder of the test's own, beside its settings file.
  void UseSettings(const std::string& text) {
    const auto dir = testing_support::MakeTempDirectory();
    std::ofstream(dir / "Radiodesk.ini") << text;
    static_cast<sim::SimProcess&>(Machine().Process())
        .SetProgramFileName((dir / "Radiodesk.exe").string());
  }

  // Connects with a password Office-Corp refuses and waits until the refusal was handled.
  void Refused() {
    ProfileRecord profile = PeapProfile("alice", "wrong", "HALVORN");
    Supplicant().ClearLog();
    sim::CurrentMiniportLog().Clear();
    ASSERT_TRUE(VTR_ConnectToAP(&profile, 2));
    Supplicant().WaitIdle();
    ASSERT_EQ(Count(Supplicant().Log(), "event status 301"), 1u);
  }

  static bool ParkedOnRejection() {
    bool disassociated = false;
    for (const auto& request : sim::CurrentMiniportLog().Requests()) {
      if (!request.set) continue;
      if (request.oid == platform::kOid802_11Disassociate) disassociated = true;
      if (request.oid != platform::kOid802_11Ssid || request.in.size() != 36) continue;
      const std::vector<uint8_t> name(request.in.begin() + 4, request.in.end());
      if (disassociated && request.in[0] == 32 && name == std::vector<uint8_t>(32, 0x10)) {
        return true;
      }
    }
    return false;
  }
};

TEST_F(SupplicantEventsTest, RejectionParksTheAdapterOnlyWhenTheSettingsFileSaysSo) {
  Refused();  // the program's folder has no settings file
  EXPECT_FALSE(ParkedOnRejection());

  UseSettings("[Advance]\nGenericRejectedCallback=0\n");
  Refused();
  EXPECT_FALSE(ParkedOnRejection());

  UseSettings("[General]\nGenericRejectedCallback=1\n[Advance]\n");
  Refused();
  EXPECT_FALSE(ParkedOnRejection());

  UseSettings("; written by the utility\n[ADVANCE]\n  genericrejectedcallback = \"1\"\n");
  Refused();
  EXPECT_TRUE(ParkedOnRejection());
}

TEST_F(SupplicantEventsTest, QuestionsOutsideTheTableAreTracedAndLeftUnanswered) {
  ::setenv("RADIODESK_DEBUG_OUTPUT", "1", 1);
  ::testing::internal::CaptureStderr();
  for (uint32_t type : {99u, 4u, 17u, 9u, 11u}) Supplicant().RaiseRequest(type);
  Supplicant().WaitIdle();
  const std::string trace = ::testing::internal::GetCapturedStderr();
  ::unsetenv("RADIODESK_DEBUG_OUTPUT");

  EXPECT_THAT(trace, HasSubstr("*** UI request type 99 not handled ***"));
  EXPECT_THAT(trace, HasSubstr("*** UI request type 4 not handled ***"));
  EXPECT_THAT(trace, Not(HasSubstr("type 17")));  // ignored without a trace
  const auto log = Supplicant().Log();
  EXPECT_EQ(Count(log, "request 99 unanswered"), 1u);
  EXPECT_EQ(Count(log, "request 4 unanswered"), 1u);
  EXPECT_EQ(Count(log, "request 17 unanswered"), 1u);
  // The EAP method list falls to the supplicant's defaults; with no EAP-TLS profile handed over
  // there is no certificate either.
  EXPECT_EQ(Count(log, "request 9 answered"), 1u);
  EXPECT_EQ(Count(log, "request 11 answered"), 1u);
  EXPECT_EQ(Count(log, "acCredDeferred"), 2u);
}

TEST_F(SupplicantEventsTest, RogueAccessPointReportReassociatesThePort) {
  ProfileRecord profile = PskProfile("HomeNet", "correct horse battery");
  ASSERT_TRUE(VTR_ConnectToAP(&profile, 0));
  Supplicant().WaitIdle();
  Supplicant().ClearLog();
  Supplicant().RaiseRequest(16);
  Supplicant().WaitIdle();
  const std::vector<std::string> order = {"acCredCcxRogueAP", "acPortDisassociate",
                                          "acPortAssociate HomeNet", "request 16 answered",
                                          "event state 5"};
  EXPECT_EQ(Only(order), order);
  platform::Current().Clock().SleepMs(5000);
  EXPECT_EQ(Address(), "192.168.1.100");
}

TEST_F(SupplicantEventsTest, SecondPostAuthenticationStartWhileOneRunsStartsNothing) {
  Supplicant().HoldAddressQueries(true);
  Supplicant().Raise(std::nullopt, platform::kAcStateAuthenticated, std::nullopt);
  ASSERT_TRUE(Supplicant().WaitForLog("acIpIsConnected", 1));
  // The first run waits in its first question; the second authentication finds it busy.
  Supplicant().Raise(std::nullopt, platform::kAcStateAuthenticated, std::nullopt);
  Supplicant().WaitIdle();
  Supplicant().HoldAddressQueries(false);
  // No link: 15 checks 1000 ms apart, DHCP on, 30 reads of 0.0.0.0, a renewal, one more check.
  ASSERT_TRUE(Supplicant().WaitForLog("acIpDhcpRenew", 1));
  ASSERT_TRUE(Supplicant().WaitForLog("acIpIsConnected", 16));
  const auto log = Supplicant().Log();
  EXPECT_EQ(Count(log, "event state 5"), 2u);
  EXPECT_EQ(Count(log, "acIpIsConnected"), 16u);
  EXPECT_EQ(Count(log, "acIpDhcpIsEnabled"), 1u);
  EXPECT_EQ(Count(log, "acIpGetConfig"), 30u);
  EXPECT_EQ(Count(log, "acIpDhcpRenew"), 1u);
}

TEST_F(SupplicantEventsTest, AddressCheckEndsAtTheFirstAddress) {
  ProfileRecord profile = PskProfile("HomeNet", "correct horse battery");
  ASSERT_TRUE(VTR_ConnectToAP(&profile, 0));
  // The run began when the port authenticated; the address came 2 s after the link.
  ASSERT_TRUE(Supplicant().WaitForLog("acIpDhcpIsEnabled", 1));
  ASSERT_TRUE(Supplicant().WaitForLog("acIpGetConfig", 1));
  VTR_UnInitialize();  // waits for the run
  const auto log = Supplicant().Log();
  EXPECT_EQ(Count(log, "acIpDhcpIsEnabled"), 1u);
  EXPECT_EQ(Count(log, "acIpGetConfig"), 1u);
  EXPECT_EQ(Count(log, "acIpDhcpRenew"), 0u);
  EXPECT_GE(Count(log, "acIpIsConnected"), 1u);
}

TEST_F(SupplicantEventsTest, SingleSignOnFollowsTheAddressOnlyOnADomainMachine) {
  // A machine in a workgroup: no "WinlogonDomain", so no lookup after the address.
  auto description = testing_support::XpDescription();
  description.erase("logonDomain");
  TearDown();
  StartOn(description);
  ProfileRecord profile = PeapProfile("alice", "Winter2008!", "HALVORN");
  ASSERT_TRUE(VTR_ConnectToAP(&profile, 0));
  ASSERT_TRUE(Supplicant().WaitForLog("acIpGetConfig", 1));
  VTR_UnInitialize();
  EXPECT_TRUE(Machine().logonDomain().Requests().empty());

  description["logonDomain"] = {{"name", "HALVORN"}, {"controller", "\\\\DC1"}};
  TearDown();
  StartOn(description);
  ASSERT_TRUE(VTR_ConnectToAP(&profile, 0));
  ASSERT_TRUE(Supplicant().WaitForLog("acIpGetConfig", 1));
  VTR_UnInitialize();
  const auto requests = Machine().logonDomain().Requests();
  ASSERT_GE(requests.size(), 2u);
  EXPECT_EQ(requests[0].kind, sim::LogonDomainRequest::Kind::kLookup);
  EXPECT_EQ(requests[0].target, "HALVORN");
  EXPECT_EQ(requests[1].kind, sim::LogonDomainRequest::Kind::kOpen);
}

TEST_F(SupplicantEventsTest, FailedInitialisationLeavesTheLibraryWithout8021x) {
  auto description = testing_support::XpDescription();
  description["supplicant"]["failingCall"] = "acEapTLSInit";
  TearDown();
  StartOn(description);
  // Taking the adapter back from Windows runs the sequence again, on this machine.
  ASSERT_TRUE(VTR_EnableZeroConfig(1));
  Supplicant().ClearLog();
  ASSERT_TRUE(VTR_EnableZeroConfig(0));
  const std::vector<std::string> sequence = {"acInit",
                                             "ac8021xInit",
                                             "acRsnInit",
                                             "acEapFASTInit",
                                             "acEapGTCInit",
                                             "acEapLEAPInit",
                                             "acEapMD5Init",
                                             "acEapMSCHAPv2Init",
                                             "acEapPEAPInit",
                                             "acEapTLSInit",
                                             "acEapTTLSInit",
                                             "acCcxInit",
                                             "acPortAttach {9B1F3C5D-7E2A-4F60-8D4B-1C3E5A7F9B20}"};
  const std::vector<std::string> expected(sequence.begin(), sequence.begin() + 10);
  EXPECT_EQ(Only(sequence), expected);

  // WPA gets no port; everything else works.
  ProfileRecord wpa = PskProfile("HomeNet", "correct horse battery");
  EXPECT_TRUE(VTR_ConnectToAP(&wpa, 2));
  EXPECT_EQ(Count(Supplicant().Log(), "acPortAssociate HomeNet"), 0u);
  ProfileRecord open = Profile("CoffeeShop", VTR_AUTH_OPEN);
  open.encryption = VTR_CIPHER_NONE;
  EXPECT_TRUE(VTR_ConnectToAP(&open, 0));

  // The next start tries again.
  Supplicant().ClearLog();
  EXPECT_EQ(VTR_Initialize(0), 3);
  EXPECT_EQ(Only(sequence), expected);
}

TEST_F(SupplicantEventsTest, HandOverToWindowsDetachesThePortAndTakingBackAttachesIt) {
  ProfileRecord profile = PskProfile("HomeNet", "correct horse battery");
  ASSERT_TRUE(VTR_ConnectToAP(&profile, 0));
  Supplicant().ClearLog();
  ASSERT_TRUE(VTR_EnableZeroConfig(1));
  const std::vector<std::string> handOver = {"acPortDisassociate", "acPortStop", "acRsnPskDestroy",
                                             "acPortDetach"};
  EXPECT_EQ(Only(handOver), handOver);
  EXPECT_EQ(Address(), "0.0.0.0");

  ASSERT_TRUE(VTR_EnableZeroConfig(0));
  EXPECT_EQ(Count(Supplicant().Log(), "acCcxInit"), 1u);
  EXPECT_EQ(Count(Supplicant().Log(), "acPortAttach {9B1F3C5D-7E2A-4F60-8D4B-1C3E5A7F9B20}"), 1u);
  EXPECT_TRUE(VTR_ConnectToAP(&profile, 0));
  EXPECT_EQ(Address(), "192.168.1.100");
}

}  // namespace
