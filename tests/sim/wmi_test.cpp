// The machine's WMI adapter configuration methods and the forwarding table that follows the
// settings they write.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/services.h"
#include "platform/win_errors.h"
#include "sim/ip_forward_table.h"
#include "sim/sim_machine.h"
#include "support/machine_fixture.h"

namespace {

using platform::WmiObject;
using platform::WmiValue;
using testing_support::MachineTest;

constexpr const char* kWireless = "{9B1F3C5D-7E2A-4F60-8D4B-1C3E5A7F9B20}";
constexpr const char* kWirelessPath = "Win32_NetworkAdapterConfiguration.Index='3'";
constexpr const char* kTcpip =
    "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces\\";

class WmiTest : public MachineTest {
 protected:
  void SetUp() override {
    auto description = testing_support::XpDescription();
    WirelessAdapter(description)["ipAddress"] = "10.0.0.20";
    WirelessAdapter(description)["subnetMask"] = "255.255.255.0";
    WirelessAdapter(description)["gateway"] = "10.0.0.1";
    UseMachine(description);
    ASSERT_EQ(platform::Current().Wmi().ConnectServer("ROOT\\CIMV2", services_), platform::kSOk);
  }

  sim::SimMachine& Machine() { return static_cast<sim::SimMachine&>(platform::Current()); }

  // Runs method with the given in-parameters; the HRESULT, and the return value in *returned.
  platform::HResult Exec(const std::string& method,
                         const std::vector<std::pair<std::string, WmiValue>>& parameters,
                         uint32_t* returned = nullptr, const std::string& path = kWirelessPath) {
    platform::WmiClass wmiClass;
    EXPECT_EQ(services_->GetClass("Win32_NetWorkAdapterConfiguration", wmiClass), platform::kSOk);
    std::optional<WmiObject> in;
    if (wmiClass.GetMethod(method, in) != platform::kSOk) in.reset();
    for (const auto& [name, value] : parameters) EXPECT_EQ(in->Put(name, value), platform::kSOk);
    WmiObject out;
    const platform::HResult result = services_->ExecMethod(path, method, in ? &*in : nullptr, out);
    std::optional<WmiValue> value;
    if (returned != nullptr && out.Get("ReturnValue", value) == platform::kSOk && value) {
      *returned = value->numbers.at(0);
    }
    return result;
  }

  std::string Value(const char* name, uint32_t* type = nullptr) {
    platform::RegKey key;
    auto& registry = platform::Current().Registry();
    if (registry.OpenKey(platform::kHkeyLocalMachine, std::string(kTcpip) + kWireless,
                         platform::kKeyRead, key) != 0) {
      return "<no key>";
    }
    uint8_t data[256] = {};
    uint32_t size = sizeof data;
    uint32_t valueType = 0;
    if (registry.QueryValue(key, name, &valueType, data, &size) != 0) return "<none>";
    if (type != nullptr) *type = valueType;
    return std::string(reinterpret_cast<const char*>(data), size);
  }

  // Default routes as "gateway@interface:metric", in table order.
  std::vector<std::string> DefaultRoutes() {
    std::vector<platform::MibIpForwardRow> rows;
    EXPECT_EQ(Machine().ipForwardTable().Rows(rows), 0);
    std::vector<std::string> routes;
    for (const auto& row : rows) {
      if (row.forwardDest != 0) continue;
      routes.push_back(sim::FormatIpv4(row.forwardNextHop) + "@" +
                       std::to_string(row.forwardIfIndex) + ":" +
                       std::to_string(row.forwardMetric1));
    }
    return routes;
  }

