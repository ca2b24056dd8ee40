// The description fields of networks' DHCP servers, WEP authentication and traffic, the
// adapter's address fallback, and the link as the state file keeps it.
#include <gtest/gtest.h>

#include "sim/adapter_state.h"
#include "sim/machine_description.h"
#include "sim/network_description.h"

namespace {

std::string Fault(const std::string& text) {
  sim::NetworkDescription network;
  return sim::ParseNetworkText(text, network).value_or("");
}

TEST(LinkDescription, DhcpDefaultsAndOverrides) {
  sim::NetworkDescription network;
  const std::string base = R"("bssid": "00-11-22-33-44-55", "channel": 6, "rssi": -50)";
  ASSERT_FALSE(sim::ParseNetworkText("{\"ssid\": \"A\", " + base + "}", network));
  ASSERT_TRUE(network.dhcp.has_value());  // an access point serves addresses
  EXPECT_EQ(network.dhcp->address, "192.168.1.100");
  ASSERT_FALSE(
      sim::ParseNetworkText("{\"ssid\": \"A\", \"mode\": \"adhoc\", " + base + "}", network));
  EXPECT_FALSE(network.dhcp.has_value());  // an ad hoc station does not
  ASSERT_FALSE(sim::ParseNetworkText(
      "{\"ssid\": \"A\", \"dhcp\": {\"address\": \"10.0.0.9\", \"gateway\": \"\", \"dns\": []}, " +
          base + "}",
      network));
  EXPECT_EQ(network.dhcp->address, "10.0.0.9");
  EXPECT_EQ(network.dhcp->server, "192.168.1.1");
  EXPECT_EQ(network.dhcp->gateway, "");
  EXPECT_TRUE(network.dhcp->dns.empty());
  ASSERT_FALSE(sim::ParseNetworkText("{\"ssid\": \"A\", \"dhcp\": false, " + base + "}", network));
  EXPECT_FALSE(network.dhcp.has_value());
}

TEST(LinkDescription, FaultsNameTheField) {
  const std::string base =
      R"("ssid": "A", "bssid": "00-11-22-33-44-55", "channel": 6, "rssi": -50)";
  EXPECT_EQ(Fault("{" + base + R"(, "dhcp": {"address": "10.0.0.300"}})"),
            "network.dhcp.address: expected an address like 192.168.1.10");
  EXPECT_EQ(Fault("{" + base + R"(, "dhcp": {"dns": ["1.1.1.1","1.1.1.2","1.1.1.3","1.1.1.4",
            "1.1.1.5","1.1.1.6","1.1.1.7","1.1.1.8"]}})"),
            "network.dhcp.dns: expected a list of up to 7 addresses");
  EXPECT_EQ(Fault("{" + base + R"(, "dhcp": {"leaseSeconds": 5}})"),
            "network.dhcp.leaseSeconds: at least 60");
  EXPECT_EQ(Fault("{" + base + R"(, "authentication": "shared"})"),
            "network.authentication: only WEP networks choose open or shared-key authentication");
  EXPECT_EQ(Fault("{" + base + R"(, "security": "wep", "authentication": "psk"})"),
            "network.authentication: expected \"open\", \"shared\" or \"both\"");
  EXPECT_EQ(Fault("{" + base + R"(, "traffic": {"sendBytesPerSecond": -1}})"),
            "network.traffic.sendBytesPerSecond: number out of range");
  EXPECT_EQ(Fault("{" + base + R"(, "traffic": {"variation": 101}})"),
            "network.traffic.variation: a percentage of 0 to 100");
  EXPECT_FALSE(sim::IsIpv4Address("1.2.3"));
  EXPECT_FALSE(sim::IsIpv4Address("1.2.3.4 "));
  EXPECT_TRUE(sim::IsIpv4Address("255.255.255.255"));
}

TEST(LinkDescription, AdapterFallbackAndAdministrativeState) {
  const std::string machine = R"({"name": "m", "os": {"platformId": 2, "major": 5, "minor": 1},
    "adapters": [{"name": "{A}", "description": "d", "index": 1, "mac": "00-01-02-03-04-05",
                  "type": "wireless", "autonet": false, "autonetDelayMs": 5000,
                  "adminStatus": "down", "dnsServers": ["10.0.0.1"],
                  "radio": {"associationTimeMs": 1200}}]})";
  const auto parsed = sim::ParseMachineDescription(machine);
  ASSERT_TRUE(std::holds_alternative<sim::MachineDescription>(parsed))
      << std::get<std::string>(parsed);
  const auto& adapter = std::get<sim::MachineDescription>(parsed).adapters[0];
  EXPECT_FALSE(adapter.autonet);
  EXPECT_EQ(adapter.autonetDelayMs, 5000u);
  EXPECT_FALSE(adapter.adminUp);
  EXPECT_EQ(adapter.dnsServers, std::vector<std::string>{"10.0.0.1"});
  EXPECT_EQ(adapter.radio.associationTimeMs, 1200u);
}

TEST(LinkDescription, TheLinkSurvivesTheStateFile) {
  sim::AdapterState state;
  sim::Association association;
  association.bssid = {0, 0x18, 0x39, 0xC2, 0x8D, 0x14};
  association.ssid = {'C', 'a', 'f', 0xE9};
  association.frequencyMHz = 2412;
  association.framesPass = false;
  association.upAtMs = 18'446'744'073'709'551'000ull;
  association.traffic = {7, 9, 35};
  state.link.association = association;
  state.link.address.bound.address = "10.20.0.57";
  state.link.address.bound.dns = {"10.20.0.1", "10.20.0.2"};
  state.link.address.bound.leaseSeconds = 86400;
  sim::IpBinding pending;
  pending.address = "169.254.97.23";
  state.link.address.pending = pending;
  state.link.address.pendingAtMs = 61'000;
  state.link.address.changes = 3;
  state.link.counters = {123, 456, 789};
  state.link.changedMs = 42;
  sim::AdapterState again;
  ASSERT_FALSE(sim::ParseAdapterState(sim::FormatAdapterState(state), again).has_value());
  EXPECT_EQ(again, state);
}

}  // namespace
