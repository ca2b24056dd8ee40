// vtrctl zeroconf, region, caps and ipconfig report what the adapter and the services really did:
// a service that never got there, a region the adapter does not take, a method WMI refused. The
// built program in its own process, on a machine of its own, in virtual time.
#include <string>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "tests/support/program_runner.h"
#include "tests/support/vtrctl_fixture.h"

namespace {

using testing_support::RunResult;

class VtrctlAdapterCommands : public testing_support::VtrctlMachineTest {};

bool Says(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST_F(VtrctlAdapterCommands, ZeroConfigOnFailsWhenTheServiceNeverStarts) {
  ASSERT_EQ(Run({"sim", "service", "WZCSVC", "--fault", "hang"}).exitCode, 0);
  const RunResult on = Run({"zeroconf", "on"});
  EXPECT_EQ(on.exitCode, 1);
  EXPECT_EQ(on.out, "");
  EXPECT_TRUE(Says(on.err, "WZCSVC is not running after 30 seconds (it is stop pending)"))
      << on.err;

  ASSERT_EQ(Run({"sim", "service", "WZCSVC", "--fault", "none"}).exitCode, 0);
  ASSERT_EQ(Run({"sim", "service", "WZCSVC", "--state", "running"}).exitCode, 0);
  const auto state = RunJson({"zeroconf", "on"});
  EXPECT_EQ(state["serviceRunning"], true) << state.dump();
  EXPECT_EQ(state["managedByWindows"], true);
}

TEST_F(VtrctlAdapterCommands, RegionRefusesWhatTheAdapterCannotTake) {
  RunResult result = Run({"region", "99"});
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_TRUE(Says(result.err, "region codes are 1 to 6")) << result.err;
  EXPECT_EQ(Run({"region", "0"}).exitCode, 2);

  // The driver reads its region 5, which region 6 writes, back as the United States.
  result = Run({"region", "6"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_TRUE(Says(result.err, "took region 6 as region 1 (channels 1-11)")) << result.err;
  EXPECT_EQ(RunJson({"region", "5"})["regionCode"], 5);
}

TEST_F(VtrctlAdapterCommands, CapsNamesEveryPair) {
  const RunResult caps = Run({"caps"});
  ASSERT_EQ(caps.exitCode, 0) << caps.err;
  EXPECT_TRUE(Says(caps.out, "Auto Switch/none, Auto Switch/WEP")) << caps.out;
  EXPECT_FALSE(Says(caps.out, "0x0004")) << caps.out;
}

TEST_F(VtrctlAdapterCommands, IpConfigRefusesMalformedAddressesAndReportsWmisAnswers) {
  for (const auto& args : std::vector<std::vector<std::string>>{
           {"ipconfig", "static", "10.1.2", "255.255.0.0"},
           {"ipconfig", "static", "10.1.2.300", "255.255.0.0"},
           {"ipconfig", "static", "10.1.2.3", "255.0.255.0"},
           {"ipconfig", "static", "10.1.2.3", "255.255.0.0", "10.1.0.1x"},
           {"ipconfig", "static", "10.1.2.3", "255.255.0.0", "--dns", "-1.2.3.4"},
           {"ipconfig", "gateway", "1..2.3"},
           {"ipconfig", "dns", "8.8.8.8", " 8.8.4.4"}}) {
    const RunResult result = Run(args);
    EXPECT_EQ(result.exitCode, 2) << args[2] << " " << args[3] << ": " << result.err;
    EXPECT_EQ(result.out, "");
  }

  auto json = RunJson({"ipconfig", "static", "10.1.2.3", "255.255.0.0", "10.1.0.1"});
  EXPECT_EQ(json["done"], true) << json.dump();
  ASSERT_EQ(json["methods"].size(), 2u);
  EXPECT_EQ(json["methods"][0]["method"], "EnableStatic");
  EXPECT_EQ(json["methods"][0]["returnValue"], 0);
  EXPECT_EQ(json["methods"][1]["method"], "SetGateways");
  EXPECT_EQ(json["methods"][1]["returnValue"], 0);

  // A method that ran but refused the settings fails the command, and stops it there.
  ASSERT_EQ(Run({"sim", "wmi", "--return", "66"}).exitCode, 0);
  const RunResult refused =
      Run({"--json", "ipconfig", "static", "10.1.2.3", "255.255.0.0", "10.1.0.1"});
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_TRUE(Says(refused.err, "EnableStatic was refused: 66 (invalid subnet mask)"))
      << refused.err;
  json = nlohmann::json::parse(refused.out, nullptr, false);
  ASSERT_EQ(json["methods"].size(), 1u) << refused.out;
  EXPECT_EQ(json["methods"][0]["returnValue"], 66);
  EXPECT_EQ(json["done"], false);

  ASSERT_EQ(Run({"sim", "wmi", "--return", "none", "--exec-fails", "0x80041003"}).exitCode, 0);
  const RunResult notRun = Run({"ipconfig", "dhcp"});
  EXPECT_EQ(notRun.exitCode, 1);
  EXPECT_TRUE(Says(notRun.err, "EnableDHCP did not run")) << notRun.err;
}

}  // namespace
