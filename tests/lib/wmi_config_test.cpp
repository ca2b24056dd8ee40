// IP configuration through WMI, through the exports: the parameters each method gets, the
// progress lines, the results, the clean-up of stale default routes, and the settings the
// internet information then reports.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "lib/common/default_routes.h"
#include "platform/services.h"
#include "sim/ip_forward_table.h"
#include "sim/sim_machine.h"
#include "support/machine_fixture.h"
#include "vtrlib.h"

namespace {

using platform::WmiValue;
using testing_support::MachineTest;

constexpr const char* kTcpipKey =
    "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces\\"
    "{9B1F3C5D-7E2A-4F60-8D4B-1C3E5A7F9B20}";

class WmiConfigTest : public MachineTest {
 protected:
  void SetUp() override {
    auto description = testing_support::XpDescription();
    WirelessAdapter(description)["ipAddress"] = "10.0.0.20";
    WirelessAdapter(description)["subnetMask"] = "255.255.255.0";
    WirelessAdapter(description)["gateway"] = "10.0.0.1";
    UseMachine(description);
    ASSERT_EQ(VTR_Initialize(0), 3);
  }
  void TearDown() override { VTR_UnInitialize(); }

  sim::SimMachine& Machine() { return static_cast<sim::SimMachine&>(platform::Current()); }

  // The in-parameter of the last method call, as the machine received it.
  WmiValue LastParameter(const char* name) {
    const auto calls = Machine().wmi().MethodCalls();
    EXPECT_FALSE(calls.empty());
    std::optional<WmiValue> value;
    if (calls.empty() || !calls.back().inParameters) return {};
    EXPECT_EQ(calls.back().inParameters->Get(name, value), platform::kSOk);
    return value.value_or(WmiValue{});
  }

  std::vector<std::string> DefaultRoutes(uint32_t ifIndex) {
    std::vector<platform::MibIpForwardRow> rows;
    EXPECT_EQ(Machine().ipForwardTable().Rows(rows), 0);
    std::vector<std::string> gateways;
    for (const auto& row : rows) {
      if (row.forwardDest == 0 && row.forwardIfIndex == ifIndex) {
        gateways.push_back(sim::FormatIpv4(row.forwardNextHop));
      }
    }
    return gateways;
  }
};

TEST_F(WmiConfigTest, EnableStaticConnectsSecuresAndCallsTheAdaptersInstance) {
  testing::internal::CaptureStdout();
  EXPECT_EQ(VTR_WMIEnableStatic(3, "192.168.1.50", "255.255.255.0"), 0);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "Connected to WMI\nEnableStatic succeeded\n");
  EXPECT_EQ(Machine().wmi().Calls(),
            (std::vector<std::string>{
                "ConnectServer root\\cimv2", "SetProxyBlanket 10 0 3 3",
                "GetObject Win32_NetWorkAdapterConfiguration",
                "ExecMethod Win32_NetWorkAdapterConfiguration.Index='3' EnableStatic"}));
  EXPECT_EQ(LastParameter("IPAddress"), WmiValue::StringArray({"192.168.1.50"}));
  EXPECT_EQ(LastParameter("SubnetMask"), WmiValue::StringArray({"255.255.255.0"}));

  char address[64] = {};
  // The reader copies a whole buffer's worth of the default first.
  const char fallback[sizeof address] = {};
  EXPECT_TRUE(VTR_GetRegistryMultiStr(kTcpipKey, "IPAddress", address, sizeof address, fallback,
                                      VTR_HKEY_LOCAL_MACHINE));
  EXPECT_STREQ(address, "192.168.1.50");
  uint32_t dhcp = 7;
  EXPECT_TRUE(VTR_GetRegistryDWORD(kTcpipKey, "EnableDHCP", &dhcp, 7, VTR_HKEY_LOCAL_MACHINE, 0));
  EXPECT_EQ(dhcp, 0u);
}

