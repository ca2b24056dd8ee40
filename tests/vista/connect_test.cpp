// VTR_ConnectToAP of the Vista build against the simulated WLAN service, IP Helper and WMI, in
// virtual time.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "platform/protocol_driver.h"
#include "vista/vista_fixture.h"
#include "vtrlib.h"

namespace {

using testing::ElementsAre;
using testing::HasSubstr;
using testing_support::VistaTest;

constexpr int32_t kAdapterIndex = 11;

ProfileRecord Record(const char* ssid, uint32_t authMode, uint32_t encryption) {
  ProfileRecord record;
  std::memset(&record, 0, sizeof record);
  VTR_InitialProfile(&record);
  std::snprintf(record.ssid, sizeof record.ssid, "%s", ssid);
  std::snprintf(record.profileName, sizeof record.profileName, "%s", ssid);
  record.authMode = authMode;
  record.encryption = encryption;
  return record;
}

ProfileRecord Psk(const char* ssid, uint32_t authMode, uint32_t encryption, const char* key) {
  ProfileRecord record = Record(ssid, authMode, encryption);
  std::snprintf(record.psk, sizeof record.psk, "%s", key);
  record.pskLength = static_cast<uint32_t>(std::strlen(key));
  return record;
}

ProfileRecord Wep(const char* ssid, uint32_t authMode, const char* key) {
  ProfileRecord record = Record(ssid, authMode, 1);
  std::snprintf(record.wepKey[0], sizeof record.wepKey[0], "%s", key);
  record.wepKeyLength[0] = static_cast<uint32_t>(std::strlen(key) / 2);
  record.wepKeyManual = 1;
  return record;
}

class VistaConnectTest : public VistaTest {
 protected:
  void Start(const nlohmann::json& description = testing_support::VistaDescription()) {
    UseVista(description);
    ASSERT_EQ(VTR_Initialize(0), kAdapterIndex);
    Service().Log().Clear();
  }
  uint64_t Now() { return Machine().Clock().NowMs(); }
  VtrLinkInfo Link() {
    VtrLinkInfo link{};
    VTR_APLinkInformation(&link, 0);
    return link;
  }
  std::string Address() {
    VtrIpInfo ip{};
    VTR_APInternetInformation(&ip);
    return ip.ipAddress;
  }
  std::vector<std::string> WmiMethods() {
    std::vector<std::string> methods;
    for (const auto& call : Machine().wmi().MethodCalls()) methods.push_back(call.method);
    return methods;
  }
  std::vector<std::string> WmiStrings(size_t call, const char* parameter) {
    const auto calls = Machine().wmi().MethodCalls();
    std::optional<platform::WmiValue> value;
    if (call >= calls.size() || !calls[call].inParameters ||
        calls[call].inParameters->Get(parameter, value) != 0 || !value) {
      return {"<none>"};
    }
    return value->strings;
  }
  // The arguments the service logged for each call of that name.
  std::vector<std::string> Arguments(const std::string& name) {
    std::vector<std::string> arguments;
    for (const auto& call : Service().Log().Calls()) {
      if (call.name == name)
        arguments.push_back(call.arguments + " -> " + std::to_string(call.result));
    }
    return arguments;
  }
};

// The network each security kind of the neighbourhood is joined with, and the link it reports.
TEST_F(VistaConnectTest, JoinsEverySecurityKind) {
  struct Case {
    ProfileRecord record;
    uint32_t linkAuth;
    uint32_t linkCipher;
  };
  ProfileRecord peap = Record("Office-Corp", 32, 4);
  peap.eapMethod = 1;
  std::snprintf(peap.eapIdentity, sizeof peap.eapIdentity, "%s", "alice");
  std::snprintf(peap.eapPassword, sizeof peap.eapPassword, "%s", "Winter2008!");
  std::snprintf(peap.eapDomain, sizeof peap.eapDomain, "%s", "HALVORN");
  ProfileRecord tls = Record("Office-Corp", 32, 4);
  tls.eapMethod = 0;
  std::snprintf(tls.tlsIdentity, sizeof tls.tlsIdentity, "%s", "bob");
  std::snprintf(tls.tlsCertificateName, sizeof tls.tlsCertificateName, "%s", "Halvorn Issuing CA");
  const Case cases[] = {
      {Record("CoffeeShop", 0, 0), 0, 0},
      {Wep("OldRouter", 0, "1a2b3c4d5e"), 0, 1},
      {Psk("Legacy-WPA", 4, 2, "tkip only please"), 4, 2},
      {Psk("HomeNet", 8, 4, "correct horse battery"), 8, 4},
      {peap, 32, 4},
      {tls, 32, 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.record.ssid);
    Start();
    ProfileRecord record = c.record;
    EXPECT_EQ(VTR_ConnectToAP(&record, 2), 1);
    const VtrLinkInfo link = Link();
    EXPECT_EQ(link.linkState, 1u);
    EXPECT_STREQ(link.ssid, c.record.ssid);
    EXPECT_EQ(link.authMode, c.linkAuth);
    EXPECT_EQ(link.cipher, c.linkCipher);
    // One attempt, as a temporary profile of an infrastructure network, nothing stored.
    const auto connects = Arguments("WlanConnect");
    ASSERT_EQ(connects.size(), 1u);
    EXPECT_THAT(connects[0], HasSubstr("mode=1 "));
    EXPECT_THAT(connects[0], HasSubstr(" bssType=1 "));
    EXPECT_THAT(connects[0], HasSubstr("-> 0"));
    EXPECT_TRUE(Arguments("WlanSetProfile").empty());
    EXPECT_EQ(Service().OutstandingMemory(), 0u);
  }
}

TEST_F(VistaConnectTest, AutoSwitchTriesSharedKeyAfterOpen) {
  Start();
  ProfileRecord record = Wep("Workshop", 2, "2b7e151628aed2a6abf7158809");
  EXPECT_EQ(VTR_ConnectToAP(&record, 2), 1);
  EXPECT_EQ(record.authMode, 1u);
  EXPECT_EQ(Link().linkState, 1u);
  EXPECT_EQ(Link().authMode, 1u);
  EXPECT_EQ(Arguments("WlanConnect").size(), 2u);

  // With a wrong key neither works: two attempts, no connection, and the record keeps the
  // shared key it tried last.
  Start();
  ProfileRecord wrong = Wep("Workshop", 2, "00000000000000000000000000");
  EXPECT_EQ(VTR_ConnectToAP(&wrong, 0), 0);
  EXPECT_EQ(wrong.authMode, 1u);
  EXPECT_EQ(Arguments("WlanConnect").size(), 2u);
  EXPECT_NE(Link().linkState, 1u);
}

// A completion the service announces without a connection is no connection: the result is 0 and
// the IP settings are left alone.
TEST_F(VistaConnectTest, CompletionWithoutConnectionFailsAndKeepsIpSettings) {
  Start();
  ProfileRecord record = Psk("HomeNet", 8, 4, "not the passphrase");
  record.useStaticIp = 1;
  record.ipAddress[0] = 192;
  record.ipAddress[1] = 168;
  record.ipAddress[2] = 1;
  record.ipAddress[3] = 9;
  const uint64_t start = Now();
  EXPECT_EQ(VTR_ConnectToAP(&record, 0), 0);
  // The service took the profile and announced the completion long before the time-out.
  EXPECT_THAT(Arguments("WlanConnect"), ElementsAre(HasSubstr("-> 0")));
  EXPECT_LT(Now() - start, 120'000u);
  EXPECT_TRUE(WmiMethods().empty());
  EXPECT_EQ(record.authMode, 8u);
}

TEST_F(VistaConnectTest, LeapHasNoProfileToConnectWith) {
  Start();
  ProfileRecord record = Record("Office-Corp", 32, 4);
  record.eapMethod = 2;
  EXPECT_EQ(VTR_ConnectToAP(&record, 8), 0);
  // The service is handed no document, refuses it, and stores nothing.
  const auto connects = Arguments("WlanConnect");
  ASSERT_EQ(connects.size(), 1u);
  EXPECT_THAT(connects[0], HasSubstr("profileLength=0"));
  EXPECT_THAT(connects[0], testing::Not(HasSubstr("-> 0")));
  EXPECT_THAT(Arguments("WlanSetProfile"), ElementsAre(testing::Not(HasSubstr("-> 0"))));
  EXPECT_TRUE(WmiMethods().empty());
  EXPECT_NE(Link().linkState, 1u);
}

TEST_F(VistaConnectTest, CallOrderTracesAndStoredProfile) {
  Start();
  ::setenv("RADIODESK_DEBUG_OUTPUT", "1", 1);
  testing::internal::CaptureStderr();
  ProfileRecord record = Psk("HomeNet", 8, 4, "correct horse battery");
  const VtrBool result = VTR_ConnectToAP(&record, 2 | 4 | 8);
  const std::string traces = testing::internal::GetCapturedStderr();
  ::unsetenv("RADIODESK_DEBUG_OUTPUT");
  EXPECT_EQ(result, 1);
  // Not connected before: the disconnect asks and goes no further. Then the connect, the stored
  // copy, and the question whether the connection stands.
  EXPECT_THAT(CallNames(), ElementsAre("WlanQueryInterface", "WlanConnect", "WlanSetProfile",
                                       "WlanQueryInterface"));
  EXPECT_THAT(Arguments("WlanSetProfile"), ElementsAre(HasSubstr("flags=0 overwrite=1")));
  EXPECT_THAT(Arguments("WlanSetProfile"), ElementsAre(HasSubstr("-> 0")));
  const size_t before = traces.find(" call WlanConnect()\r\n");
  const size_t after = traces.find(" call WlanConnect() end\r\n");
  const size_t complete = traces.find("wlan_notification_acm_connection_complete");
  ASSERT_NE(before, std::string::npos) << traces;
  EXPECT_LT(before, after);
  EXPECT_LT(after, complete);
  // Flag 4: WMI is not asked at all.
  EXPECT_TRUE(WmiMethods().empty());

  // The stored profile is the service's under the network's name.
  platform::WlanHandle handle = 0;
  uint32_t version = 0;
  auto& wlan = Service();
  ASSERT_EQ(wlan.WlanOpenHandle(2, &version, &handle), 0);
  std::u16string* xml = nullptr;
  ASSERT_EQ(wlan.WlanGetProfile(handle, Interface(), u"HomeNet", &xml), 0);
  ASSERT_NE(xml, nullptr);
  EXPECT_NE(xml->find(u"<authentication>WPA2PSK</authentication>"), std::u16string::npos);
  wlan.WlanFreeMemory(xml);
  wlan.WlanCloseHandle(handle);

  // Connected now: the next connect disconnects first and waits for the service to say so.
  Service().Log().Clear();
  EXPECT_EQ(VTR_ConnectToAP(&record, 2 | 4), 1);
  const auto names = CallNames();
  ASSERT_GE(names.size(), 3u);
  EXPECT_EQ(names[0], "WlanQueryInterface");
  EXPECT_EQ(names[1], "WlanDisconnect");
  EXPECT_EQ(names[2], "WlanConnect");
}

TEST_F(VistaConnectTest, WaitsForTheLeaseOrGivesUp) {
  Start();
  ProfileRecord record = Record("CoffeeShop", 0, 0);
  const uint64_t start = Now();
  EXPECT_EQ(VTR_ConnectToAP(&record, 0), 1);
  EXPECT_EQ(Address(), "10.20.0.57");
  // The lease came, then ten quiet seconds ended the wait.
  EXPECT_GE(Now() - start, 11'500u);
  // DHCP was on already: only the DNS servers go back to DHCP.
  EXPECT_THAT(WmiMethods(), ElementsAre("SetDNSServerSearchOrder"));
  EXPECT_THAT(WmiStrings(0, "DNSServerSearchOrder"), ElementsAre());

  // A lease that takes longer than ten seconds is not waited for.
  auto description = testing_support::VistaDescription();
  for (auto& network : description["neighbourhood"]) {
    if (network["ssid"] == "CoffeeShop") network["dhcp"]["leaseDelayMs"] = 30'000;
  }
  Start(description);
  const uint64_t late = Now();
  EXPECT_EQ(VTR_ConnectToAP(&record, 0), 0);
  EXPECT_GE(Now() - late, 10'000u);
  EXPECT_LT(Now() - late, 30'000u);
  EXPECT_EQ(Address(), "0.0.0.0");  // connected, no lease yet

  // Flag 2: connected is enough.
  Start(description);
  const uint64_t quick = Now();
  EXPECT_EQ(VTR_ConnectToAP(&record, 2), 1);
  EXPECT_LT(Now() - quick, 10'000u);
}

TEST_F(VistaConnectTest, StaticSettingsGoThroughWmi) {
  Start();
  ProfileRecord record = Record("CoffeeShop", 0, 0);
  record.useStaticIp = 1;
  const uint8_t address[4] = {10, 20, 0, 99};
  const uint8_t mask[4] = {255, 255, 252, 0};
  const uint8_t gateway[4] = {10, 20, 0, 1};
  const uint8_t dns[4] = {10, 20, 0, 2};
  std::memcpy(record.ipAddress, address, 4);
  std::memcpy(record.subnetMask, mask, 4);
  std::memcpy(record.defaultGateway, gateway, 4);
  record.useStaticDns = 1;
  std::memcpy(record.alternateDns, dns, 4);
  const uint64_t start = Now();
  EXPECT_EQ(VTR_ConnectToAP(&record, 0), 1);
  // A fixed address is not waited for.
  EXPECT_LT(Now() - start, 10'000u);
  EXPECT_THAT(WmiMethods(), ElementsAre("EnableStatic", "SetGateways", "SetDNSServerSearchOrder"));
  EXPECT_THAT(WmiStrings(0, "IPAddress"), ElementsAre("10.20.0.99"));
  EXPECT_THAT(WmiStrings(0, "SubnetMask"), ElementsAre("255.255.252.0"));
  EXPECT_THAT(WmiStrings(1, "DefaultIPGateway"), ElementsAre("10.20.0.1"));
  EXPECT_THAT(WmiStrings(2, "DNSServerSearchOrder"), ElementsAre("10.20.0.2"));
  EXPECT_EQ(Address(), "10.20.0.99");
  EXPECT_EQ(std::memcmp(record.alternateDns, dns, 4), 0);

  // Without fixed DNS servers the record's are cleared and DHCP's used; no gateway, no call.
  Start();
  std::memset(record.defaultGateway, 0, 4);
  record.useStaticDns = 0;
  EXPECT_EQ(VTR_ConnectToAP(&record, 2), 1);
  EXPECT_THAT(WmiMethods(), ElementsAre("EnableStatic", "SetDNSServerSearchOrder"));
  EXPECT_THAT(WmiStrings(1, "DNSServerSearchOrder"), ElementsAre());
  const uint8_t zero[4] = {};
  EXPECT_EQ(std::memcmp(record.alternateDns, zero, 4), 0);
}

// An adapter with fixed settings goes back to DHCP, and the fixed gateway's route goes with it.
TEST_F(VistaConnectTest, BackToDhcpDropsTheFixedDefaultRoutes) {
  Start();
  ASSERT_EQ(VTR_WMIEnableStatic(kAdapterIndex, "10.20.0.99", "255.255.252.0"), 0);
  ASSERT_EQ(VTR_WMISetDefaultGateway(kAdapterIndex, "10.20.0.254"), 0);
  ProfileRecord record = Record("CoffeeShop", 0, 0);
  EXPECT_EQ(VTR_ConnectToAP(&record, 2), 1);
  EXPECT_THAT(WmiMethods(),
              ElementsAre("EnableStatic", "SetGateways", "EnableDHCP", "SetDNSServerSearchOrder"));
  std::vector<platform::MibIpForwardRow> rows;
  ASSERT_EQ(Machine().ipForwardTable().Rows(rows), 0);
  bool otherDefault = false;
  for (const auto& row : rows) {
    EXPECT_FALSE(row.forwardIfIndex == kAdapterIndex && row.forwardDest == 0);
    if (row.forwardIfIndex != kAdapterIndex && row.forwardDest == 0) otherDefault = true;
  }
  // The wired adapter's default route stays.
  EXPECT_TRUE(otherDefault);
}

}  // namespace

namespace {

// The ad hoc channel block requests in the protocol driver's log: (set, fourth word).
std::vector<std::pair<bool, uint32_t>> AdhocBlockRequests() {
  auto& machine = static_cast<sim::SimMachine&>(platform::Current());
  std::vector<std::pair<bool, uint32_t>> requests;
  for (const auto& request : machine.devices().WirelessProtocolDriver()->Log().Requests()) {
    if (request.oid != platform::kRequestAdhocConfiguration) continue;
    // A set's frame carries its header before the block.
    const auto& block = request.set ? request.in : request.out;
    const size_t offset = (request.set ? sizeof(platform::ProtocolFrameHeader) : 0) + 12;
    uint32_t frequency = 0;
    if (block.size() >= offset + 4) std::memcpy(&frequency, block.data() + offset, 4);
    requests.emplace_back(request.set, frequency);
  }
  return requests;
}

// An ad hoc record with a channel of its own puts the channel's centre frequency into the
// driver's configuration block before the connect; channel 0 or 255, or an infrastructure
// record, leave the block alone.
TEST_F(VistaConnectTest, AdhocChannelGoesIntoTheDriversBlock) {
  Start();
  ProfileRecord own = Record("Campfire", 0, 0);
  own.networkType = 0;
  own.adhocChannel = 11;
  EXPECT_EQ(VTR_ConnectToAP(&own, 2 | 4), 1);
  const auto requests = AdhocBlockRequests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_FALSE(requests[0].first);
  EXPECT_TRUE(requests[1].first);
  EXPECT_EQ(requests[1].second, 2462000u);
  EXPECT_THAT(Arguments("WlanConnect"), ElementsAre(HasSubstr("bssType=2")));
  EXPECT_STREQ(Link().ssid, "Campfire");
  EXPECT_EQ(Link().channel, 11u);

  for (const uint32_t channel : {0u, 255u}) {
    ProfileRecord unset = own;
    unset.adhocChannel = channel;
    EXPECT_EQ(VTR_ConnectToAP(&unset, 2 | 4), 1) << channel;
  }
  ProfileRecord infrastructure = Record("CoffeeShop", 0, 0);
  infrastructure.adhocChannel = 11;
  EXPECT_EQ(VTR_ConnectToAP(&infrastructure, 2 | 4), 1);
  EXPECT_EQ(AdhocBlockRequests().size(), 2u);
}

}  // namespace
