// vtrctl wps and vtrctl sim wps-button / wps-pin as their users run them: the built program in
// its own process, on a machine of its own, in virtual time.
#include <signal.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "sim/machine.h"
#include "tests/support/machine_fixture.h"
#include "tests/support/process_waits.h"
#include "tests/support/program_runner.h"
#include "tests/support/vtrctl_fixture.h"

namespace {

using testing_support::AdapterStateHold;
using testing_support::Eventually;
using testing_support::RunResult;

class VtrctlWps : public testing_support::VtrctlMachineTest {};

bool ChecksumHolds(const std::string& pin) {
  int sum = 0;
  for (int i = 0; i < 8; ++i) sum += (pin[i] - '0') * (i % 2 == 0 ? 3 : 1);
  return sum % 10 == 0;
}

TEST_F(VtrctlWps, NewPinIsEightDigitsWithItsChecksum) {
  const auto json = RunJson({"wps", "new-pin"});
  const std::string pin = json["pin"];
  ASSERT_EQ(pin.size(), 8u);
  EXPECT_TRUE(ChecksumHolds(pin)) << pin;
}

TEST_F(VtrctlWps, PushButtonShowsProgressInWordsAndTheNetwork) {
  const RunResult result = Run({"wps", "pbc"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  // Without a terminal each new state is one line.
  EXPECT_NE(result.err.find("wps: scanning for the access point\n"), std::string::npos);
  EXPECT_NE(result.err.find("wps: associating\n"), std::string::npos);
  EXPECT_NE(result.err.find("wps: handshaking\n"), std::string::npos);
  EXPECT_NE(result.err.find("wps: success\n"), std::string::npos);
  EXPECT_NE(result.out.find("PressMe"), std::string::npos);
  EXPECT_NE(result.out.find("00-1B-11-7C-20-9E"), std::string::npos);
  // Secrets are masked.
  EXPECT_EQ(result.out.find("button pressed 2008"), std::string::npos);
}

TEST_F(VtrctlWps, OverlappingPushButtonsFailWithTheReason) {
  // A second access point that stands in push-button mode beside PressMe.
  ASSERT_EQ(Run({"sim", "add",
                 R"({"ssid":"Second","bssid":"00-11-22-33-44-55","channel":6,"rssi":-50,)"
                 R"("wps":{"selectedRegistrar":true,"devicePasswordId":"push-button"}})"})
                .exitCode,
            0);
  const RunResult result = Run({"wps", "pbc"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.err.find("more than one access point is in push-button mode"), std::string::npos)
      << result.err;
}

TEST_F(VtrctlWps, AccessPointPinSavedAsDefaultAndConnected) {
  const auto json =
      RunJson({"wps", "pin", "--ap-pin", "12345670", "--ssid", "CoffeeShop", "--save"});
  EXPECT_EQ(json["result"], "success");
  EXPECT_EQ(json["accessPoint"], "00-18-39-C2-8D-14");
  EXPECT_EQ(json["connected"], true);
  EXPECT_EQ(json["ip"]["ipAddress"], "10.20.0.57") << json.dump();
  const auto profiles = RunJson({"profile", "list"});
  bool stored = false;
  for (const auto& profile : profiles) {
    if (profile.value("name", "") == "CoffeeShop") stored = profile.value("default", false);
  }
  EXPECT_TRUE(stored) << profiles.dump();
}

TEST_F(VtrctlWps, StationPinTypedIntoTheAccessPointFirst) {
  ASSERT_EQ(Run({"sim", "wps-pin", "00-09-5B-1E-44-A0", "12345670"}).exitCode, 0);
  const RunResult result = Run({"wps", "pin", "--pin", "12345670", "--save"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_NE(result.err.find("Enter the PIN 12345670 into your access point."), std::string::npos);
  EXPECT_NE(result.out.find("OldRouter"), std::string::npos);
  EXPECT_NE(result.out.find("192.168.0.102"), std::string::npos) << result.out;
}

TEST_F(VtrctlWps, StationPinNobodyEntersTimesOutAfterFourMinutes) {
  // PinPad's registrar waits for a PIN that never comes.
  const RunResult result = Run({"wps", "pin", "--ssid", "PinPad"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.err.find("Enter the PIN "), std::string::npos);
  EXPECT_NE(result.err.find("WPS timed out after 240 s"), std::string::npos) << result.err;
}

TEST_F(VtrctlWps, WrongPinAndBadCommandLines) {
  RunResult result = Run({"wps", "pin", "--ap-pin", "11111111", "--ssid", "PinPad"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.err.find("a wrong PIN"), std::string::npos) << result.err;

  const struct {
    std::vector<std::string> args;
    const char* message;
  } usages[] = {
      {{"wps", "pin", "--ap-pin", "1234"}, "--ap-pin takes eight digits"},
      {{"wps", "pin", "--ap-pin", "12345670", "--pin", "12345670"}, "give one"},
      {{"wps", "pbc", "--bssid", "00-11"}, "is not an address"},
      {{"wps", "pbc", "--ssid", std::string(33, 's')}, "1 to 32 characters"},
      {{"wps", "pbc", "--ap-pin", "12345670"}, "unknown option"},
      {{"sim", "wps-pin", "00-09-5B-1E-44-A0", "1234"}, "eight digits"},
  };
  for (const auto& usage : usages) {
    result = Run(usage.args);
    EXPECT_NE(result.exitCode, 0) << usage.message;
    EXPECT_NE(result.err.find(usage.message), std::string::npos) << result.err;
  }
  result = Run({"sim", "wps-button", "00-1A-2B-3C-4D-5E"});  // Printers: no WPS
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.err.find("does not offer WPS"), std::string::npos) << result.err;
}

TEST_F(VtrctlWps, WpaPskProfilesReceivedAreSavedAndJoinThroughTheSupplicant) {
  auto json = RunJson({"wps", "pbc", "--save"});
  EXPECT_EQ(json["connected"], true) << json.dump();
  EXPECT_EQ(json["profile"]["auth"], "wpa2-psk");
  EXPECT_EQ(json["link"]["ssid"], "PressMe");
  EXPECT_EQ(json["link"]["security"], "wpa2-psk/aes");
  EXPECT_EQ(json["ip"]["ipAddress"], "192.168.1.100");

  json = RunJson({"wps", "pin", "--ap-pin", "49226874", "--ssid", "PinPad", "--save"});
  EXPECT_EQ(json["connected"], true) << json.dump();
  EXPECT_EQ(json["link"]["ssid"], "PinPad");
  EXPECT_TRUE(json["link"].value("security", "").starts_with("wpa-psk/")) << json.dump();

  // The stored PressMe profile holds the passphrase the access point handed out: it joins again
  // in a process of its own.
  json = RunJson({"connect", "PressMe"});
  EXPECT_EQ(json["link"]["ssid"], "PressMe") << json.dump();
  EXPECT_EQ(json["link"]["security"], "wpa2-psk/aes");
  const auto profiles = RunJson({"profile", "list"});
  std::vector<std::string> names;
  for (const auto& profile : profiles) names.push_back(profile.value("name", ""));
  EXPECT_EQ(names, (std::vector<std::string>{"PressMe", "PinPad"}));
}

// Whether a process has a SIGINT that was sent to it but not yet taken by a handler.
bool InterruptPending(int pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);) {
    if (line.starts_with("SigPnd:") || line.starts_with("ShdPnd:")) {
      if ((std::stoull(line.substr(7), nullptr, 16) & (1ull << (SIGINT - 1))) != 0) return true;
    }
  }
  return false;
}

TEST_F(VtrctlWps, CtrlCStopsTheEngineAndExitsWith130) {
  // PinPad's registrar waits for a PIN nobody types in; without Ctrl-C the run would end at the
  // command's 240 s.
  const auto started = testing_support::StartProgram(
      testing_support::VtrctlProgram(), {"wps", "pin", "--ssid", "PinPad"},
      {"RADIODESK_MACHINE=" + (root_ / "machine").string(),
       "RADIODESK_PROFILE_DIR=" + (root_ / "store").string(), "RADIODESK_VIRTUAL_TIME=1",
       "XDG_STATE_HOME=" + (root_ / "state").string()},
      root_);
  ASSERT_GT(started.pid, 0);
  const bool handshaking = Eventually([&] {
    return testing_support::FileText(started.errFile).find("wps: handshaking") != std::string::npos;
  });
  {
    // The engine's next poll waits on the hold, so the machine's time stays short of the limit
    // until the interrupt has been taken.
    AdapterStateHold hold(root_ / "machine");
    ASSERT_EQ(::kill(started.pid, SIGINT), 0);
    EXPECT_TRUE(Eventually([&] { return !InterruptPending(started.pid); }));
  }
  const RunResult result = testing_support::WaitForProgram(started);
  ASSERT_TRUE(handshaking) << result.err;
  EXPECT_EQ(result.exitCode, 130) << result.err;
  EXPECT_NE(result.err.find("interrupted; the WPS engine was stopped"), std::string::npos)
      << result.err;
  EXPECT_EQ(result.err.find("timed out"), std::string::npos) << result.err;
  // The stopped engine left the adapter off any network.
  const auto link = RunJson({"link"});
  EXPECT_NE(link.value("state", ""), "associated") << link.dump();
}

}  // namespace