TEST_F(WmiConfigTest, GatewayAndDnsListsHoldOnlyTheGivenEntries) {
  testing::internal::CaptureStdout();
  EXPECT_EQ(VTR_WMISetDefaultGateway(3, "10.0.0.254"), 0);
  EXPECT_EQ(LastParameter("DefaultIPGateway"), WmiValue::StringArray({"10.0.0.254"}));
  EXPECT_EQ(LastParameter("GatewayCostMetric"), WmiValue::Uint8Array({1}));
  EXPECT_EQ(DefaultRoutes(3), (std::vector<std::string>{"10.0.0.254", "10.0.0.1"}));

  EXPECT_EQ(VTR_WMISetDefaultGateway(3, ""), 0);
  EXPECT_EQ(LastParameter("DefaultIPGateway"), WmiValue::StringArray({}));
  EXPECT_EQ(LastParameter("GatewayCostMetric"), WmiValue::Uint8Array({}));
  EXPECT_EQ(DefaultRoutes(3), (std::vector<std::string>{"10.0.0.1"}));

  EXPECT_EQ(VTR_WMISetDNSServerSearchOrder(3, "", "8.8.4.4"), 0);
  EXPECT_EQ(LastParameter("DNSServerSearchOrder"), WmiValue::StringArray({"8.8.4.4"}));
  EXPECT_EQ(VTR_WMISetDNSServerSearchOrder(3, "8.8.8.8", "8.8.4.4"), 0);
  EXPECT_EQ(LastParameter("DNSServerSearchOrder"), WmiValue::StringArray({"8.8.8.8", "8.8.4.4"}));
  char servers[64] = {};
  EXPECT_TRUE(VTR_GetRegistryString(kTcpipKey, "NameServer", servers, sizeof servers, "",
                                    VTR_HKEY_LOCAL_MACHINE, 0));
  EXPECT_STREQ(servers, "8.8.8.8,8.8.4.4");
  EXPECT_EQ(VTR_WMISetDNSServerSearchOrder(3, "", ""), 0);
  EXPECT_EQ(LastParameter("DNSServerSearchOrder"), WmiValue::StringArray({}));
  testing::internal::GetCapturedStdout();
}

TEST_F(WmiConfigTest, AMethodThatRanIsZeroWhateverItAnswered) {
  testing::internal::CaptureStdout();
  EXPECT_EQ(VTR_WMIEnableStatic(3, "192.168.1.999", "255.255.255.0"), 0);
  EXPECT_EQ(VTR_WMISetDNSServerSearchOrder(3, "not an address", ""), 0);
  ASSERT_EQ(Machine().wmi().ChangeFaults([](sim::WmiFaults& f) { f.returnValue = 1; }), 0);
  EXPECT_EQ(VTR_WMISetDefaultGateway(3, "10.0.0.2"), 0);
  // Every method reports in EnableStatic's words.
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "Connected to WMI\nEnableStatic failed with return code = 70\n"
            "Connected to WMI\nEnableStatic failed with return code = 70\n"
            "Connected to WMI\nEnableStatic succeeded, but reboot required\n");
}

TEST_F(WmiConfigTest, AnythingFailingBeforeTheMethodRanIsOne) {
  testing::internal::CaptureStdout();
  EXPECT_EQ(VTR_WMIEnableDHCP(9), 1);  // no such instance
  ASSERT_EQ(Machine().wmi().ChangeFaults(
                [](sim::WmiFaults& f) { f.execMethodResult = platform::kWbemEAccessDenied; }),
            0);
  EXPECT_EQ(VTR_WMIEnableStatic(3, "192.168.1.50", "255.255.255.0"), 1);
  ASSERT_EQ(Machine().wmi().ChangeFaults([](sim::WmiFaults& f) {
    f.execMethodResult = 0;
    f.connectResult = platform::kRegDbEClassNotReg;
  }),
            0);
  EXPECT_EQ(VTR_WMISetDefaultGateway(3, "10.0.0.2"), 1);
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "Connected to WMI\nExecMethod failed 0x80041002\n"
            "Connected to WMI\nExecMethod failed 0x80041003\n");
  EXPECT_EQ(DefaultRoutes(3), (std::vector<std::string>{"10.0.0.1"}));
}

TEST_F(WmiConfigTest, EnableDhcpOnAnAnswerOf94SetsTheRegistryValueItself) {
  ASSERT_TRUE(VTR_EnableZeroConfigService(0));  // unrelated service calls must not matter
  ASSERT_TRUE(VTR_DeleteRegistryValue(kTcpipKey, "EnableDHCP", VTR_HKEY_LOCAL_MACHINE, 0));
  ASSERT_EQ(Machine().wmi().ChangeFaults([](sim::WmiFaults& f) { f.returnValue = 94; }), 0);
  testing::internal::CaptureStdout();
  EXPECT_EQ(VTR_WMIEnableDHCP(3), 0);
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "Connected to WMI\nEnableStatic failed with return code = 94\n");
  uint32_t dhcp = 0;
  EXPECT_TRUE(VTR_GetRegistryDWORD(kTcpipKey, "EnableDHCP", &dhcp, 0, VTR_HKEY_LOCAL_MACHINE, 0));
  EXPECT_EQ(dhcp, 1u);

  // Any other answer leaves the value to the method.
  ASSERT_TRUE(VTR_SetRegistryDWORD(kTcpipKey, "EnableDHCP", 0, VTR_HKEY_LOCAL_MACHINE, 0));
  ASSERT_EQ(Machine().wmi().ChangeFaults([](sim::WmiFaults& f) { f.returnValue = 65; }), 0);
  testing::internal::CaptureStdout();
  EXPECT_EQ(VTR_WMIEnableDHCP(3), 0);
  testing::internal::GetCapturedStdout();
  EXPECT_TRUE(VTR_GetRegistryDWORD(kTcpipKey, "EnableDHCP", &dhcp, 0, VTR_HKEY_LOCAL_MACHINE, 0));
  EXPECT_EQ(dhcp, 0u);
}

