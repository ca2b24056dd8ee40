// vtrctl connect, disconnect, link, ip, radio, region, caps, driver and wep-keys as their users
// run them: the built program in its own process, on a machine of its own, in virtual time.
#include <fcntl.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "sim/machine.h"
#include "tests/support/machine_fixture.h"
#include "tests/support/program_runner.h"
#include "tests/support/vtrctl_fixture.h"
#include "vtrlib.h"

namespace {

using testing_support::RunResult;

class VtrctlConnect : public testing_support::VtrctlMachineTest {};

TEST_F(VtrctlConnect, WepKeysAreTheLibrarysKeysInHexadecimal) {
  uint8_t keys[64] = {};
  VTR_Passphrase64("Radiodesk", keys);
  std::vector<std::string> expected;
  for (int k = 0; k < 4; ++k) {
    char text[11] = {};
    VTR_HexToString(keys + 16 * k, 5, text, 10, 0);
    expected.emplace_back(text);
  }
  auto json = RunJson({"wep-keys", "Radiodesk"});
  EXPECT_EQ(json["bits"], 64);
  EXPECT_EQ(json["keys"], expected);
  // Four different keys, 10 digits each.
  EXPECT_NE(expected[0], expected[1]);

  uint8_t wide[16] = {};
  VTR_Passphrase128("Radiodesk", wide);
  char text[27] = {};
  VTR_HexToString(wide, 13, text, 26, 0);
  json = RunJson({"wep-keys", "Radiodesk", "--128"});
  EXPECT_EQ(json["keys"], std::vector<std::string>{text});

  const RunResult tooLong = Run({"wep-keys", std::string(33, 'p')});
  EXPECT_EQ(tooLong.exitCode, 2);
  EXPECT_NE(tooLong.err.find("1 to 32 characters"), std::string::npos) << tooLong.err;
}

TEST_F(VtrctlConnect, RadioOffAndOnAndTheRegionAsTheDriverReadsItBack) {
  RunResult result = Run({"radio", "off"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out, "radio off\n");
  EXPECT_EQ(RunJson({"radio", "status"})["radioOn"], false);
  result = Run({"radio", "on"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out, "radio on\n");
  EXPECT_EQ(Run({"radio", "sideways"}).exitCode, 2);

  auto json = RunJson({"region", "3"});
  EXPECT_EQ(json["regionCode"], 3);
  EXPECT_EQ(json["channels"], "1-13");
  json = RunJson({"region", "2"});  // Canada: driver region 0, read back as the United States
  EXPECT_EQ(json["regionCode"], 1);
  EXPECT_EQ(json["channels"], "1-11");
  EXPECT_EQ(RunJson({"driver"})["regionCode"], 1);
}

TEST_F(VtrctlConnect, CapsAndDriverShowTheLibrarysRecords) {
  auto caps = RunJson({"caps"});
  EXPECT_EQ(caps["adapterKind"], 4);
  EXPECT_EQ(caps["bands"], "802.11b, 802.11g, 802.11a, 802.11n");  // the xp adapter is dual-band
  EXPECT_EQ(caps["authCipherPairs"].size(), 9u);
  EXPECT_EQ(caps["wpsSupported"], true);
  const RunResult table = Run({"caps"});
  ASSERT_EQ(table.exitCode, 0) << table.err;
  EXPECT_NE(table.out.find("WPA2-PSK/AES"), std::string::npos) << table.out;

  auto driver = RunJson({"driver"});
  EXPECT_EQ(driver["firmwareVersion"], "1.5");
  EXPECT_EQ(driver["macAddress"].get<std::string>().size(), 17u);
}

TEST_F(VtrctlConnect, LinkAndIpWithoutAnAssociation) {
  auto link = RunJson({"link"});
  EXPECT_EQ(link["linkState"], 2);
  EXPECT_EQ(link["state"], "not associated");
  // Without an association the record's network fields do not apply.
  EXPECT_TRUE(link["ssid"].is_null());
  EXPECT_TRUE(link["phyMode"].is_null());
  const RunResult table = Run({"link"});
  ASSERT_EQ(table.exitCode, 0) << table.err;
  EXPECT_EQ(table.out.rfind("State", 0), 0u);
  EXPECT_NE(table.out.find("not associated"), std::string::npos);

  // --watch reads once a second of machine time; --count ends it.
  const RunResult watch = Run({"--json", "link", "--watch", "--count", "3"});
  ASSERT_EQ(watch.exitCode, 0) << watch.err;
  std::istringstream lines(watch.out);
  int readings = 0;
  for (std::string line; std::getline(lines, line); ++readings) {
    EXPECT_EQ(nlohmann::json::parse(line)["linkState"], 2) << line;
  }
  EXPECT_EQ(readings, 3);
  EXPECT_EQ(Run({"link", "--count", "2"}).exitCode, 2);

  auto ip = RunJson({"ip"});
  EXPECT_TRUE(ip.contains("ipAddress"));
  EXPECT_TRUE(ip["dnsServers"].is_array());
}

TEST_F(VtrctlConnect, ConnectNamesWhatIsWrongWithTheRequest) {
  RunResult result = Run({"connect", "Nowhere"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.err.find("no profile \"Nowhere\""), std::string::npos) << result.err;
  result = Run({"connect", "Home", "--auth", "shared"});
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_NE(result.err.find("go with --ssid"), std::string::npos) << result.err;
  result = Run({"connect", "--ssid", "Cafe", "--name", "Cafe"});
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_NE(result.err.find("<Default>"), std::string::npos) << result.err;
  result = Run({"connect", "--ssid", "OldRouter", "--encryption", "wep"});  // no key given
  EXPECT_EQ(result.exitCode, 2) << result.err;
}

TEST_F(VtrctlConnect, OneOffProfileJoinsAndIsStoredAsTheDefault) {
  RunResult result = Run({"connect", "--ssid", "CoffeeShop"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_NE(result.out.find("10.20.0.57"), std::string::npos) << result.out;
  EXPECT_NE(result.out.find("00-18-39-C2-8D-14"), std::string::npos) << result.out;
  const auto list = RunJson({"profile", "list"});
  ASSERT_TRUE(list.is_array()) << list.dump();
  bool found = false;
  for (const auto& profile : list) {
    if (profile["name"] != "<Default>") continue;
    found = true;
    EXPECT_EQ(profile["ssid"], "CoffeeShop");
    EXPECT_EQ(profile["default"], true);
  }
  EXPECT_TRUE(found) << list.dump();

  EXPECT_EQ(Run({"disconnect"}).exitCode, 0);
}

TEST_F(VtrctlConnect, WrongWepKeysEndWithTheReason) {
  RunResult result =
      Run({"connect", "--ssid", "OldRouter", "--encryption", "wep", "--wep-key", "0000000000"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.err.find("DHCP never answered"), std::string::npos) << result.err;
  result = Run({"connect", "--ssid", "Workshop", "--auth", "shared", "--encryption", "wep",
                "--wep-key", "00000000000000000000000000"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.err.find("in 126 s: 'Workshop' refused the shared-key authentication: the WEP "
                            "key is wrong"),
            std::string::npos)
      << result.err;
  result = Run({"connect", "--ssid", "Workshop", "--auth", "shared", "--encryption", "wep",
                "--wep-key", "2b7e151628aed2a6abf7158809"});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_NE(result.out.find("172.16.4.20"), std::string::npos) << result.out;
}

}  // namespace