  std::unique_ptr<platform::WmiServices> services_;
};

TEST_F(WmiTest, MethodsWriteTheInterfaceSettingsWindowsKeeps) {
  uint32_t returned = 99;
  ASSERT_EQ(Exec("EnableStatic",
                 {{"IPAddress", WmiValue::StringArray({"192.168.5.7"})},
                  {"SubnetMask", WmiValue::StringArray({"255.255.255.0"})}},
                 &returned),
            platform::kSOk);
  EXPECT_EQ(returned, 0u);
  uint32_t type = 0;
  EXPECT_EQ(Value("EnableDHCP", &type), std::string("\0\0\0\0", 4));
  EXPECT_EQ(type, platform::kRegDword);
  EXPECT_EQ(Value("IPAddress", &type), std::string("192.168.5.7\0\0", 13));
  EXPECT_EQ(type, platform::kRegMultiSz);
  EXPECT_EQ(Value("SubnetMask"), std::string("255.255.255.0\0\0", 15));

  ASSERT_EQ(Exec("SetGateways",
                 {{"DefaultIPGateway", WmiValue::StringArray({"192.168.5.1"})},
                  {"GatewayCostMetric", WmiValue::Uint8Array({3})}},
                 &returned),
            platform::kSOk);
  EXPECT_EQ(returned, 0u);
  EXPECT_EQ(Value("DefaultGateway"), std::string("192.168.5.1\0\0", 13));
  EXPECT_EQ(Value("DefaultGatewayMetric"), std::string("3\0\0", 3));
  EXPECT_EQ(DefaultRoutes(), (std::vector<std::string>{"192.168.10.1@2:20", "192.168.5.1@3:3"}));

  ASSERT_EQ(
      Exec("SetDNSServerSearchOrder",
           {{"DNSServerSearchOrder", WmiValue::StringArray({"9.9.9.9", "1.1.1.1"})}}, &returned),
      platform::kSOk);
  EXPECT_EQ(Value("NameServer", &type), std::string("9.9.9.9,1.1.1.1\0", 16));
  EXPECT_EQ(type, platform::kRegSz);
  ASSERT_EQ(Exec("SetDNSServerSearchOrder", {{"DNSServerSearchOrder", WmiValue::StringArray({})}},
                 &returned),
            platform::kSOk);
  EXPECT_EQ(Value("NameServer"), std::string("\0", 1));

  // Back to DHCP: the fixed address goes, the static gateway stays next to DHCP's.
  ASSERT_EQ(Exec("EnableDHCP", {}, &returned), platform::kSOk);
  EXPECT_EQ(returned, 0u);
  EXPECT_EQ(Value("EnableDHCP"), std::string("\1\0\0\0", 4));
  EXPECT_EQ(Value("IPAddress"), std::string("0.0.0.0\0\0", 9));
  EXPECT_EQ(DefaultRoutes(),
            (std::vector<std::string>{"192.168.10.1@2:20", "192.168.5.1@3:3", "10.0.0.1@3:20"}));

  // Two empty arrays take every gateway away.
  ASSERT_EQ(Exec("SetGateways",
                 {{"DefaultIPGateway", WmiValue::StringArray({})},
                  {"GatewayCostMetric", WmiValue::Uint8Array({})}},
                 &returned),
            platform::kSOk);
  EXPECT_EQ(Value("DefaultGateway"), std::string("\0", 1));
  EXPECT_EQ(DefaultRoutes(), (std::vector<std::string>{"192.168.10.1@2:20", "10.0.0.1@3:20"}));
}

TEST_F(WmiTest, BadParametersAnswerTheClassReturnValuesAndChangeNothing) {
  const std::string before = Value("IPAddress");
  uint32_t returned = 0;
  auto enableStatic = [&](const char* address, const char* mask) {
    EXPECT_EQ(Exec("EnableStatic",
                   {{"IPAddress", WmiValue::StringArray({address})},
                    {"SubnetMask", WmiValue::StringArray({mask})}},
                   &returned),
              platform::kSOk);
    return returned;
  };
  EXPECT_EQ(enableStatic("192.168.1.300", "255.255.255.0"), 70u);
  EXPECT_EQ(enableStatic("0.0.0.0", "255.255.255.0"), 70u);
  EXPECT_EQ(enableStatic("192.168.1.3", "255.0.255.0"), 66u);
  EXPECT_EQ(enableStatic("192.168.1.3", "0.0.0.0"), 66u);
  EXPECT_EQ(Value("IPAddress"), before);
  EXPECT_EQ(Value("EnableDHCP"), std::string("\1\0\0\0", 4));

  EXPECT_EQ(Exec("SetGateways",
                 {{"DefaultIPGateway", WmiValue::StringArray({"1.1.1.1", "1.1.1.2", "1.1.1.3",
                                                              "1.1.1.4", "1.1.1.5", "1.1.1.6"})}},
                 &returned),
            platform::kSOk);
  EXPECT_EQ(returned, 69u);
  EXPECT_EQ(Exec("SetGateways", {{"DefaultIPGateway", WmiValue::StringArray({"x"})}}, &returned),
            platform::kSOk);
  EXPECT_EQ(returned, 71u);
  EXPECT_EQ(Exec("EnableStatic", {}, &returned), platform::kSOk);
  EXPECT_EQ(returned, 68u);

  // The interface key gone: "path, file or object not found".
  platform::RegKey interfaces;
  auto& registry = platform::Current().Registry();
  ASSERT_EQ(
      registry.OpenKey(platform::kHkeyLocalMachine, kTcpip, platform::kKeyAllAccess, interfaces),
      0);
  ASSERT_EQ(registry.DeleteKey(interfaces, kWireless), 0);
  EXPECT_EQ(Exec("EnableDHCP", {}, &returned), platform::kSOk);
  EXPECT_EQ(returned, 94u);
  EXPECT_EQ(Value("EnableDHCP"), "<no key>");
}

TEST_F(WmiTest, PathsClassesMethodsAndTypesAreChecked) {
  WmiObject out;
  EXPECT_EQ(Exec("EnableDHCP", {}, nullptr, "Win32_NetworkAdapterConfiguration.Index='9'"),
            platform::kWbemENotFound);
  EXPECT_EQ(Exec("EnableDHCP", {}, nullptr, "Win32_NetworkAdapterConfiguration.Index=3"),
            platform::kSOk);
  EXPECT_EQ(Exec("EnableDHCP", {}, nullptr, "Win32_NetworkAdapter.Index='3'"),
            platform::kWbemEInvalidClass);
  EXPECT_EQ(Exec("EnableDHCP", {}, nullptr, "Win32_NetworkAdapterConfiguration"),
            platform::kWbemEInvalidObjectPath);
  EXPECT_EQ(services_->ExecMethod(kWirelessPath, "ReleaseDHCPLease", nullptr, out),
            platform::kWbemEInvalidMethod);
  EXPECT_EQ(services_->ExecMethod(kWirelessPath, "EnableStatic", nullptr, out),
            platform::kWbemEInvalidMethodParameters);

  platform::WmiClass wmiClass;
  EXPECT_EQ(services_->GetClass("Win32_Process", wmiClass), platform::kWbemENotFound);
  ASSERT_EQ(services_->GetClass("win32_networkadapterconfiguration", wmiClass), platform::kSOk);
  std::optional<WmiObject> in;
  EXPECT_EQ(wmiClass.GetMethod("Nope", in), platform::kWbemENotFound);
  ASSERT_EQ(wmiClass.GetMethod("EnableDHCP", in), platform::kSOk);
  EXPECT_FALSE(in.has_value());
  ASSERT_EQ(wmiClass.GetMethod("SetGateways", in), platform::kSOk);
  ASSERT_TRUE(in.has_value());
  // Byte metrics widen into the class's 16-bit array; text does not go where numbers belong.
  EXPECT_EQ(in->Put("GatewayCostMetric", WmiValue::Uint8Array({1})), platform::kSOk);
  EXPECT_EQ(in->Put("GatewayCostMetric", WmiValue::StringArray({"1"})),
            platform::kWbemETypeMismatch);
  EXPECT_EQ(in->Put("DefaultIPGateway", WmiValue::Uint32(1)), platform::kWbemETypeMismatch);
  EXPECT_EQ(in->Put("Gateway", WmiValue::StringArray({"1.2.3.4"})), platform::kWbemENotFound);

  std::unique_ptr<platform::WmiServices> other;
  EXPECT_EQ(platform::Current().Wmi().ConnectServer("root\\default", other),
            platform::kWbemEInvalidNamespace);
}

TEST_F(WmiTest, FaultsFailTheConnectionOrTheCallOrForceAReturnValue) {
  auto& wmi = Machine().wmi();
  ASSERT_EQ(wmi.ChangeFaults([](sim::WmiFaults& f) { f.returnValue = 94; }), 0);
  uint32_t returned = 0;
  ASSERT_EQ(Exec("EnableStatic",
                 {{"IPAddress", WmiValue::StringArray({"192.168.5.7"})},
                  {"SubnetMask", WmiValue::StringArray({"255.255.255.0"})}},
                 &returned),
            platform::kSOk);
  EXPECT_EQ(returned, 94u);
  EXPECT_EQ(Value("EnableDHCP"), std::string("\1\0\0\0", 4));

  ASSERT_EQ(wmi.ChangeFaults([](sim::WmiFaults& f) {
    f.returnValue.reset();
    f.execMethodResult = platform::kWbemEAccessDenied;
  }),
            0);
  EXPECT_EQ(Exec("EnableDHCP", {}), platform::kWbemEAccessDenied);

  ASSERT_EQ(wmi.ChangeFaults([](sim::WmiFaults& f) {
    f.execMethodResult = 0;
    f.connectResult = platform::kRegDbEClassNotReg;
  }),
            0);
  std::unique_ptr<platform::WmiServices> other;
  EXPECT_EQ(platform::Current().Wmi().ConnectServer("root\\cimv2", other),
            platform::kRegDbEClassNotReg);
  EXPECT_EQ(other, nullptr);
  EXPECT_EQ(wmi.Calls().back(), "ConnectServer root\\cimv2 -> 0x80040154");
}

TEST_F(WmiTest, ForwardTableFollowsTheBufferProtocolAndRemembersDeletions) {
  auto& table = platform::Current().IpForwardTable();
  uint32_t size = 0;
  ASSERT_EQ(table.GetIpForwardTable(nullptr, &size, false), platform::kErrorInsufficientBuffer);
  // Loopback; the wired adapter's default, subnet and host routes; the same for the wireless.
  ASSERT_EQ(size, 4 + 7 * sizeof(platform::MibIpForwardRow));
  std::vector<uint32_t> buffer(size / 4);
  auto* routes = reinterpret_cast<platform::MibIpForwardTable*>(buffer.data());
  uint32_t tooSmall = size - 1;
  EXPECT_EQ(table.GetIpForwardTable(routes, &tooSmall, false), platform::kErrorInsufficientBuffer);
  ASSERT_EQ(table.GetIpForwardTable(routes, &size, true), 0);
  ASSERT_EQ(routes->numEntries, 7u);
  EXPECT_EQ(routes->table[0].forwardDest, 0u);  // sorted: the default routes first
  EXPECT_EQ(routes->table[0].forwardType, platform::kRouteTypeIndirect);

  platform::MibIpForwardRow wirelessDefault{};
  wirelessDefault.forwardNextHop = *sim::ParseIpv4("10.0.0.1");
  wirelessDefault.forwardIfIndex = 3;
  ASSERT_EQ(table.DeleteIpForwardEntry(wirelessDefault), 0);
  EXPECT_EQ(DefaultRoutes(), (std::vector<std::string>{"192.168.10.1@2:20"}));
  EXPECT_EQ(table.DeleteIpForwardEntry(wirelessDefault), 1168);

  // Configuring the interface anew brings its default route back.
  uint32_t returned = 0;
  ASSERT_EQ(Exec("SetGateways",
                 {{"DefaultIPGateway", WmiValue::StringArray({"10.0.0.254"})},
                  {"GatewayCostMetric", WmiValue::Uint8Array({1})}},
                 &returned),
            platform::kSOk);
  EXPECT_EQ(DefaultRoutes(),
            (std::vector<std::string>{"192.168.10.1@2:20", "10.0.0.254@3:1", "10.0.0.1@3:20"}));
}

}  // namespace
