// What vtrctl connect reports on the driver build: a reason that fits each way a connect fails,
// an ad hoc network's 169.254 address as success, and a profile's fixed address set after the
// join. The built program in its own process, on a machine of its own, in virtual time.
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "tests/support/program_runner.h"
#include "tests/support/vtrctl_fixture.h"

namespace {

using testing_support::RunResult;

class VtrctlConnectResults : public testing_support::VtrctlMachineTest {
 protected:
  // Connects with the arguments after "connect --ssid"; the one line it fails with, or "" when
  // it succeeded.
  std::string FailureOf(std::vector<std::string> args) const {
    args.insert(args.begin(), {"connect", "--ssid"});
    const RunResult result = Run(args);
    if (result.exitCode == 0) return "";
    EXPECT_EQ(result.exitCode, 1) << result.err;
    EXPECT_EQ(result.out, "");
    return result.err;
  }
};

bool Says(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST_F(VtrctlConnectResults, NetworksThatRefuseTheProfileSayWhatTheyRefused) {
  std::string why = FailureOf(
      {"HomeNet", "--auth", "wpa2-psk", "--encryption", "aes", "--psk", "wrong horse battery"});
  EXPECT_TRUE(Says(why, "'HomeNet' refused the pre-shared key")) << why;
  EXPECT_FALSE(Says(why, "WEP")) << why;

  why = FailureOf({"Office-Corp", "--auth", "wpa2", "--encryption", "aes", "--eap", "peap",
                   "--identity", "alice", "--password", "Summer2008!", "--domain", "HALVORN"});
  EXPECT_TRUE(Says(why, "refused the PEAP sign-in")) << why;
  EXPECT_FALSE(Says(why, "WEP")) << why;

  why = FailureOf({"Office-Corp", "--auth", "wpa2", "--encryption", "aes", "--eap", "leap",
                   "--identity", "alice", "--password", "Winter2008!"});
  EXPECT_TRUE(Says(why, "no LEAP")) << why;

  // A shared-key network does not take open system, even with the right key.
  why = FailureOf({"Workshop", "--auth", "open", "--encryption", "wep", "--wep-key",
                   "2b7e151628aed2a6abf7158809"});
  EXPECT_TRUE(Says(why, "refused open-system authentication: it may want shared key")) << why;

  why = FailureOf({"HomeNet"});
  EXPECT_TRUE(Says(why, "'HomeNet' is in range but uses WPA2-PSK")) << why;
  EXPECT_TRUE(Says(why, "(open/none) does not fit")) << why;

  why = FailureOf({"Nowhere"});
  EXPECT_TRUE(Says(why, "no network 'Nowhere' is in range")) << why;
  EXPECT_FALSE(Says(why, "WEP")) << why;

  // With the radio off nothing is heard, and nothing is out of range for that.
  ASSERT_EQ(Run({"radio", "off"}).exitCode, 0);
  why = FailureOf({"CoffeeShop"});
  EXPECT_TRUE(Says(why, "the adapter's radio is off (vtrctl radio on)")) << why;
  ASSERT_EQ(Run({"radio", "on"}).exitCode, 0);

  // Heard, but too faint to hold an association with.
  why = FailureOf({"Far-Away"});
  EXPECT_TRUE(Says(why, "'Far-Away' is heard only at -93 dBm, too weak to join")) << why;

  // A hidden network that refuses the key is heard without its name: not simply out of range.
  why = FailureOf(
      {"Backroom", "--auth", "wpa2-psk", "--encryption", "aes", "--psk", "somebody sees me"});
  EXPECT_TRUE(Says(why, "or a hidden network that refused the profile")) << why;
  EXPECT_FALSE(Says(why, "is in range (a scan does not hear it)")) << why;
}

TEST_F(VtrctlConnectResults, AddressesWithoutDhcpAreAFailureOnlyWhereDhcpWasDue) {
  // Open, without a DHCP server: the address is Windows' own, and WEP has nothing to do with it.
  std::string why = FailureOf({"Printers"});
  EXPECT_TRUE(Says(why, "no DHCP server answered; the adapter gave itself 169.254.")) << why;
  EXPECT_TRUE(Says(why, "--ip and --mask")) << why;
  EXPECT_FALSE(Says(why, "WEP")) << why;
  // Windows' one empty DNS entry is no server.
  EXPECT_EQ(RunJson({"ip"})["dnsServers"], nlohmann::json::array());

  // A wrong open-system WEP key associates, and then nothing answers.
  why = FailureOf({"OldRouter", "--encryption", "wep", "--wep-key", "0000000000"});
  EXPECT_TRUE(Says(why, "a wrong WEP key")) << why;

  // An ad hoc network has no DHCP: its 169.254 address is the expected outcome.
  const auto adhoc = RunJson({"connect", "--ssid", "LanParty", "--type", "adhoc"});
  EXPECT_EQ(adhoc["link"]["ssid"], "LanParty") << adhoc.dump();
  EXPECT_EQ(adhoc["link"]["networkType"], "adhoc");
  EXPECT_EQ(adhoc["ip"]["ipAddress"].get<std::string>().rfind("169.254.", 0), 0u) << adhoc.dump();
}

TEST_F(VtrctlConnectResults, TheDriverBuildSetsAProfilesFixedAddressAfterTheJoin) {
  const RunResult fixed = Run({"connect", "--ssid", "CoffeeShop", "--ip", "10.20.0.99", "--mask",
                               "255.255.252.0", "--gateway", "10.20.0.1", "--dns", "10.20.0.2"});
  ASSERT_EQ(fixed.exitCode, 0) << fixed.err;
  EXPECT_TRUE(Says(fixed.err, "fixed address 10.20.0.99 through WMI")) << fixed.err;
  EXPECT_TRUE(Says(fixed.out, "EnableStatic succeeded")) << fixed.out;

  // A new process sees the fixed settings the link now has.
  auto ip = RunJson({"ip"});
  EXPECT_EQ(ip["ipAddress"], "10.20.0.99") << ip.dump();
  EXPECT_EQ(ip["gateway"], "10.20.0.1");
  EXPECT_EQ(ip["dhcpEnabled"], false);
  EXPECT_EQ(ip["dnsServers"], nlohmann::json::array({"10.20.0.2"}));

  // A profile without one takes the address from DHCP again.
  const auto dhcp = RunJson({"connect", "--ssid", "CoffeeShop"});
  EXPECT_EQ(dhcp["ip"]["ipAddress"], "10.20.0.57") << dhcp.dump();
  EXPECT_EQ(dhcp["ipSettings"][0]["method"], "EnableDHCP");
  EXPECT_EQ(dhcp["ipSettings"][0]["returnValue"], 0);

  // A method WMI refuses fails the connect with its answer.
  ASSERT_EQ(Run({"sim", "wmi", "--return", "70"}).exitCode, 0);
  const RunResult refused =
      Run({"connect", "--ssid", "CoffeeShop", "--ip", "10.20.0.98", "--mask", "255.255.252.0"});
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_TRUE(Says(refused.out, "EnableStatic failed with return code = 70")) << refused.out;
  EXPECT_TRUE(Says(refused.err, "EnableStatic was refused: 70 (invalid IP address)"))
      << refused.err;
}

TEST_F(VtrctlConnectResults, ProgressOnATerminalDoesNotShowTheOldLinkAsTheNew) {
  ASSERT_EQ(Run({"connect", "--ssid", "CoffeeShop"}).exitCode, 0);
  // Connecting again: the link that is up is the old one until the connect has left it.
  const RunResult again = testing_support::RunProgramOnTerminal(
      testing_support::VtrctlProgram(), {"connect", "--ssid", "CoffeeShop"},
      {"RADIODESK_MACHINE=" + (root_ / "machine").string(),
       "RADIODESK_PROFILE_DIR=" + (root_ / "store").string(), "RADIODESK_VIRTUAL_TIME=1",
       "XDG_STATE_HOME=" + (root_ / "state").string()},
      root_);
  ASSERT_EQ(again.exitCode, 0) << again.err;
  const auto first = again.err.find("Associat");
  ASSERT_NE(first, std::string::npos) << again.err;
  EXPECT_EQ(again.err.compare(first, 29, "Associating with 'CoffeeShop'"), 0) << again.err;
}

}  // namespace
