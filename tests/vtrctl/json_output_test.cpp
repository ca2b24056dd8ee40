// vtrctl --json as a program reads it: always valid, with the same field names and types in every
// command, and the registry's values shown by their type.
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "tests/support/vtrctl_fixture.h"

namespace {

using testing_support::RunResult;

constexpr const char* kReplacement = "\xEF\xBF\xBD";  // U+FFFD
constexpr const char* kTestKey = "HKLM\\Software\\Vantrel\\Test";

class JsonOutput : public testing_support::VtrctlMachineTest {};

TEST_F(JsonOutput, TextThatIsNotUtf8KeepsItsBytesBesideIt) {
  // A profile name in a Windows code page, a network name with a stray byte.
  ASSERT_EQ(Run({"profile", "add", "--name", "Caf\xE9", "--ssid", "Net\xFF"}).exitCode, 0);
  const auto list = RunJson({"profile", "list"});
  ASSERT_EQ(list.size(), 1u) << list.dump();
  EXPECT_EQ(list[0]["name"], std::string("Caf") + kReplacement);
  EXPECT_EQ(list[0]["nameHex"], "436166e9");
  EXPECT_EQ(list[0]["ssidHex"], "4e6574ff");
  EXPECT_EQ(RunJson({"profile", "show", "Caf\xE9"})["nameHex"], "436166e9");
  // A table shows such bytes escaped.
  EXPECT_NE(Run({"profile", "list"}).out.find("Caf\\xE9  Net\\xFF"), std::string::npos);

  ASSERT_EQ(Run({"reg", "set", kTestKey, "Raw", "--string", "\xFF\x1B[2J"}).exitCode, 0);
  const auto value = RunJson({"reg", "get", kTestKey, "Raw"});
  EXPECT_EQ(value["value"], std::string(kReplacement) + "\x1B[2J");
  EXPECT_EQ(value["valueHex"], "ff1b5b324a");

  // A network whose name is not text, joined and then looked at.
  ASSERT_EQ(Run({"sim", "add",
                 R"({"ssidHex":"436166e9","bssid":"00-11-22-33-44-55","channel":6,"rssi":-40})"})
                .exitCode,
            0);
  const auto joined = RunJson({"connect", "--ssid", "Caf\xE9"});
  EXPECT_EQ(joined["ssidHex"], "436166e9") << joined.dump();
  const auto link = RunJson({"link"});
  EXPECT_EQ(link["ssid"], std::string("Caf") + kReplacement);
  EXPECT_EQ(link["ssidHex"], "436166e9");
}

TEST_F(JsonOutput, RegistryValuesAreShownByTheirType) {
  ASSERT_EQ(Run({"reg", "set", kTestKey, "Blob", "--binary", "01 a0 ff"}).exitCode, 0);
  ASSERT_EQ(Run({"reg", "set", kTestKey, "List", "--multi", "first", "--multi", "second"}).exitCode,
            0);
  ASSERT_EQ(Run({"reg", "set", kTestKey, "Steer", "--string", "a\x1B[31mb"}).exitCode, 0);

  const RunResult blob = Run({"reg", "get", kTestKey, "Blob"});
  EXPECT_NE(blob.out.find("Type   binary\nValue  01 a0 ff\n"), std::string::npos) << blob.out;
  const RunResult list = Run({"reg", "get", kTestKey, "List"});
  EXPECT_NE(list.out.find("Type   multi\nValue  first\n       second\n"), std::string::npos)
      << list.out;
  const RunResult steer = Run({"reg", "get", kTestKey, "Steer"});
  EXPECT_NE(steer.out.find("Value  a\\x1B[31mb\n"), std::string::npos) << steer.out;
  EXPECT_EQ(steer.out.find('\x1B'), std::string::npos);

  EXPECT_EQ(RunJson({"reg", "get", kTestKey, "List"})["value"],
            nlohmann::json({"first", "second"}));
  const auto binary = RunJson({"reg", "get", kTestKey, "Blob"});
  EXPECT_EQ(binary["type"], "binary");
  EXPECT_EQ(binary["value"], "01a0ff");
}

TEST_F(JsonOutput, FieldsAgreeAcrossCommands) {
  // Not associated: the link's network fields do not apply.
  const auto idle = RunJson({"link"});
  EXPECT_EQ(idle["state"], "not associated");
  for (const char* field : {"ssid", "bssid", "networkType", "security", "signalPercent"}) {
    EXPECT_TRUE(idle.contains(field) && idle[field].is_null()) << field << ": " << idle.dump();
  }

  // A pre-shared-key profile has no EAP method; its security reads as the link's does.
  ASSERT_EQ(Run({"profile", "add", "--name", "Home", "--ssid", "HomeNet", "--auth", "wpa2-psk",
                 "--encryption", "aes", "--psk", "correct horse battery"})
                .exitCode,
            0);
  const auto home = RunJson({"profile", "show", "Home"});
  EXPECT_TRUE(home["eap"].is_null()) << home.dump();
  EXPECT_TRUE(home["identity"].is_null());
  EXPECT_TRUE(home["wepKeys"].is_null());
  EXPECT_EQ(home["psk"], "********");
  const auto profiles = RunJson({"profile", "list"});
  EXPECT_EQ(profiles[0]["networkType"], "infrastructure");
  EXPECT_EQ(profiles[0]["security"], "wpa2-psk/aes");

  const auto joined = RunJson({"connect", "Home"});
  EXPECT_EQ(joined["link"]["networkType"], "infrastructure") << joined.dump();
  EXPECT_EQ(joined["link"]["security"], "wpa2-psk/aes");
  EXPECT_TRUE(joined["link"]["signalPercent"].is_number());

  // The survey: booleans, the same network types, the signal named by its unit.
  const auto percent = RunJson({"survey"});
  const auto dbm = RunJson({"survey", "--dbm"});
  ASSERT_FALSE(percent.empty());
  for (const auto& entry : percent) {
    EXPECT_TRUE(entry["isHt"].is_boolean() && entry["hasWps"].is_boolean() &&
                entry["wpsPbcActive"].is_boolean())
        << entry.dump();
    const std::string type = entry["networkType"];
    EXPECT_TRUE(type == "infrastructure" || type == "adhoc") << type;
    EXPECT_TRUE(entry["signalPercent"].is_number());
    EXPECT_FALSE(entry.contains("signal"));
  }
  EXPECT_LT(dbm[0]["signalDbm"].get<int>(), 0) << dbm[0].dump();
  EXPECT_FALSE(dbm[0].contains("signalPercent"));
}

TEST_F(JsonOutput, WpsPinGivesThePinFirstWhileTheRunWaits) {
  // PinPad's registrar waits for a PIN nobody enters, so the run ends at its time limit.
  const RunResult result = Run({"--json", "wps", "pin", "--ssid", "PinPad"});
  EXPECT_EQ(result.exitCode, 1);
  std::istringstream lines(result.out);
  std::string first;
  ASSERT_TRUE(std::getline(lines, first)) << result.err;
  const auto event = nlohmann::json::parse(first, nullptr, false);
  ASSERT_TRUE(event.is_object()) << first;
  EXPECT_EQ(event["event"], "pin");
  const std::string pin = event.value("pin", "");
  ASSERT_EQ(pin.size(), 8u) << first;
  EXPECT_NE(result.err.find("Enter the PIN " + pin + " into your access point."), std::string::npos)
      << result.err;
}

}  // namespace