TEST_F(WmiConfigTest, CleanUpRemovesOnlyThisInterfacesDefaultRoutes) {
  testing::internal::CaptureStdout();
  // A fixed gateway left over from a static configuration, then back to DHCP.
  ASSERT_EQ(VTR_WMISetDefaultGateway(3, "10.0.0.254"), 0);
  ASSERT_EQ(VTR_WMIEnableDHCP(3), 0);
  testing::internal::GetCapturedStdout();
  ASSERT_EQ(DefaultRoutes(3), (std::vector<std::string>{"10.0.0.254", "10.0.0.1"}));
  std::vector<platform::MibIpForwardRow> before;
  ASSERT_EQ(Machine().ipForwardTable().Rows(before), 0);

  EXPECT_EQ(vtr::DeleteDefaultRoutes(3), 0);
  EXPECT_TRUE(DefaultRoutes(3).empty());
  EXPECT_EQ(DefaultRoutes(2), (std::vector<std::string>{"192.168.10.1"}));
  std::vector<platform::MibIpForwardRow> after;
  ASSERT_EQ(Machine().ipForwardTable().Rows(after), 0);
  EXPECT_EQ(after.size(), before.size() - 2);  // the subnet and host routes stay

  // Nothing left to delete is no failure.
  EXPECT_EQ(vtr::DeleteDefaultRoutes(3), 0);
}

TEST_F(WmiConfigTest, InternetInformationShowsFixedSettingsUntilDhcpIsBack) {
  ProfileRecord profile;
  std::memset(&profile, 0, sizeof(profile));
  VTR_InitialProfile(&profile);
  std::strcpy(profile.profileName, "CoffeeShop");
  std::strcpy(profile.ssid, "CoffeeShop");
  ASSERT_TRUE(VTR_ConnectToAP(&profile, 0));  // waits for the lease
  VtrIpInfo ip{};
  VTR_APInternetInformation(&ip);
  EXPECT_STREQ(ip.ipAddress, "10.20.0.57");
  EXPECT_EQ(ip.dhcpEnabled, 1);

  EXPECT_EQ(VTR_WMIEnableStatic(3, "192.168.1.50", "255.255.255.0"), 0);
  EXPECT_EQ(VTR_WMISetDefaultGateway(3, "192.168.1.1"), 0);
  EXPECT_EQ(VTR_WMISetDNSServerSearchOrder(3, "8.8.8.8", "1.1.1.1"), 0);
  ip = VtrIpInfo{};
  VTR_APInternetInformation(&ip);
  EXPECT_STREQ(ip.ipAddress, "192.168.1.50");
  EXPECT_STREQ(ip.subnetMask, "255.255.255.0");
  EXPECT_STREQ(ip.gateway, "192.168.1.1");
  EXPECT_EQ(ip.dhcpEnabled, 0);
  EXPECT_STREQ(ip.dhcpServer, "");
  ASSERT_EQ(ip.dnsCount, 2u);
  EXPECT_STREQ(ip.dnsServer[0], "8.8.8.8");
  EXPECT_STREQ(ip.dnsServer[1], "1.1.1.1");

  // DHCP on and the servers left to it: the lease again, with its own servers.
  EXPECT_EQ(VTR_WMIEnableDHCP(3), 0);
  EXPECT_EQ(VTR_WMISetDNSServerSearchOrder(3, "", ""), 0);
  ip = VtrIpInfo{};
  VTR_APInternetInformation(&ip);
  EXPECT_STREQ(ip.ipAddress, "10.20.0.57");
  EXPECT_STREQ(ip.gateway, "10.20.0.1");
  EXPECT_STREQ(ip.dhcpServer, "10.20.0.1");
  EXPECT_EQ(ip.dhcpEnabled, 1);
  ASSERT_EQ(ip.dnsCount, 2u);
  EXPECT_STREQ(ip.dnsServer[0], "10.20.0.1");
}

}  // namespace
